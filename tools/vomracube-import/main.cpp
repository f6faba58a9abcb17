// vomracube-import [--out DIR] FILE...
//
// Imports each picture file exactly as the saver does (within its size limit, in the
// layout its renderer draws) and prints one line per file: name, result, format, width,
// height and depth of the packed picture as imported, tab-separated ("-" where a failed
// import has none). With --out, writes <sha1>.json for every file and, for imported
// pictures, <sha1>.png (RGB) as the saver draws it, named by the SHA-1 of the file's bytes.
// Exits 0 when every file was processed, whatever the results; 2 on a usage error.
#include "PackedToRgb.h"
#include "Sha1.h"
#include "import/DrawableLayout.h"
#include "import/ImageImporter.h"
#include "import/PackedPicture.h"
#include "import/PictureLimits.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <png.h>

namespace {

const char* ResultName(const ImportReport& report) {
    if (report.format == ImageImporter::None) {
        return "CannotOpen";
    }
    if (report.format == ImageImporter::Unknown) {
        return "Unrecognised";
    }
    static const char* const kNames[] = {"Ok",      "BadFile",  "Failed",
                                         "NoImage", "NoMemory", "TooLarge"};
    return report.result >= 0 && report.result <= 5 ? kNames[report.result] : "Failed";
}

bool WriteRgbPng(const std::string& path, const BITMAPINFOHEADER* packed) {
    std::vector<uint8_t> rgb;
    if (!PackedToRgb(packed, &rgb)) {
        // A bitmap's compression passed through unchanged: nothing to draw here.
        std::fprintf(stderr, "vomracube-import: no RGB form for %s\n", path.c_str());
        return true;
    }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(packed->biWidth);
    image.height =
        static_cast<png_uint_32>(packed->biHeight < 0 ? -packed->biHeight : packed->biHeight);
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// Returns false when an output file could not be written.
bool ProcessFile(const char* fileName, const char* outDir) {
    ImportReport report;
    PackedPicture imported(ImportPictureReporting(fileName, picture::kMaxPixelBytes, &report));
    const LONG height = imported ? imported->biHeight : 0;
    const unsigned bits = imported ? imported->biBitCount : 0;
    const PackedPicture packed(ToDrawableLayout(imported.release()));
    if (!packed && report.result == ImageImporter::Ok) {
        report.result = ImageImporter::NoMemory;
    }
    const char* result = ResultName(report);
    if (packed) {
        std::printf("%s\t%s\t%s\t%ld\t%ld\t%u\n", fileName, result,
                    ImageImporter::FormatName(report.format), static_cast<long>(packed->biWidth),
                    static_cast<long>(height), bits);
    } else {
        std::printf("%s\t%s\t%s\t-\t-\t-\n", fileName, result,
                    ImageImporter::FormatName(report.format));
    }

    bool written = true;
    if (outDir) {
        std::ifstream in(fileName, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        const std::string stem = std::string(outDir) + "/" + Sha1Hex(bytes.data(), bytes.size());
        std::string json = std::string("{\"result\": \"") + result + "\"";
        if (packed) {
            json += ", \"width\": " + std::to_string(packed->biWidth) +
                    ", \"height\": " + std::to_string(height) +
                    ", \"bitcount\": " + std::to_string(bits);
            written = WriteRgbPng(stem + ".png", packed.get());
        }
        json += "}\n";
        written = WriteText(stem + ".json", json) && written;
    }
    return written;
}

} // namespace

int main(int argc, char** argv) {
    const char* outDir = nullptr;
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--out") {
        outDir = argv[2];
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: vomracube-import [--out DIR] FILE...\n");
        return 2;
    }
    bool allWritten = true;
    for (int i = first; i < argc; ++i) {
        if (!ProcessFile(argv[i], outDir)) {
            std::fprintf(stderr, "vomracube-import: cannot write the output for %s\n", argv[i]);
            allWritten = false;
        }
    }
    std::fflush(stdout);
    return allWritten ? 0 : 1;
}
