// The picture formats the importer knows. Identify runs the probes from the top down and
// takes the first match, so the order is part of the behaviour: the library-backed formats,
// whose probes check a whole header, come before the short signatures of the others. A new
// format needs a Format code, a probe, a reader and a row here.
#include "import/ImageImporter.h"

std::span<const ImageImporter::FormatEntry> ImageImporter::Formats() {
    static constexpr FormatEntry kFormats[] = {
        {Jpeg, "JPEG", &ImageImporter::ProbeJpeg, &ImageImporter::ReadJpeg},
        {Png, "PNG", &ImageImporter::ProbePng, &ImageImporter::ReadPng},
        {Tiff, "TIFF", &ImageImporter::ProbeTiff, &ImageImporter::ReadTiff},
        // Both read the container's brands; a file naming AVIF among them is AVIF even when
        // it also names the generic image brands that HEIF files carry.
        {Avif, "AVIF", &ImageImporter::ProbeAvif, &ImageImporter::ReadAvif},
        {Heif, "HEIF", &ImageImporter::ProbeHeif, &ImageImporter::ReadHeif},
        {Webp, "WebP", &ImageImporter::ProbeWebp, &ImageImporter::ReadWebp},
        {Gif, "GIF", &ImageImporter::ProbeGif, &ImageImporter::ReadGif},
        {Bmp, "BMP", &ImageImporter::ProbeBmp, &ImageImporter::ReadBmp},
        {Ico, "ICO/CUR", &ImageImporter::ProbeIco, &ImageImporter::ReadIco},
    };
    return kFormats;
}

const ImageImporter::FormatEntry* ImageImporter::FindFormat(int format) {
    for (const FormatEntry& entry : Formats()) {
        if (entry.format == format) {
            return &entry;
        }
    }
    return nullptr;
}

const char* ImageImporter::FormatName(int format) {
    if (const FormatEntry* entry = FindFormat(format)) {
        return entry->name;
    }
    return format == None ? "None" : "Unknown";
}
