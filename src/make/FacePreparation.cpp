#include "make/FacePreparation.h"

#include "make/picture/AreaResample.h"
#include "make/picture/ExifOrientation.h"
#include "make/system/FileBytes.h"
#include "make/picture/JpegWriter.h"
#include "make/MediaType.h"
#include "make/ProjectBudget.h"
#include "make/picture/PngShrinking.h"
#include "make/picture/PngWriter.h"
#include "make/system/ProcessRun.h"
#include "make/system/TempFile.h"
#include "make/VideoConversion.h"
#include "make/video/ClipAvi.h"
#include "import/ImageImporter.h"
#include "import/PackedPicture.h"

#include <algorithm>

namespace {
// Reworking holds the decoded picture about twice over, at four bytes a pixel; larger
// pictures (a 50-megapixel camera's at most) are not decoded whole, above all in the 32-bit
// Windows build. A JPEG is read at 1/2, 1/4 or 1/8 of its size instead (the library's DCT
// scaling) and a PNG is shrunk row by row while it is decoded, so that photos and scans of
// any size are stood upright and shrunk; other pictures larger than this are stored as
// given.
constexpr int64_t kMaxReworkPixels = 50'000'000;
constexpr unsigned kMaxJpegScale = 8;
// Uncompressed pictures (BMP, TIFF) larger than this are stored as PNG, losing nothing: a
// 1600 x 1200 BMP of 5.5 MiB is a PNG of a fraction of it.
constexpr size_t kStoreAsPngBytes = size_t{1} << 20;

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

bool Cancelled(const FacePlan& plan) {
    return plan.cancel && plan.cancel->load();
}

std::string FailureText(const RunOutcome& run, const std::string& errors) {
    switch (run.end) {
    case RunEnd::kNotStarted:
        return "it could not be started";
    case RunEnd::kTimedOut:
        return "it was still running at the time limit and was ended";
    case RunEnd::kCancelled:
        return "cancelled";
    case RunEnd::kExited:
        break;
    }
    const std::string line = FirstLine(errors);
    return "it failed with exit code " + std::to_string(run.code) +
           (line.empty() ? std::string(" and no message") : ": " + line);
}

// Converts the clip with ffmpeg; false (with a note saying why) when that fails or its AVI
// would not play.
bool ConvertClip(const std::string& path, const MediaType& type, uint64_t size,
                 const FacePlan& plan, PreparedFace& face) {
    TempFile avi;
    RunOutcome run;
    if (!avi.Path().empty()) {
        RunLimits limits;
        limits.cancel = plan.cancel;
        limits.timeLimitMs = ConversionTimeLimitMs(size);
        run = RunProgram(plan.ffmpeg,
                         UnattendedArguments(VideoConversionArguments(path, avi.Path())), limits);
    }
    const bool ran = run.end == RunEnd::kExited;
    const bool exited = ran && run.code == 0;
    FaceCheck converted;
    std::vector<uint8_t> bytes;
    std::string readError;
    if (exited) {
        converted = CheckFaceFile(avi.Path());
    }
    if (!exited || converted.verdict == FaceVerdict::kDefault ||
        !ReadWholeFile(avi.Path(), bytes, readError)) {
        const std::string why = !exited ? FailureText(run, run.errors)
                                : converted.verdict == FaceVerdict::kDefault
                                    ? "its AVI does not play: " + converted.description
                                    : "its AVI cannot be read: " + readError;
        face.notes.push_back("ffmpeg could not convert the " + type.name + " (" + why +
                             "); stored as given");
        if (ran && run.code > 0 && type.kind == MediaKind::kAnimatedWebp) {
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

// The containers of phone and web clips, which the tools' own decoder reads.
bool DecodedInProcess(MediaKind kind) {
    return kind == MediaKind::kMp4 || kind == MediaKind::kQuickTime ||
           kind == MediaKind::kThreeGp || kind == MediaKind::kMatroska || kind == MediaKind::kWebm;
}

// The most a converted clip may take: a face's limit, and what the project has left.
uint64_t ConvertedLimit(const FacePlan& plan) {
    const uint64_t others = plan.otherFaces.value_or(0);
    const uint64_t left = others < kProjectFaceBytes ? kProjectFaceBytes - others : 0;
    return std::min(kLargestFaceBytes, left);
}

enum class Converted { kDone, kFailed, kCancelled };

// Converts the clip in process into a Motion-JPEG AVI; on failure a note says why and the
// file is stored as given.
Converted ConvertClipHere(const std::string& path, const MediaType& type, uint64_t size,
                          const FacePlan& plan, PreparedFace& face) {
    ClipFile input;
    ConvertedClip clip;
    std::string error;
    ClipCallbacks callbacks;
    callbacks.cancel = plan.cancel;
    callbacks.progress = plan.progress;
    if (!input.Open(path, error) ||
        !ConvertClipToAvi(input, callbacks, ConvertedLimit(plan), clip, error)) {
        if (error == kClipCancelledText) {
            return Converted::kCancelled;
        }
        face.notes.push_back("the " + type.name + " could not be converted (" + error +
                             "); stored as given");
        return Converted::kFailed;
    }
    const ClipFrames& f = clip.frames;
    std::string from = type.name + " (" + f.codec + ", " + std::to_string(f.sourceWidth) + " x " +
                       std::to_string(f.sourceHeight) + ", " + std::to_string(size) + " bytes)";
    face.notes.push_back("converted from " + from + " to " + ConvertedClipText(f) + " (" +
                         std::to_string(clip.avi.size()) + " bytes)");
    if (f.quarterTurns != 0) {
        face.notes.push_back("stood upright as the clip says it was filmed");
    }
    if (f.cut) {
        face.notes.push_back("only its first " + std::to_string(kClipMaxFrames) +
                             " frames are kept (five minutes at 30 frames per second)");
    }
    face.data = std::move(clip.avi);
    face.check = CheckFaceBytes(face.data);
    return Converted::kDone;
}

// The picture as the saver decodes it (stood upright by its orientation, its colours in
// sRGB), brought to width x height: the decision's picture when it was read at full size;
// else read again from the bytes (a JPEG at 1/jpegScale of its size), or, for a PNG too large
// for that, shrunk row by row from the file while it is decoded.
bool DecodeUpright(const FaceDecision& decision, std::span<const uint8_t> bytes,
                   const std::string& path, int width, int height, unsigned jpegScale,
                   bool whileDecoding, RgbaImage& image) {
    if (whileDecoding) {
        return ShrinkPngWhileDecoding(path, std::max(width, height), image);
    }
    PackedPicture scaled;
    const BITMAPINFOHEADER* packed = decision.picture.get();
    if (jpegScale != 1 || !packed) {
        scaled.reset(ImportPictureReporting(bytes, 0xFFFFFFFFu, nullptr, jpegScale));
        packed = scaled.get();
    }
    if (!packed || !UnpackPicture(packed, image)) {
        return false;
    }
    // A picture read at a fraction of its size may come out a pixel short of the size asked
    // for; it is never enlarged.
    width = std::min(width, image.width);
    height = std::min(height, image.height);
    if (image.width != width || image.height != height) {
        image = AreaResample(image, width, height);
    }
    return true;
}

// Decodes the picture, stands it upright, shrinks it and encodes it again. `done` says
// what was asked for; it becomes the face's notes when every step succeeds, else one note
// says the file is stored as given.
struct ReworkInput {
    const FaceDecision& decision;
    const std::string& path;
    int width, height;
    unsigned jpegScale;
    bool whileDecoding;
    bool turned, shrunk;
};

bool Rework(const ReworkInput& in, std::vector<std::string> done, const FacePlan& plan,
            PreparedFace& face) {
    const bool jpeg = face.check.pictureFormat == ImageImporter::Jpeg;
    RgbaImage image;
    std::vector<uint8_t> encoded;
    const bool ok = DecodeUpright(in.decision, face.data, in.path, in.width, in.height,
                                  in.jpegScale, in.whileDecoding, image) &&
                    (jpeg ? EncodeJpeg(image, kJpegQuality, encoded) : EncodePng(image, encoded));
    const FaceCheck check = ok ? CheckFaceBytes(encoded) : FaceCheck{};
    if (check.verdict != FaceVerdict::kShown) {
        face.notes.push_back("could not be stood upright or shrunk (decoding or encoding "
                             "failed); stored as given");
        return false;
    }
    face.notes.insert(face.notes.end(), done.begin(), done.end());
    face.notes.push_back("stored " + std::string(jpeg ? "as JPEG (quality " : "as PNG (") +
                         (jpeg ? std::to_string(kJpegQuality) + ", 4:2:0)" : "lossless)") + ": " +
                         Size(face.check.width, face.check.height, face.data.size()) + " -> " +
                         Size(check.width, check.height, encoded.size()));
    face.data = std::move(encoded);
    face.check = check;
    face.turned = in.turned;
    face.shrunk = in.shrunk;
    face.thumbnail = ImageThumbnail(image, plan.thumbnailSide);
    return true;
}

// The DCT scale a JPEG of size w x h is read at to be shrunk to fit `width` x `height` (both
// sizes upright, or both as stored: the answer is the same): the largest that still gives at least
// that many pixels, and at least the one that keeps the decoded picture within the rework limit.
unsigned JpegScale(int64_t w, int64_t h, int64_t width, int64_t height) {
    unsigned scale = 1;
    while (scale < kMaxJpegScale) {
        const int64_t next = 2 * scale;
        const bool fits = w / next >= width && h / next >= height;
        if (!fits && (w / scale) * (h / scale) <= kMaxReworkPixels) {
            break;
        }
        scale = static_cast<unsigned>(next);
    }
    return scale;
}

// True when the picture was reworked (its thumbnail made from the result).
bool ReworkPicture(const FaceDecision& decision, const std::string& path, const FacePlan& plan,
                   PreparedFace& face) {
    const bool jpeg = face.check.pictureFormat == ImageImporter::Jpeg;
    // A picture the saver cannot hold is reworked too, where it can be.
    const bool readable = face.check.verdict == FaceVerdict::kShown || face.check.tooLarge;
    if (!readable || face.check.pictureFormat == 0 || face.check.images > 1) {
        return false; // videos and animations are stored as given
    }
    // The importer stands a JPEG upright as it decodes it, as the saver does, so the check
    // gives the upright size and the decoded picture needs no turn here; a photo taken turned
    // is re-encoded (upright, with no orientation left) when the plan turns photos.
    const int orientation = jpeg && plan.turn ? ReadExifOrientation(face.data) : 0;
    const bool turn = orientation >= 2;
    const int uprightWidth = face.check.width, uprightHeight = face.check.height;
    int width = 0, height = 0;
    ShrunkSize(uprightWidth, uprightHeight, plan.maxSide, width, height);
    const bool uncompressed = face.check.pictureFormat == ImageImporter::Bmp ||
                              face.check.pictureFormat == ImageImporter::Tiff;
    const bool compress = uncompressed && plan.maxSide > 0 && face.data.size() > kStoreAsPngBytes;
    if (!turn && !compress && width == uprightWidth && height == uprightHeight) {
        return false;
    }
    const int64_t w = face.check.width, h = face.check.height;
    const unsigned scale = jpeg ? JpegScale(w, h, width, height) : 1;
    const bool png = face.check.pictureFormat == ImageImporter::Png;
    const bool whileDecoding = png && w * h > kMaxReworkPixels;
    if ((w / scale) * (h / scale) > kMaxReworkPixels && !whileDecoding) {
        face.notes.push_back("too large to shrink or turn here (more than " +
                             std::to_string(kMaxReworkPixels / 1000000) +
                             " megapixels); stored as given");
        return false;
    }
    std::vector<std::string> done;
    if (turn) {
        done.push_back("stood upright: its Exif orientation " + std::to_string(orientation) +
                       " asks for it to be " + OrientationText(orientation));
    }
    if (width != uprightWidth || height != uprightHeight) {
        std::string shrunk = "shrunk by area averaging to fit " + std::to_string(plan.maxSide) +
                             " pixels (--max-side)";
        if (scale > 1) {
            // Appended piece by piece: MinGW's GCC 12 warns of a false overlap otherwise.
            shrunk.append(", read at 1/").append(std::to_string(scale)).append(" size first");
        }
        done.push_back(std::move(shrunk));
    }
    const bool shrunk = width != uprightWidth || height != uprightHeight;
    return Rework({decision, path, width, height, scale, whileDecoding, turn, shrunk},
                  std::move(done), plan, face);
}
} // namespace

const char kCancelledText[] = "cancelled";

bool PrepareFace(const std::string& path, const FacePlan& plan, PreparedFace& face,
                 std::string& error) {
    FileReader file;
    if (!file.Open(path, error)) {
        return false;
    }
    const uint64_t size = file.Size();
    // The start tells a clip, which need not be read whole when it is converted.
    std::vector<uint8_t> bytes;
    if (!file.ReadMore(size_t{1} << 20, bytes, error)) {
        return false;
    }
    const MediaType type = RecogniseMedia(bytes);
    // An animated PNG decodes as a still picture, but the user meant the animation; an
    // animated WebP the saver plays itself.
    const bool clip = type.moving && type.kind != MediaKind::kAnimatedWebp &&
                      (type.kind != MediaKind::kAnimatedPng || type.frames > 1);
    // A phone clip larger than a face may be is converted first: its AVI is what counts.
    const bool here = clip && DecodedInProcess(type.kind);
    if (!here && plan.otherFaces && !(error = FaceBudgetRefusal(size, *plan.otherFaces)).empty()) {
        return false;
    }
    if (here) {
        const Converted converted = ConvertClipHere(path, type, size, plan, face);
        if (converted == Converted::kDone) {
            face.converted = true;
            face.thumbnail = MakeFaceThumbnail(face.data, plan.thumbnailSide);
            return true;
        }
        if (converted == Converted::kCancelled) {
            error = kCancelledText;
            return false;
        }
        if (plan.otherFaces && !(error = FaceBudgetRefusal(size, *plan.otherFaces)).empty()) {
            return false;
        }
    } else if (clip && !plan.ffmpeg.empty() && ConvertClip(path, type, size, plan, face)) {
        face.converted = true;
        face.thumbnail = MakeFaceThumbnail(face.data, plan.thumbnailSide);
        return true;
    }
    if (size > 0xFFFFFFFFu) {
        error = "larger than 4 GiB";
        return false;
    }
    if (Cancelled(plan)) {
        error = kCancelledText;
        return false;
    }
    if (!file.ReadMore(size, bytes, error)) {
        return false;
    }
    face.data = std::move(bytes);
    FaceDecision decision = DecideFace(face.data);
    face.check = CheckFaceDecision(face.data, decision);
    bool reworked = false;
    if (face.check.stillAnimation) {
        // The saver would show it still; as an AVI it keeps moving (at the clip size).
        MediaType gif;
        gif.name = "animated GIF";
        gif.moving = true;
        if (plan.ffmpeg.empty()) {
            PrintConversionCommand(path, face);
        } else if (ConvertClip(path, gif, size, plan, face)) {
            face.converted = true;
            face.thumbnail = MakeFaceThumbnail(face.data, plan.thumbnailSide);
            return true;
        }
    } else if (clip) {
        if (plan.ffmpeg.empty() && !here) {
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
        reworked = ReworkPicture(decision, path, plan, face);
    }
    if (!reworked && plan.thumbnailSide > 0 && face.check.verdict != FaceVerdict::kDefault) {
        face.thumbnail = MakeFaceThumbnail(face.data, decision, plan.thumbnailSide);
    }
    return true;
}
