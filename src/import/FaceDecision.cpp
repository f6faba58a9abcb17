#include "import/FaceDecision.h"

#include "import/AnimatedGifPicture.h"
#include "import/AnimatedWebpPicture.h"
#include "import/DrawableLayout.h"

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
    if (LoadWebpAnimation(bytes, decision.webpAnimation)) {
        decision.kind = FaceKind::kAnimatedWebp;
        return decision;
    }
    // The picture as the renderer draws it: an accepted picture it could not draw would
    // leave a hole in the cube.
    decision.picture.reset(
        ToDrawableLayout(ImportPictureReporting(bytes, pixelLimit, &decision.report)));
    if (!decision.picture && decision.report.result == ImageImporter::Ok) {
        decision.report.result = ImageImporter::NoMemory;
    }
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
