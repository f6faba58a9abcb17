#include "FaceCheck.h"

#include "import/AviReader.h"
#include "import/ImageImporter.h"

#include <cstdarg>
#include <cstdio>

namespace {
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
        return "the picture is too large";
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

bool CheckPicture(const std::string& path, FaceCheck& check) {
    BITMAPINFOHEADER* picture = ImportPicture(path.c_str());
    if (!picture) {
        return false;
    }
    ImageImporter importer;
    const int format = importer.Identify(path.c_str());
    check.verdict = FaceVerdict::kShown;
    check.description =
        Describe("%s picture, %d x %d, %u bits per pixel", ImageImporter::FormatName(format),
                 static_cast<int>(picture->biWidth),
                 static_cast<int>(picture->biHeight < 0 ? -picture->biHeight : picture->biHeight),
                 static_cast<unsigned>(picture->biBitCount));
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
} // namespace

FaceCheck CheckFaceFile(const std::string& path) {
    FaceCheck check;
    if (CheckPicture(path, check) || CheckVideo(path, check)) {
        return check;
    }
    ImageImporter importer;
    const int format = importer.Identify(path.c_str());
    if (format == ImageImporter::None) {
        check.description = "the file cannot be opened";
    } else if (format == ImageImporter::Unknown) {
        check.description =
            "neither a picture (BMP, ICO/CUR, GIF, JPEG, PNG, TIFF) nor an AVI video";
    } else {
        check.description = std::string(ImageImporter::FormatName(format)) +
                            " file the saver cannot read: " + ErrorText(importer.Decode());
    }
    return check;
}
