#include "make/FaceThumbnail.h"

#include "make/picture/AreaResample.h"
#include "make/system/TempFile.h"
#include "import/AviReader.h"
#include "import/FaceDecision.h"
#include "import/ImageImporter.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {
// Unpacks and shrinks a packed picture; false (and `image` untouched) for a layout or size
// this does not take. Besides the importer's and the AVI reader's pictures this sees frames
// of the system's video library, which may carry a larger header or a short colour table.
bool ShrinkPacked(const BITMAPINFOHEADER* packed, int maxSide, const ThumbnailLimits& limits,
                  RgbaImage& image) {
    const unsigned depth = packed->biBitCount;
    if (packed->biSize != sizeof(BITMAPINFOHEADER) ||
        (depth <= 8 && packed->biClrUsed != 0 && packed->biClrUsed < (1u << depth))) {
        return false;
    }
    const uint64_t width = packed->biWidth > 0 ? static_cast<uint64_t>(packed->biWidth) : 0;
    const uint64_t height = static_cast<uint64_t>(std::abs(int64_t{packed->biHeight}));
    if (width == 0 || height == 0 || width * height > limits.pixels) {
        return false;
    }
    RgbaImage full;
    if (!UnpackPicture(packed, full)) {
        return false;
    }
    int shrunkWidth = 0, shrunkHeight = 0;
    ShrunkSize(full.width, full.height, maxSide, shrunkWidth, shrunkHeight);
    image = shrunkWidth == full.width && shrunkHeight == full.height
                ? std::move(full)
                : AreaResample(full, shrunkWidth, shrunkHeight);
    return true;
}

// What the saver shows first: the animation's first frame, or the still picture.
void PictureThumbnail(FaceDecision& decision, int maxSide, const ThumbnailLimits& limits,
                      FaceThumbnail& thumbnail) {
    if (decision.kind == FaceKind::kAnimatedGif) {
        thumbnail.moving = true;
        decision.animation.ShowFrame(0);
        if (const BITMAPINFOHEADER* picture = decision.animation.Picture()) {
            ShrinkPacked(picture, maxSide, limits, thumbnail.image);
        }
    } else if (decision.kind == FaceKind::kAnimatedWebp) {
        thumbnail.moving = true;
        decision.webpAnimation.ShowFrame(0);
        if (const BITMAPINFOHEADER* picture = decision.webpAnimation.Picture()) {
            ShrinkPacked(picture, maxSide, limits, thumbnail.image);
        }
    } else if (decision.picture) {
        ShrinkPacked(decision.picture.get(), maxSide, limits, thumbnail.image);
    }
}

// The system's video library where there is one (it has the codecs the saver would use),
// else our reader of uncompressed AVI files.
const VideoEntryPoints& VideoLibrary() {
    static const VideoEntryPoints library = [] {
        VideoEntryPoints system{};
        return LoadSystemVideoLibrary(system) ? system : AviReaderEntryPoints();
    }();
    return library;
}

// Uncompressed frames are read from the bytes themselves; false when they need a codec.
bool UncompressedFirstFrame(std::span<const uint8_t> data, int maxSide,
                            const ThumbnailLimits& limits, FaceThumbnail& thumbnail) {
    AviVideo video;
    std::vector<BYTE> frame;
    if (video.Open(data) != AviStatus::kOk) {
        return false;
    }
    try {
        frame.resize(video.PackedSize());
    } catch (const std::bad_alloc&) {
        return true; // nothing to show, and no codec would change that
    }
    if (video.ReadFrame(0, frame)) {
        ShrinkPacked(reinterpret_cast<const BITMAPINFOHEADER*>(frame.data()), maxSide, limits,
                     thumbnail.image);
    }
    return true;
}

// Reads the first frame; compressed frames through the video library, which alone needs
// a file: the bytes go to a temporary one for as long as it takes.
void VideoThumbnail(std::span<const uint8_t> data, int maxSide, const ThumbnailLimits& limits,
                    FaceThumbnail& thumbnail) {
    if (!HasAviVideoStructure(data)) {
        return;
    }
    thumbnail.moving = true;
    if (UncompressedFirstFrame(data, maxSide, limits, thumbnail)) {
        return;
    }
    TempFile file;
    if (!file.Write(data)) {
        return;
    }
    const std::string& path = file.Path();
    const VideoEntryPoints& video = VideoLibrary();
    video.AVIFileInit();
    AviStreamHandle stream = nullptr;
    if (video.AVIStreamOpenFromFile(&stream, path.c_str(), kStreamTypeVideo, 0, kOpenShareDenyWrite,
                                    nullptr) == 0 &&
        stream) {
        if (AviFrameGetter getter = video.AVIStreamGetFrameOpen(stream, nullptr)) {
            if (const auto* frame =
                    static_cast<const BITMAPINFOHEADER*>(video.AVIStreamGetFrame(getter, 0))) {
                ShrinkPacked(frame, maxSide, limits, thumbnail.image);
            }
            video.AVIStreamGetFrameClose(getter);
        }
        video.AVIStreamRelease(stream);
    }
    video.AVIFileExit();
}
} // namespace

FaceThumbnail MakeFaceThumbnail(std::span<const uint8_t> data, int maxSide) {
    return MakeFaceThumbnail(data, maxSide, ThumbnailLimits{});
}

FaceThumbnail MakeFaceThumbnail(std::span<const uint8_t> data, int maxSide,
                                const ThumbnailLimits& limits) {
    FaceThumbnail thumbnail;
    if (maxSide < 1 || data.empty()) {
        return thumbnail;
    }
    FaceDecision decision = DecideFace(data, limits.pictureBytes);
    if (decision.kind == FaceKind::kVideo) {
        VideoThumbnail(data, maxSide, limits, thumbnail);
    } else {
        PictureThumbnail(decision, maxSide, limits, thumbnail);
    }
    return thumbnail;
}

FaceThumbnail MakeFaceThumbnail(std::span<const uint8_t> data, FaceDecision& decision,
                                int maxSide) {
    FaceThumbnail thumbnail;
    if (maxSide < 1 || data.empty()) {
        return thumbnail;
    }
    if (decision.kind == FaceKind::kVideo) {
        VideoThumbnail(data, maxSide, ThumbnailLimits{}, thumbnail);
    } else {
        PictureThumbnail(decision, maxSide, ThumbnailLimits{}, thumbnail);
    }
    return thumbnail;
}

FaceThumbnail ImageThumbnail(const RgbaImage& image, int maxSide) {
    FaceThumbnail thumbnail;
    if (maxSide < 1 || image.width <= 0 || image.height <= 0) {
        return thumbnail;
    }
    int width = 0, height = 0;
    ShrunkSize(image.width, image.height, maxSide, width, height);
    thumbnail.image =
        width == image.width && height == image.height ? image : AreaResample(image, width, height);
    return thumbnail;
}
