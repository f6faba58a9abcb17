#include "make/FacePreparation.h"

#include "make/picture/AreaResample.h"
#include "make/picture/ExifOrientation.h"
#include "make/system/FileBytes.h"
#include "make/picture/JpegWriter.h"
#include "make/MediaType.h"
#include "make/picture/Orientation.h"
#include "make/picture/PngWriter.h"
#include "make/system/ProcessRun.h"
#include "make/system/TempFile.h"
#include "make/VideoConversion.h"
#include "import/ImageImporter.h"
#include "import/PackedPicture.h"

#include <algorithm>

namespace {
// Reworking holds the decoded picture about twice over, at four bytes a pixel; larger
// pictures (a 50-megapixel camera's at most) are stored as given rather than risk running
// out of memory, above all in the 32-bit Windows build.
constexpr int64_t kMaxReworkPixels = 50'000'000;

std::string Size(int width, int height, size_t bytes) {
    return std::to_string(width) + " x " + std::to_string(height) + ", " + std::to_string(bytes) +
           " bytes";
}

// The first line of ffmpeg's error output, which names the cause (the later ones tell
// what failed in turn), without the "[decoder @ 0x...] " it starts with.
std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    if (!line.empty() && line[0] == '[' && line.find("] ") != std::string::npos) {
        line.erase(0, line.find("] ") + 2);
    }
    return line;
}

void PrintConversionCommand(const std::string& path, PreparedFace& face) {
    face.notes.push_back("ffmpeg is not on the PATH; this command makes an AVI the saver plays (" +
                         VideoConversionText() + "):");
    face.notes.push_back("  " +
                         CommandText("ffmpeg", VideoConversionArguments(path, AviNameFor(path))));
}

// Converts the clip with ffmpeg; false (with a note saying why) when that fails or its AVI
// would not play.
bool ConvertClip(const std::string& path, const MediaType& type, uint64_t size,
                 const FacePlan& plan, PreparedFace& face) {
    TempFile avi;
    std::string errors;
    const int code =
        avi.Path().empty()
            ? -1
            : RunProgram(plan.ffmpeg,
                         UnattendedArguments(VideoConversionArguments(path, avi.Path())), errors);
    FaceCheck converted;
    std::vector<uint8_t> bytes;
    std::string unused;
    if (code == 0) {
        converted = CheckFaceFile(avi.Path());
    }
    if (code != 0 || converted.verdict == FaceVerdict::kDefault ||
        !ReadWholeFile(avi.Path(), bytes, unused)) {
        const std::string why = code < 0    ? "it could not be started"
                                : code != 0 ? "it failed: " + FirstLine(errors)
                                            : "its AVI does not play: " + converted.description;
        face.notes.push_back("ffmpeg could not convert the " + type.name + " (" + why +
                             "); stored as given");
        if (code > 0 && type.kind == MediaKind::kAnimatedWebp) {
            face.notes.push_back("(this ffmpeg cannot decode animated WebP: save it "
                                 "as an animated GIF or a video instead)");
        }
        return false;
    }
    face.notes.push_back("converted with ffmpeg from " + type.name + " (" + std::to_string(size) +
                         " bytes) to " + VideoConversionText() + " (" +
                         std::to_string(bytes.size()) + " bytes; Windows includes its codec)");
    face.data = std::move(bytes);
    face.check = converted;
    return true;
}

// Decodes the picture as the saver does, stands it upright, shrinks it and encodes it
// again. `done` says what was asked for; it becomes the face's notes when every step
// succeeds, else one note says the file is stored as given.
void Rework(const std::string& path, int orientation, int width, int height,
            std::vector<std::string> done, PreparedFace& face) {
    const bool jpeg = face.check.pictureFormat == ImageImporter::Jpeg;
    const PackedPicture packed(ImportPicture(path.c_str()));
    RgbaImage image;
    const bool unpacked = packed && UnpackPicture(packed.get(), image);
    std::vector<uint8_t> encoded;
    bool ok = unpacked;
    if (ok) {
        image = Upright(image, orientation);
        if (image.width != width || image.height != height) {
            image = AreaResample(image, width, height);
        }
        ok = jpeg ? EncodeJpeg(image, kJpegQuality, encoded) : EncodePng(image, encoded);
    }
    const FaceCheck check = ok ? CheckFaceBytes(encoded) : FaceCheck{};
    if (check.verdict != FaceVerdict::kShown) {
        face.notes.push_back("could not be stood upright or shrunk (decoding or encoding "
                             "failed); stored as given");
        return;
    }
    face.notes.insert(face.notes.end(), done.begin(), done.end());
    face.notes.push_back("stored " + std::string(jpeg ? "as JPEG (quality " : "as PNG (") +
                         (jpeg ? std::to_string(kJpegQuality) + ", 4:2:0)" : "lossless)") + ": " +
                         Size(face.check.width, face.check.height, face.data.size()) + " -> " +
                         Size(check.width, check.height, encoded.size()));
    face.data = std::move(encoded);
    face.check = check;
}

void ReworkPicture(const std::string& path, const FacePlan& plan, PreparedFace& face) {
    if (face.check.verdict != FaceVerdict::kShown || face.check.pictureFormat == 0 ||
        face.check.images > 1) {
        return; // videos and animations are stored as given
    }
    const int orientation =
        face.check.pictureFormat == ImageImporter::Jpeg ? ReadExifOrientation(face.data) : 0;
    const bool turn = orientation >= 2;
    const int uprightWidth = orientation >= 5 ? face.check.height : face.check.width;
    const int uprightHeight = orientation >= 5 ? face.check.width : face.check.height;
    int width = 0, height = 0;
    ShrunkSize(uprightWidth, uprightHeight, plan.maxSide, width, height);
    if (!turn && width == uprightWidth && height == uprightHeight) {
        return;
    }
    if (int64_t{face.check.width} * face.check.height > kMaxReworkPixels) {
        face.notes.push_back("too large to shrink or turn here (more than " +
                             std::to_string(kMaxReworkPixels / 1000000) +
                             " megapixels); stored as given");
        return;
    }
    std::vector<std::string> done;
    if (turn) {
        done.push_back("stood upright: its Exif orientation " + std::to_string(orientation) +
                       " asks for it to be " + OrientationText(orientation));
    }
    if (width != uprightWidth || height != uprightHeight) {
        done.push_back("shrunk by area averaging to fit " + std::to_string(plan.maxSide) +
                       " pixels (--max-side)");
    }
    Rework(path, orientation, width, height, std::move(done), face);
}
} // namespace

bool PrepareFace(const std::string& path, const FacePlan& plan, PreparedFace& face,
                 std::string& error) {
    // The start tells a clip, which need not be read whole when ffmpeg converts it.
    std::vector<uint8_t> head;
    uint64_t size = 0;
    if (!ReadFileStart(path, size_t{1} << 20, head, size, error)) {
        return false;
    }
    const MediaType type = RecogniseMedia(head);
    // An animated PNG decodes as a still picture, but the user meant the animation.
    const bool clip = type.moving && (type.kind != MediaKind::kAnimatedPng || type.frames > 1);
    if (clip && !plan.ffmpeg.empty() && ConvertClip(path, type, size, plan, face)) {
        return true;
    }
    if (!ReadWholeFile(path, face.data, error)) {
        return false;
    }
    face.check = CheckFaceBytes(face.data);
    if (clip) {
        if (plan.ffmpeg.empty()) {
            PrintConversionCommand(path, face);
        }
    } else if (face.check.verdict == FaceVerdict::kMaybe &&
               !WindowsHasCodec(face.check.videoCompression)) {
        // Stored as given: the user may have the codec; the note says how to do without.
        face.notes.push_back("Windows has no codec for these frames unless one was installed; "
                             "this command makes an AVI every Windows plays:");
        face.notes.push_back(
            "  " + CommandText("ffmpeg", VideoConversionArguments(path, AviNameFor(path))));
    } else {
        ReworkPicture(path, plan, face);
    }
    return true;
}
