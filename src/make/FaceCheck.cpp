#include "make/FaceCheck.h"

#include "import/AviReader.h"
#include "import/FaceDecision.h"
#include "import/PictureFile.h"
#include "make/MediaType.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
// Enough of a file's start for every structure RecogniseMedia looks at.
constexpr size_t kHeadBytes = 1 << 20;
// The largest file checked: a face entry's 32-bit length.
constexpr uint64_t kMaxFaceCheckBytes = UINT32_MAX;

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
               "in colour); vomracube-pack shrinks JPEGs and PNGs of any size";
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

// The file's first bytes, enough for RecogniseMedia.
std::vector<uint8_t> Head(std::span<const uint8_t> bytes) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::min(bytes.size(), kHeadBytes));
}

// An animated GIF moves; the saver shows the first image of an animated PNG still.
void DescribeAnimation(const FaceDecision& decision, FaceCheck& check) {
    const GifAnimation& animation = decision.animation;
    const BITMAPINFOHEADER* canvas = animation.Picture();
    check.verdict = FaceVerdict::kShown;
    check.pictureFormat = ImageImporter::Gif;
    check.width = canvas ? static_cast<int>(canvas->biWidth) : 0;
    check.height = canvas ? static_cast<int>(canvas->biHeight) : 0;
    check.images = static_cast<int>(animation.FrameCount());
    check.description =
        Describe("GIF picture, %d x %d, %d frames", check.width, check.height, check.images);
}

// The images in a GIF's block structure, counted without decoding any; a structure that
// breaks ends the count.
int CountGifImages(std::span<const uint8_t> d) {
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

void DescribePicture(std::span<const uint8_t> bytes, const FaceDecision& decision,
                     FaceCheck& check) {
    const BITMAPINFOHEADER* picture = decision.picture.get();
    const int format = decision.report.format;
    check.verdict = FaceVerdict::kShown;
    check.pictureFormat = format;
    check.width = static_cast<int>(picture->biWidth);
    check.height = static_cast<int>(picture->biHeight < 0 ? -picture->biHeight : picture->biHeight);
    check.images = 1;
    if (format == ImageImporter::Png) {
        const MediaType type = RecogniseMedia(Head(bytes));
        check.images = type.kind == MediaKind::kAnimatedPng ? std::max(1, type.frames) : 1;
    }
    // A GIF the decision took for a still picture is beyond what the saver animates.
    const int gifImages = format == ImageImporter::Gif ? CountGifImages(bytes) : 1;
    check.description =
        Describe("%s picture, %d x %d, %u bits per pixel", ImageImporter::FormatName(format),
                 check.width, check.height, static_cast<unsigned>(decision.report.bitCount));
    if (gifImages > 1) {
        check.stillAnimation = true;
        check.description += Describe(
            ", %d frames beyond what the saver animates (a screen of 4 megapixels, 32 MiB, "
            "100,000 frames): only the first frame shows, still",
            gifImages);
    } else if (check.images > 1) {
        check.description +=
            Describe(", %d frames (the saver shows the first one still)", check.images);
    }
}

bool CheckVideo(std::span<const uint8_t> bytes, FaceCheck& check) {
    AviVideo video;
    const AviStatus status = video.Open(bytes);
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
        check.problem = FaceProblem::kVideo;
        check.description = std::string("AVI file the saver cannot play: ") + AviStatusText(status);
    }
    return true;
}

// A moving picture in a container the saver does not play (the tools convert it).
bool IsClipKind(MediaKind kind) {
    switch (kind) {
    case MediaKind::kMp4:
    case MediaKind::kQuickTime:
    case MediaKind::kThreeGp:
    case MediaKind::kMatroska:
    case MediaKind::kWebm:
    case MediaKind::kAnimatedWebp:
    case MediaKind::kAnimatedPng:
    case MediaKind::kAsf:
    case MediaKind::kOgg:
    case MediaKind::kFlv:
    case MediaKind::kMpegProgram:
    case MediaKind::kMpegTransport:
        return true;
    default:
        return false;
    }
}

// Why a file of no format the importer knows falls back, naming what it is where that
// can be told from its content.
std::string UnknownFormatReason(std::span<const uint8_t> bytes) {
    const MediaType type = RecogniseMedia(Head(bytes));
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

FaceCheck CheckFaceBytes(std::span<const uint8_t> bytes) {
    return CheckFaceDecision(bytes, DecideFace(bytes));
}

FaceCheck CheckFaceDecision(std::span<const uint8_t> bytes, const FaceDecision& decision) {
    FaceCheck check;
    if (decision.kind == FaceKind::kAnimatedGif) {
        DescribeAnimation(decision, check);
        return check;
    }
    if (decision.kind == FaceKind::kStillPicture) {
        DescribePicture(bytes, decision, check);
        return check;
    }
    if (CheckVideo(bytes, check)) {
        return check;
    }
    const ImportReport& report = decision.report;
    if (report.format == ImageImporter::None || report.format == ImageImporter::Unknown) {
        check.problem = IsClipKind(RecogniseMedia(Head(bytes)).kind) ? FaceProblem::kVideo
                                                                     : FaceProblem::kUnknownKind;
        check.description = UnknownFormatReason(bytes);
    } else {
        check.problem = report.result == ImageImporter::TooLarge   ? FaceProblem::kTooLarge
                        : report.result == ImageImporter::NoMemory ? FaceProblem::kNoMemory
                                                                   : FaceProblem::kDamaged;
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
            check.description += " (" + RecogniseMedia(Head(bytes)).name + ")";
        }
    }
    return check;
}

FaceCheck CheckFaceFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    const PictureFileRead read = ReadPictureFile(path.c_str(), kMaxFaceCheckBytes, bytes);
    if (read == PictureFileRead::kOk) {
        return CheckFaceBytes(bytes);
    }
    FaceCheck check;
    check.problem = read == PictureFileRead::kTooLarge   ? FaceProblem::kTooLarge
                    : read == PictureFileRead::kNoMemory ? FaceProblem::kNoMemory
                                                         : FaceProblem::kCannotOpen;
    check.description = read == PictureFileRead::kTooLarge   ? "the file is too large to be a face"
                        : read == PictureFileRead::kNoMemory ? "not enough memory to read the file"
                                                             : "the file cannot be opened";
    return check;
}
