#include "make/FaceCheck.h"

#include "import/AnimatedGifPicture.h"
#include "import/AviReader.h"
#include "import/DrawableLayout.h"
#include "import/GifAnimation.h"
#include "import/ImageImporter.h"
#include "import/PictureLimits.h"
#include "make/MediaType.h"
#include "make/system/FileBytes.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
// Enough of a file's start for every structure RecogniseMedia looks at.
constexpr size_t kHeadBytes = 1 << 20;

const char* ErrorText(ImageImporter::Error error) {
    switch (error) {
    case ImageImporter::Ok:
        return "decoded";
    case ImageImporter::BadFile:
        return "a damaged file or a variant the saver refuses";
    case ImageImporter::Failed:
        return "the file ends early or its decoder failed";
    case ImageImporter::NoImage:
        return "it holds no image";
    case ImageImporter::NoMemory:
        return "not enough memory";
    case ImageImporter::TooLarge:
        return "the picture is larger than the saver holds (256 MiB of pixels, 64 megapixels "
               "in colour); vomracube-pack shrinks JPEGs of any size";
    }
    return "unknown error";
}

std::string FourCCText(DWORD code) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>(code >> (8 * i));
        s += c >= 32 && c < 127 ? c : '?';
    }
    return s;
}

std::string Describe(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Describe(const char* fmt, ...) {
    char text[300];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    return text;
}

// The file's first `limit` bytes (none when it cannot be read).
std::vector<uint8_t> ReadHead(const std::string& path, size_t limit) {
    std::vector<uint8_t> bytes;
    uint64_t size = 0;
    std::string unused;
    if (!ReadFileStart(path, limit, bytes, size, unused)) {
        bytes.clear();
    }
    return bytes;
}

// The images in a GIF's block structure, counted without decoding any; a structure that
// breaks ends the count.
int CountGifImages(const std::vector<uint8_t>& d) {
    if (d.size() < 13) {
        return 0;
    }
    size_t at = 13 + (d[10] & 0x80 ? 3 * (size_t{2} << (d[10] & 7)) : 0);
    auto skipSubBlocks = [&] {
        while (at < d.size() && d[at] != 0) {
            at += size_t{d[at]} + 1;
        }
        ++at;
    };
    int images = 0;
    while (at < d.size()) {
        const uint8_t introducer = d[at];
        if (introducer == 0x2C && at + 10 < d.size()) {
            const uint8_t flags = d[at + 9];
            at += 10 + (flags & 0x80 ? 3 * (size_t{2} << (flags & 7)) : 0) + 1;
            skipSubBlocks();
            ++images;
        } else if (introducer == 0x21 && at + 1 < d.size()) {
            at += 2;
            skipSubBlocks();
        } else {
            break;
        }
    }
    return images;
}

// The number of images of an animated GIF or PNG; 1 for every other picture. `stillGif`
// says a GIF of several images is beyond what the saver animates.
int CountImages(const std::string& path, int format, bool& stillGif) {
    stillGif = false;
    if (format == ImageImporter::Gif) {
        // The saver's own test: a GIF beyond the animation limits shows as a still picture.
        GifAnimation animation;
        if (LoadGifAnimation(path.c_str(), animation)) {
            return static_cast<int>(std::max<uint32_t>(1, animation.FrameCount()));
        }
        std::vector<uint8_t> bytes;
        std::string unused;
        const int images = ReadWholeFile(path, bytes, unused) ? CountGifImages(bytes) : 1;
        stillGif = images > 1;
        return std::max(1, images);
    }
    if (format == ImageImporter::Png) {
        const MediaType type = RecogniseMedia(ReadHead(path, kHeadBytes));
        return type.kind == MediaKind::kAnimatedPng ? std::max(1, type.frames) : 1;
    }
    return 1;
}

// The picture as the saver opens it: imported within the saver's size limit and put in
// the layout its renderer draws.
bool CheckPicture(const std::string& path, FaceCheck& check, ImportReport& report) {
    BITMAPINFOHEADER* picture =
        ImportPictureReporting(path.c_str(), picture::kMaxFacePixelBytes, &report);
    const WORD bits = picture ? picture->biBitCount : 0;
    picture = ToDrawableLayout(picture);
    if (!picture) {
        if (report.result == ImageImporter::Ok) {
            report.result = ImageImporter::NoMemory;
        }
        return false;
    }
    check.verdict = FaceVerdict::kShown;
    check.pictureFormat = report.format;
    check.width = static_cast<int>(picture->biWidth);
    check.height = static_cast<int>(picture->biHeight);
    bool stillGif = false;
    check.images = CountImages(path, report.format, stillGif);
    check.description =
        Describe("%s picture, %d x %d, %u bits per pixel", ImageImporter::FormatName(report.format),
                 check.width, check.height, static_cast<unsigned>(bits));
    if (stillGif) {
        check.description += Describe(
            ", %d frames beyond what the saver animates (a screen of 4 megapixels, 32 MiB, "
            "100,000 frames): only the first frame shows, still",
            check.images);
        check.images = 1;
        check.stillAnimation = true;
    } else if (check.images > 1) {
        check.description += Describe(
            ", %d frames%s", check.images,
            report.format == ImageImporter::Png ? " (the saver shows the first one still)" : "");
    }
    HGLOBAL block = GlobalHandle(picture);
    GlobalUnlock(block);
    GlobalFree(block);
    return true;
}

bool CheckVideo(const std::string& path, FaceCheck& check) {
    AviVideo video;
    const AviStatus status = video.Open(path.c_str());
    if (status == AviStatus::kCannotOpen || status == AviStatus::kNotAvi) {
        return false;
    }
    const BITMAPINFOHEADER& f = video.Format();
    const AviStreamInfo& info = video.Info();
    check.videoCompression = f.biCompression;
    if (status == AviStatus::kOk) {
        check.verdict = FaceVerdict::kShown;
        const double fps = info.dwScale ? static_cast<double>(info.dwRate) / info.dwScale : 0.0;
        check.description =
            Describe("AVI video, %d x %d, %u bits per pixel, %u frames at %.3g frames per second",
                     static_cast<int>(f.biWidth),
                     static_cast<int>(f.biHeight < 0 ? -f.biHeight : f.biHeight),
                     static_cast<unsigned>(f.biBitCount), video.FrameCount(), fps);
        if (info.dwRate == 0 || info.dwScale == 0) {
            check.description += " (no frame rate: the first frame stands still)";
        }
    } else if (status == AviStatus::kCompressed) {
        check.verdict = FaceVerdict::kMaybe;
        check.description = "AVI video compressed with \"" + FourCCText(f.biCompression) +
                            "\": shown only where Windows has that codec, else the default picture";
    } else {
        check.description = std::string("AVI file the saver cannot play: ") + AviStatusText(status);
    }
    return true;
}

// Why a file of no format the importer knows falls back, naming what it is where that
// can be told from its content.
std::string UnknownFormatReason(const std::string& path) {
    const MediaType type = RecogniseMedia(ReadHead(path, kHeadBytes));
    switch (type.kind) {
    case MediaKind::kUnknown:
        return "neither a picture (BMP, ICO/CUR, GIF, JPEG, PNG, TIFF) nor an AVI video";
    case MediaKind::kBmp:
    case MediaKind::kJpeg:
        return type.name + ", which the saver does not read";
    case MediaKind::kHeif:
    case MediaKind::kAvif:
    case MediaKind::kWebp:
    case MediaKind::kJpegXl:
        return type.name + ": the saver does not read this format (JPEG or PNG work)";
    case MediaKind::kMp4Audio:
        return type.name;
    default:
        return type.name + ": the saver plays video from AVI files only";
    }
}
} // namespace

FaceCheck CheckFaceFile(const std::string& path) {
    FaceCheck check;
    ImportReport report;
    if (CheckPicture(path, check, report) || CheckVideo(path, check)) {
        return check;
    }
    if (report.format == ImageImporter::None) {
        check.description = "the file cannot be opened";
    } else if (report.format == ImageImporter::Unknown) {
        check.description = UnknownFormatReason(path);
    } else {
        if (report.result == ImageImporter::TooLarge) {
            check.tooLarge = true;
            check.pictureFormat = report.format;
            check.width = static_cast<int>(report.width);
            check.height = static_cast<int>(report.height);
        }
        check.description = std::string(ImageImporter::FormatName(report.format)) +
                            " file the saver cannot read: " +
                            (report.detail ? report.detail : ErrorText(report.result));
        // Where the importer gives no reason, the header tells which kind of BMP it is.
        if (!report.detail && report.format == ImageImporter::Bmp) {
            check.description += " (" + RecogniseMedia(ReadHead(path, kHeadBytes)).name + ")";
        }
    }
    return check;
}
