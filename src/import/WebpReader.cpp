// WebP through libwebp: lossy, lossless, with or without opacity, as 32-bit blue, green,
// red, clearness pixels; an animated file gives its first frame composed on its canvas (a
// moving face plays it: WebpAnimation). The ICCP chunk's colour profile is kept for the
// colour step.
//
// The stated size is checked against the importer's pixel limit before anything is
// decoded, and libwebp decodes straight into the importer's rows.
#include "import/ImageImporter.h"
#include "import/PixelLayouts.h"
#include "import/RgbaRows.h"

#include <cstring>
#include <memory>

#include <webp/decode.h>
#include <webp/demux.h>

namespace {

constexpr size_t kRiffHeader = 12;

struct DemuxFree {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
struct AnimFree {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

ImageImporter::Error ErrorOf(VP8StatusCode status) {
    switch (status) {
    case VP8_STATUS_OK:
        return ImageImporter::Ok;
    case VP8_STATUS_OUT_OF_MEMORY:
        return ImageImporter::NoMemory;
    case VP8_STATUS_BITSTREAM_ERROR:
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return ImageImporter::BadFile;
    default:
        return ImageImporter::Failed;
    }
}

std::vector<uint8_t> ColourProfile(std::span<const uint8_t> bytes) {
    const WebPData data = {bytes.data(), bytes.size()};
    std::unique_ptr<WebPDemuxer, DemuxFree> demux(WebPDemux(&data));
    if (!demux || !(WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG)) {
        return {};
    }
    std::vector<uint8_t> profile;
    WebPChunkIterator chunk;
    if (WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk)) {
        profile.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return profile;
}

} // namespace

bool ImageImporter::ProbeWebp() {
    uint8_t head[kRiffHeader];
    return m_file.Read(head, sizeof head) == sizeof head && std::memcmp(head, "RIFF", 4) == 0 &&
           std::memcmp(head + 8, "WEBP", 4) == 0;
}

void ImageImporter::ReadWebp() {
    const std::span<const uint8_t> bytes = m_file.Bytes();
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) {
        throw Failed;
    }
    const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &config.input);
    if (status != VP8_STATUS_OK) {
        throw ErrorOf(status);
    }
    const int width = config.input.width;
    const int height = config.input.height;
    if (width <= 0 || height <= 0) {
        throw BadFile;
    }
    picture::SetHeader(m_header, width, height, 32);
    const uint64_t stride = picture::RowStride(static_cast<uint64_t>(width), 32);
    AllocatePixels(stride, static_cast<uint64_t>(height));
    if (config.input.has_animation) {
        ReadWebpFirstFrame();
    } else {
        // Straight into the rows, bottom row first; opacity is turned into clearness after.
        config.options.flip = 1;
        config.output.colorspace = MODE_BGRA;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = m_pixels;
        config.output.u.RGBA.stride = static_cast<int>(stride);
        config.output.u.RGBA.size = m_pixelSize;
        const VP8StatusCode decoded = WebPDecode(bytes.data(), bytes.size(), &config);
        WebPFreeDecBuffer(&config.output);
        if (decoded != VP8_STATUS_OK) {
            throw ErrorOf(decoded);
        }
        for (uint8_t* p = m_pixels; p + 4 <= m_pixels + m_pixelSize; p += 4) {
            p[pixel::packed::kClearness] = pixel::packed::ClearnessOf(p[pixel::packed::kClearness]);
        }
    }
    m_iccProfile = ColourProfile(bytes);
}

// The canvas after the first frame; the canvas size is the one the features gave, which
// the pixel buffer already holds.
void ImageImporter::ReadWebpFirstFrame() {
    const std::span<const uint8_t> bytes = m_file.Bytes();
    const WebPData data = {bytes.data(), bytes.size()};
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) {
        throw Failed;
    }
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    std::unique_ptr<WebPAnimDecoder, AnimFree> decoder(WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) ||
        info.canvas_width != static_cast<uint32_t>(m_header.biWidth) ||
        info.canvas_height != static_cast<uint32_t>(m_header.biHeight)) {
        throw BadFile;
    }
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas) {
        throw BadFile;
    }
    picture::PackRgbRows(canvas, size_t{info.canvas_width} * 4, 4, info.canvas_width,
                         info.canvas_height, m_pixels, picture::RowStride(info.canvas_width, 32));
}
