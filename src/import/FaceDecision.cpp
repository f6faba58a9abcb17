#include "import/FaceDecision.h"

#include "import/AnimatedGifPicture.h"

#include <cstring>

FaceDecision DecideFace(std::span<const uint8_t> bytes, DWORD pixelLimit) {
    FaceDecision decision;
    if (bytes.size() > picture::kMaxPictureFileBytes) {
        decision.report.result = ImageImporter::TooLarge;
        return decision;
    }
    if (LoadGifAnimation(bytes, decision.animation)) {
        decision.kind = FaceKind::kAnimatedGif;
        return decision;
    }
    decision.animation = GifAnimation();
    decision.picture.reset(ImportPictureReporting(bytes, pixelLimit, &decision.report));
    decision.kind = decision.picture ? FaceKind::kStillPicture : FaceKind::kVideo;
    return decision;
}

bool CouldBePictureFace(std::span<const uint8_t> bytes) {
    if (bytes.size() > picture::kMaxPictureFileBytes) {
        return false;
    }
    if (bytes.size() >= 3 && std::memcmp(bytes.data(), "GIF", 3) == 0) {
        return true;
    }
    ImageImporter importer;
    const int format = importer.Identify(bytes);
    return format != ImageImporter::None && format != ImageImporter::Unknown;
}
