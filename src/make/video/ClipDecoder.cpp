#include "make/video/ClipDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {
constexpr int kIoBufferBytes = 64 * 1024;
constexpr int kDecoderThreads = 2;
// The demuxers and decoders a clip may pick, whatever else the library was built with
// (natively the system's library has hundreds).
constexpr char kFormats[] = "mov,matroska";
constexpr char kCodecs[] = "h264,hevc,vp8,vp9,libdav1d,av1";

std::string LibraryError(const char* what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return std::string(what) + " (" + text + ")";
}

std::string CodecName(AVCodecID id) {
    switch (id) {
    case AV_CODEC_ID_H264:
        return "H.264";
    case AV_CODEC_ID_HEVC:
        return "HEVC";
    case AV_CODEC_ID_VP8:
        return "VP8";
    case AV_CODEC_ID_VP9:
        return "VP9";
    case AV_CODEC_ID_AV1:
        return "AV1";
    default:
        return avcodec_get_name(id);
    }
}

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    const int n = static_cast<ClipInput*>(opaque)->Read(buffer, size);
    return n > 0 ? n : n == 0 ? AVERROR_EOF : AVERROR(EIO);
}

int Interrupted(void* cancel) {
    return cancel && static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

int64_t SeekInput(void* opaque, int64_t offset, int whence) {
    auto* input = static_cast<ClipInput*>(opaque);
    const int64_t size = static_cast<int64_t>(std::min<uint64_t>(input->Size(), INT64_MAX));
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return size;
    case SEEK_SET:
        break;
    case SEEK_CUR:
        offset = offset > INT64_MAX - static_cast<int64_t>(input->Position())
                     ? -1
                     : offset + static_cast<int64_t>(input->Position());
        break;
    case SEEK_END:
        offset = offset > 0 ? -1 : offset + size;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (offset < 0 || !input->Seek(static_cast<uint64_t>(offset))) {
        return AVERROR(EINVAL);
    }
    return offset;
}
} // namespace

struct ClipDecoder::Library {
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* scaler = nullptr;
    std::vector<uint8_t> scaled; // the converter's output rows, padded
    int stream = -1;
    AVRational timeBase{1, 1};
    int64_t firstTime = AV_NOPTS_VALUE;
    double lastSeconds = -1.0;
    bool flushed = false;
    bool ended = false;

    ~Library() {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
        if (io) {
            av_freep(&io->buffer);
        }
        avio_context_free(&io);
    }
};

ClipDecoder::ClipDecoder() = default;
ClipDecoder::~ClipDecoder() = default;

bool ClipDecoder::Open(ClipInput& input, std::string& error) {
    // The library's own messages would go to standard error; the tools report in their
    // own words.
    av_log_set_level(AV_LOG_QUIET);
    m_input = &input;
    m_lib = std::make_unique<Library>();
    Library& lib = *m_lib;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
    lib.io = buffer ? avio_alloc_context(buffer, kIoBufferBytes, 0, &input, ReadPacket, nullptr,
                                         SeekInput)
                    : nullptr;
    lib.format = lib.io ? avformat_alloc_context() : nullptr;
    if (!lib.io) {
        av_free(buffer);
    }
    if (!lib.format) {
        error = "out of memory";
        return false;
    }
    lib.format->pb = lib.io;
    lib.format->flags |= AVFMT_FLAG_CUSTOM_IO;
    lib.format->format_whitelist = av_strdup(kFormats);
    lib.format->codec_whitelist = av_strdup(kCodecs);
    lib.format->protocol_whitelist = av_strdup("none");
    lib.format->interrupt_callback.callback = Interrupted;
    lib.format->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(m_cancel);
    AVFormatContext* format = lib.format;
    // On failure the library frees the context it was given.
    int result = avformat_open_input(&format, nullptr, nullptr, nullptr);
    lib.format = format;
    if (result < 0) {
        error = result == AVERROR_INVALIDDATA
                    ? "it is no MP4, MOV, MKV or WebM clip, or its header is damaged"
                    : LibraryError("its header cannot be read", result);
        return false;
    }
    // The stream search may decode a few frames: with the same picture limit and one thread.
    std::vector<AVDictionary*> options(format->nb_streams, nullptr);
    for (AVDictionary*& o : options) {
        av_dict_set_int(&o, "max_pixels", kClipMaxSourcePixels, 0);
        av_dict_set_int(&o, "threads", 1, 0);
    }
    result = avformat_find_stream_info(format, options.empty() ? nullptr : options.data());
    for (AVDictionary*& o : options) {
        av_dict_free(&o);
    }
    if (result < 0) {
        error = LibraryError("its streams cannot be read", result);
        return false;
    }
    const AVCodec* decoder = nullptr;
    lib.stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (lib.stream == AVERROR_STREAM_NOT_FOUND) {
        error = "it holds no video";
        return false;
    }
    AVStream* stream = lib.stream >= 0 ? format->streams[lib.stream] : nullptr;
    if (!stream || !decoder) {
        error = "its video is of a kind the tools do not decode (" +
                (stream ? CodecName(stream->codecpar->codec_id) : std::string("unknown")) +
                "; H.264, HEVC, VP8, VP9 and AV1 are)";
        return false;
    }
    const AVCodecParameters* par = stream->codecpar;
    m_info.codec = CodecName(par->codec_id);
    if (par->width <= 0 || par->height <= 0 ||
        int64_t{par->width} * par->height > kClipMaxSourcePixels) {
        error = "its frames (" + std::to_string(par->width) + " x " + std::to_string(par->height) +
                ") are larger than 4096 x 2304 or have no size";
        return false;
    }
    m_info.sourceWidth = par->width;
    m_info.sourceHeight = par->height;
    ClipFrameSize(par->width, par->height, m_info.frameWidth, m_info.frameHeight);
    size_t matrixBytes = 0;
    const uint8_t* matrix =
        av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &matrixBytes);
    if (matrix && matrixBytes >= 9 * sizeof(int32_t)) {
        m_info.quarterTurns = QuarterTurnsClockwise(
            av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix)));
    }
    const AVRational rate =
        stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    m_info.rate = OutputRate(rate.num, rate.den);
    lib.timeBase = stream->time_base;
    if (stream->duration > 0 && lib.timeBase.num > 0 && lib.timeBase.den > 0) {
        m_info.seconds = double(stream->duration) * av_q2d(lib.timeBase);
    } else if (format->duration > 0) {
        m_info.seconds = double(format->duration) / AV_TIME_BASE;
    }
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        format->streams[i]->discard = int(i) == lib.stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }

    lib.codec = avcodec_alloc_context3(decoder);
    lib.packet = av_packet_alloc();
    lib.frame = av_frame_alloc();
    if (!lib.codec || !lib.packet || !lib.frame ||
        avcodec_parameters_to_context(lib.codec, par) < 0) {
        error = "out of memory";
        return false;
    }
    lib.codec->max_pixels = kClipMaxSourcePixels;
    lib.codec->thread_count = kDecoderThreads;
    lib.codec->pkt_timebase = stream->time_base;
    lib.codec->codec_whitelist = av_strdup(kCodecs);
    result = avcodec_open2(lib.codec, decoder, nullptr);
    if (result < 0) {
        error = LibraryError(("its " + m_info.codec + " decoder cannot start").c_str(), result);
        return false;
    }
    return true;
}

double ClipDecoder::Progress() const {
    if (m_info.seconds > 0.0 && m_lib && m_lib->lastSeconds >= 0.0) {
        return std::clamp(m_lib->lastSeconds / m_info.seconds, 0.0, 1.0);
    }
    const uint64_t size = m_input ? m_input->Size() : 0;
    return size == 0 ? 0.0 : std::clamp(double(m_input->Position()) / double(size), 0.0, 1.0);
}

bool ClipDecoder::Scale(RgbaImage& frame, std::string& error) {
    Library& lib = *m_lib;
    const AVFrame* f = lib.frame;
    if (f->width <= 0 || f->height <= 0 || int64_t{f->width} * f->height > kClipMaxSourcePixels) {
        error = "a frame has no size or is too large";
        return false;
    }
    lib.scaler = sws_getCachedContext(
        lib.scaler, f->width, f->height, static_cast<AVPixelFormat>(f->format), m_info.frameWidth,
        m_info.frameHeight, AV_PIX_FMT_RGBA, SWS_AREA, nullptr, nullptr, nullptr);
    if (!lib.scaler) {
        error = "a frame's pixel format cannot be converted";
        return false;
    }
    // Phone clips state their colour matrix (BT.709 for HD); the converter's default is
    // BT.601, which tints HD skin and sky. An unstated matrix is taken as the size implies.
    const int space = f->colorspace != AVCOL_SPC_UNSPECIFIED ? int(f->colorspace)
                      : f->height >= 720                     ? SWS_CS_ITU709
                                                             : SWS_CS_DEFAULT;
    sws_setColorspaceDetails(lib.scaler, sws_getCoefficients(space),
                             f->color_range == AVCOL_RANGE_JPEG,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    // The converter's SIMD writes whole blocks of pixels, past the end of a row whose width
    // is no multiple of the block: it writes into rows padded to 64 bytes with a padded row
    // after the last, and the rows are then copied out packed.
    frame.width = m_info.frameWidth;
    frame.height = m_info.frameHeight;
    const size_t row = size_t(frame.width) * 4;
    const size_t stride = (row + 63) & ~size_t{63};
    lib.scaled.resize(stride * (size_t(frame.height) + 1));
    uint8_t* planes[4] = {lib.scaled.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(stride), 0, 0, 0};
    if (sws_scale(lib.scaler, f->data, f->linesize, 0, f->height, planes, strides) <= 0) {
        error = "a frame cannot be converted";
        return false;
    }
    frame.pixels.resize(row * size_t(frame.height));
    for (int y = 0; y < frame.height; ++y) {
        std::memcpy(frame.pixels.data() + row * size_t(y), lib.scaled.data() + stride * size_t(y),
                    row);
    }
    return true;
}

ClipStep ClipDecoder::Next(RgbaImage& frame, double& seconds, std::string& error) {
    if (!m_lib || !m_lib->codec) {
        error = "no clip is open";
        return ClipStep::kFailed;
    }
    Library& lib = *m_lib;
    while (!lib.ended) {
        int result = avcodec_receive_frame(lib.codec, lib.frame);
        if (result == 0) {
            int64_t at = lib.frame->best_effort_timestamp;
            if (at == AV_NOPTS_VALUE) {
                at = lib.frame->pts;
            }
            if (lib.firstTime == AV_NOPTS_VALUE && at != AV_NOPTS_VALUE) {
                lib.firstTime = at;
            }
            // A frame without a time follows the one before it at the output rate.
            const double step = 1.0 / std::max(m_info.rate.PerSecond(), 1.0);
            seconds = at == AV_NOPTS_VALUE ? std::max(lib.lastSeconds, 0.0) + step
                                           : double(at - lib.firstTime) * av_q2d(lib.timeBase);
            if (!std::isfinite(seconds) || seconds < 0.0) {
                seconds = std::max(lib.lastSeconds, 0.0);
            }
            lib.lastSeconds = seconds;
            const double duration = lib.frame->pkt_duration > 0
                                        ? double(lib.frame->pkt_duration) * av_q2d(lib.timeBase)
                                        : step;
            m_end = std::max(m_end, seconds + (std::isfinite(duration) ? duration : step));
            const bool scaled = Scale(frame, error);
            av_frame_unref(lib.frame);
            return scaled ? ClipStep::kFrame : ClipStep::kFailed;
        }
        if (result == AVERROR_EOF) {
            lib.ended = true;
            break;
        }
        if (result != AVERROR(EAGAIN)) {
            error =
                LibraryError(("its " + m_info.codec + " video cannot be decoded").c_str(), result);
            return ClipStep::kFailed;
        }
        if (lib.flushed) {
            lib.ended = true;
            break;
        }
        result = av_read_frame(lib.format, lib.packet);
        if (result < 0) {
            // The end, or a damaged rest: what was decoded so far is the clip.
            lib.flushed = true;
            avcodec_send_packet(lib.codec, nullptr);
            continue;
        }
        if (lib.packet->stream_index == lib.stream) {
            result = avcodec_send_packet(lib.codec, lib.packet);
            // A damaged packet is skipped as a player skips it; the frames around it stay.
            if (result == AVERROR(ENOMEM)) {
                av_packet_unref(lib.packet);
                error = "out of memory";
                return ClipStep::kFailed;
            }
        }
        av_packet_unref(lib.packet);
    }
    return ClipStep::kEnd;
}
