#include "make/FaceThumbnail.h"

#include "make/picture/AreaResample.h"
#include "make/system/TempFile.h"
#include "import/AviReader.h"
#include "import/ImageImporter.h"

#include <cstdlib>
#include <cstring>
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

// An animated GIF moves on the face (a GIF of one frame is a still picture to the saver).
bool GifThumbnail(std::span<const uint8_t> data, int maxSide, const ThumbnailLimits& limits,
                  FaceThumbnail& thumbnail) {
    if (data.size() < 3 || std::memcmp(data.data(), "GIF", 3) != 0 ||
        data.size() > limits.gif.maxFileBytes) {
        return false;
    }
    GifAnimation animation;
    if (!animation.Load(std::vector<uint8_t>(data.begin(), data.end()), limits.gif) ||
        animation.FrameCount() < 2) {
        return false;
    }
    animation.ShowFrame(0);
    thumbnail.moving = true;
    if (const BITMAPINFOHEADER* picture = animation.Picture()) {
        ShrinkPacked(picture, maxSide, limits, thumbnail.image);
    }
    return true;
}

bool PictureThumbnail(const std::string& path, int maxSide, const ThumbnailLimits& limits,
                      FaceThumbnail& thumbnail) {
    BITMAPINFOHEADER* packed = ImportPictureReporting(path.c_str(), limits.pictureBytes, nullptr);
    if (!packed) {
        return false;
    }
    ShrinkPacked(packed, maxSide, limits, thumbnail.image);
    HGLOBAL block = GlobalHandle(packed);
    GlobalUnlock(block);
    GlobalFree(block);
    return true;
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

void VideoThumbnail(const std::string& path, int maxSide, const ThumbnailLimits& limits,
                    FaceThumbnail& thumbnail) {
    if (!HasAviVideoStructure(path.c_str())) {
        return;
    }
    thumbnail.moving = true;
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
    if (maxSide < 1 || data.empty() || GifThumbnail(data, maxSide, limits, thumbnail)) {
        return thumbnail;
    }
    // The importer and the video library read files by name.
    TempFile file;
    if (!file.Write(data)) {
        return thumbnail;
    }
    if (!PictureThumbnail(file.Path(), maxSide, limits, thumbnail)) {
        VideoThumbnail(file.Path(), maxSide, limits, thumbnail);
    }
    return thumbnail;
}
