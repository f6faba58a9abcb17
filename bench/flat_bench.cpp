// Flat fills on a 1920x1080 target: the peers' anti-aliased quad drawn by our renderer
// (smoothed and aliased, 32-bit and 8-bit targets), by pixman's trapezoids and by cairo,
// beside a memset of as many pixels; and a full-target black FillBox beside a memset of
// the frame. Counter ns_per_px: time per covered pixel (the quad's area, or the frame).
#include "our_target.h"
#include "peers_gl.h"
#include "peers_quad.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using peers::kFrameHeight;
using peers::kFrameWidth;

constexpr double kFramePixels = double(kFrameWidth) * kFrameHeight;
// The peers' flat colour 0x3080E0; ours takes red in byte 0.
constexpr uint32_t kPeerRgb = 0x3080E0;
constexpr uint32_t kOurColour = 0xE08030;

void SetPixelCounter(benchmark::State& state, double pixels) {
    state.counters["ns_per_px"] = benchmark::Counter(
        pixels * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void OursQuad(benchmark::State& state, int bits, bool smooth) {
    const peers::Quad quad = peers::MakeFlatQuad();
    const QuadPath path(quad);
    OurTarget target(bits);
    target.Bind(smooth);
    SetSolidFill(kOurColour);
    for (auto _ : state) {
        if (FillOutline(path.points, path.verbs, 4, 0) != 0) {
            state.SkipWithError("FillOutline failed");
            break;
        }
        peers::Clobber();
    }
    SetPixelCounter(state, peers::QuadArea(quad));
}

void OursBlackBox(benchmark::State& state) {
    OurTarget target(32);
    target.Bind(false);
    SetSolidFill(0);
    const POINT corner0 = {0, 0}, corner1 = {kFrameWidth << 16, kFrameHeight << 16};
    for (auto _ : state) {
        FillBox(&corner0, &corner1);
        peers::Clobber();
    }
    SetPixelCounter(state, kFramePixels);
}

void Memset(benchmark::State& state, double pixels) {
    peers::FrameBuffer buffer{size_t(kFramePixels)};
    const size_t bytes = size_t(pixels) * 4;
    for (auto _ : state) {
        std::memset(buffer.pixels, 0, bytes);
        peers::Clobber();
    }
    SetPixelCounter(state, pixels);
}

// memset of the quad's own rows: the same pixels in the same frame layout (rows a stride
// apart), which a contiguous memset of as many bytes does not have.
void MemsetRows(benchmark::State& state) {
    const peers::Quad quad = peers::MakeFlatQuad();
    struct RowSpan {
        int y, x0, x1;
    };
    std::vector<RowSpan> rows;
    for (int y = 0; y < kFrameHeight; ++y) {
        const double c = y + 0.5;
        double lo = 1e9, hi = -1e9;
        for (int i = 0; i < 4; ++i) {
            const peers::Point2 a = quad.p[i], b = quad.p[(i + 1) % 4];
            if ((a.y < c) != (b.y < c)) {
                const double x = a.x + (b.x - a.x) * (c - a.y) / (b.y - a.y);
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
        }
        if (lo < hi) {
            rows.push_back({y, int(std::lround(lo)), int(std::lround(hi))});
        }
    }
    peers::FrameBuffer buffer{size_t(kFramePixels)};
    double pixels = 0;
    for (const RowSpan& r : rows) {
        pixels += r.x1 - r.x0;
    }
    for (auto _ : state) {
        for (const RowSpan& r : rows) {
            std::memset(buffer.pixels + size_t(r.y) * kFrameWidth + r.x0, 0,
                        size_t(r.x1 - r.x0) * 4);
        }
        peers::Clobber();
    }
    SetPixelCounter(state, pixels);
}

void PixmanQuad(benchmark::State& state) {
    const peers::Quad quad = peers::MakeFlatQuad();
    const auto traps = peers::QuadToTrapezoids(quad);
    peers::FrameBuffer buffer{size_t(kFramePixels)};
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kFrameWidth, kFrameHeight,
                                                   buffer.pixels, kFrameWidth * 4);
    auto channel = [](uint32_t v) { return uint16_t(v * 257); };
    const pixman_color_t colour = {channel(kPeerRgb >> 16 & 255), channel(kPeerRgb >> 8 & 255),
                                   channel(kPeerRgb & 255), 0xFFFF};
    pixman_image_t* solid = pixman_image_create_solid_fill(&colour);
    for (auto _ : state) {
        pixman_composite_trapezoids(PIXMAN_OP_OVER, solid, dst, PIXMAN_a8, 0, 0, 0, 0,
                                    int(traps.size()), traps.data());
        peers::Clobber();
    }
    pixman_image_unref(solid);
    pixman_image_unref(dst);
    SetPixelCounter(state, peers::QuadArea(quad));
}

void CairoQuad(benchmark::State& state) {
    const peers::Quad quad = peers::MakeFlatQuad();
    peers::FrameBuffer buffer{size_t(kFramePixels)};
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(buffer.pixels), CAIRO_FORMAT_RGB24, kFrameWidth,
        kFrameHeight, kFrameWidth * 4);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, (kPeerRgb >> 16 & 255) / 255.0, (kPeerRgb >> 8 & 255) / 255.0,
                         (kPeerRgb & 255) / 255.0);
    for (auto _ : state) {
        cairo_new_path(cr);
        cairo_move_to(cr, quad.p[0].x, quad.p[0].y);
        for (int i = 1; i < 4; ++i) {
            cairo_line_to(cr, quad.p[i].x, quad.p[i].y);
        }
        cairo_close_path(cr);
        cairo_fill(cr);
        peers::Clobber();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    SetPixelCounter(state, peers::QuadArea(quad));
}

// OSMesa's default driver (llvmpipe, one rasteriser thread per CPU), aliased: what a GL
// software renderer costs for the same quad, including its per-frame flush.
void GlQuad(benchmark::State& state) {
    const peers::Quad quad = peers::MakeFlatQuad();
    if (!peers::StartGl()) {
        state.SkipWithError("OSMesa context not available");
        return;
    }
    for (auto _ : state) {
        peers::DrawGlQuad(quad, kPeerRgb);
    }
    SetPixelCounter(state, peers::QuadArea(quad));
}

void RegisterAll() {
    const double area = peers::QuadArea(peers::MakeFlatQuad());
    benchmark::RegisterBenchmark("flat_quad_aa_32bit/ours", OursQuad, 32, true);
    benchmark::RegisterBenchmark("flat_quad_aa_32bit/pixman", PixmanQuad);
    benchmark::RegisterBenchmark("flat_quad_aa_32bit/cairo", CairoQuad);
    benchmark::RegisterBenchmark("flat_quad_aliased_32bit/ours", OursQuad, 32, false);
    benchmark::RegisterBenchmark("flat_quad_aliased_32bit/memset", Memset, area);
    benchmark::RegisterBenchmark("flat_quad_aliased_32bit/memset_rows", MemsetRows);
    benchmark::RegisterBenchmark("flat_quad_aliased_32bit/osmesa", GlQuad)->UseRealTime();
    benchmark::RegisterBenchmark("flat_quad_aa_8bit/ours", OursQuad, 8, true);
    benchmark::RegisterBenchmark("flat_quad_aliased_8bit/ours", OursQuad, 8, false);
    benchmark::RegisterBenchmark("fillbox_black_32bit/ours", OursBlackBox);
    benchmark::RegisterBenchmark("fillbox_black_32bit/memset", Memset, kFramePixels);
}

const bool g_registered = (RegisterAll(), true);

} // namespace
