// Picture fills on a 1920x1080 target: a 512x512 picture (32 bits, or 8 bits with a
// colour table) mapped onto the peers' quad, affinely by three corners (p0, p1, p3) and
// projectively by four, smoothed and aliased, on 32-bit and 8-bit targets; beside pixman
// (affine and projective, nearest), cairo (affine, nearest) and a memset of as many
// pixels. OSMesa's rows are in fill_bench_gl.cpp. Counter ns_per_px: time per covered
// pixel (the quad's area).
//
// Rows: fill_<affine|perspective>_<aa|aliased>_t<target bits>_p<picture bits>/<engine>.
#include "fill_bench_common.h"
#include "our_target.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <cstring>

namespace {

using fillbench::Map3;
using peers::kFrameHeight;
using peers::kFrameWidth;

struct OurFill {
    OurTarget target;
    fillbench::Picture picture;
    QuadPath path{peers::MakeFlatQuad()};

    OurFill(int targetBits, int pictureBits) : target(targetBits), picture(pictureBits) {}
    int Set(bool perspective) {
        const POINT* corners = path.points;
        const void* bits = picture.pixels.data();
        const RGBQUAD* colours = picture.bits == 8 ? picture.colours : nullptr;
        if (perspective) {
            return SetPerspectiveImageFill(&picture.header, bits, 0, &corners[0], &corners[1],
                                           &corners[2], &corners[3], 0, colours, nullptr, nullptr,
                                           nullptr, nullptr, 0);
        }
        return SetImageFill(&picture.header, bits, 0, &corners[0], &corners[1], &corners[3], 0,
                            colours, nullptr, nullptr, nullptr, nullptr, 0);
    }
};

void Ours(benchmark::State& state, bool perspective, bool smooth, int targetBits, int pictureBits) {
    OurFill fill(targetBits, pictureBits);
    fill.target.Bind(smooth);
    if (fill.Set(perspective) != 0) {
        state.SkipWithError("setting the fill failed");
        return;
    }
    for (auto _ : state) {
        if (FillOutline(fill.path.points, fill.path.verbs, 4, 0) != 0) {
            state.SkipWithError("FillOutline failed");
            break;
        }
        peers::Clobber();
    }
    fillbench::SetPixelCounter(state, fillbench::QuadArea());
}

void Memset(benchmark::State& state) {
    const double pixels = fillbench::QuadArea();
    peers::FrameBuffer buffer{size_t(kFrameWidth) * kFrameHeight};
    for (auto _ : state) {
        std::memset(buffer.pixels, 0, size_t(pixels) * 4);
        peers::Clobber();
    }
    fillbench::SetPixelCounter(state, pixels);
}

// pixman: the picture as a source image with the inverse map (re-centred on the quad and
// scaled so that 16.16 keeps its precision), nearest texel, padded edges; the quad as
// trapezoids composited OVER through an a8 mask.
void Pixman(benchmark::State& state, bool perspective) {
    const peers::Quad quad = peers::MakeFlatQuad();
    const auto traps = peers::QuadToTrapezoids(quad);
    fillbench::Picture picture(32);
    peers::FrameBuffer frame{size_t(kFrameWidth) * kFrameHeight};
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kFrameWidth, kFrameHeight,
                                                   frame.pixels, kFrameWidth * 4);
    pixman_image_t* src = pixman_image_create_bits(
        PIXMAN_x8r8g8b8, fillbench::kPictureSide, fillbench::kPictureSide,
        reinterpret_cast<uint32_t*>(picture.pixels.data()), fillbench::kPictureSide * 4);
    const Map3 toScreen = perspective ? fillbench::TextureToScreenProjective(quad)
                                      : fillbench::TextureToScreenAffine(quad);
    int ox = 0, oy = 0;
    const Map3 m = fillbench::PixmanSourceMap(toScreen, quad, ox, oy);
    pixman_f_transform_t ft;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            ft.m[i][j] = m.m[i][j];
        }
    }
    pixman_transform_t t;
    pixman_transform_from_pixman_f_transform(&t, &ft);
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
    for (auto _ : state) {
        pixman_composite_trapezoids(PIXMAN_OP_OVER, src, dst, PIXMAN_a8, -ox, -oy, 0, 0,
                                    int(traps.size()), traps.data());
        peers::Clobber();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    fillbench::SetPixelCounter(state, fillbench::QuadArea());
}

// cairo: a surface pattern with the inverse affine matrix, nearest, padded; the quad
// filled with the default anti-aliasing.
void Cairo(benchmark::State& state) {
    const peers::Quad quad = peers::MakeFlatQuad();
    fillbench::Picture picture(32);
    peers::FrameBuffer frame{size_t(kFrameWidth) * kFrameHeight};
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(frame.pixels), CAIRO_FORMAT_RGB24, kFrameWidth,
        kFrameHeight, kFrameWidth * 4);
    cairo_surface_t* texture = cairo_image_surface_create_for_data(
        picture.pixels.data(), CAIRO_FORMAT_RGB24, fillbench::kPictureSide, fillbench::kPictureSide,
        fillbench::kPictureSide * 4);
    cairo_t* cr = cairo_create(surface);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(texture);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    const Map3 inv = fillbench::Inverse(fillbench::TextureToScreenAffine(quad));
    cairo_matrix_t cm;
    cairo_matrix_init(&cm, inv.m[0][0] / inv.m[2][2], inv.m[1][0] / inv.m[2][2],
                      inv.m[0][1] / inv.m[2][2], inv.m[1][1] / inv.m[2][2],
                      inv.m[0][2] / inv.m[2][2], inv.m[1][2] / inv.m[2][2]);
    cairo_pattern_set_matrix(pattern, &cm);
    for (auto _ : state) {
        cairo_surface_mark_dirty(surface);
        cairo_set_source(cr, pattern);
        cairo_new_path(cr);
        cairo_move_to(cr, quad.p[0].x, quad.p[0].y);
        for (int i = 1; i < 4; ++i) {
            cairo_line_to(cr, quad.p[i].x, quad.p[i].y);
        }
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_surface_flush(surface);
        peers::Clobber();
    }
    cairo_pattern_destroy(pattern);
    cairo_destroy(cr);
    cairo_surface_destroy(texture);
    cairo_surface_destroy(surface);
    fillbench::SetPixelCounter(state, fillbench::QuadArea());
}

void RegisterOurs() {
    for (const char* mapping : {"affine", "perspective"}) {
        for (const char* aa : {"aa", "aliased"}) {
            for (int t : {32, 8}) {
                for (int p : {32, 8}) {
                    const std::string name = std::string("fill_") + mapping + "_" + aa + "_t" +
                                             std::to_string(t) + "_p" + std::to_string(p) + "/ours";
                    const bool perspective = mapping[0] == 'p', smooth = aa[1] == 'a';
                    benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& s) {
                        Ours(s, perspective, smooth, t, p);
                    })->Unit(benchmark::kMillisecond);
                }
            }
        }
    }
}

const int registered = [] {
    RegisterOurs();
    benchmark::RegisterBenchmark("fill_affine_aa_t32_p32/pixman", [](benchmark::State& s) {
        Pixman(s, false);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("fill_perspective_aa_t32_p32/pixman", [](benchmark::State& s) {
        Pixman(s, true);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("fill_affine_aa_t32_p32/cairo", Cairo)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("fill_affine_aa_t32_p32/memset", Memset)
        ->Unit(benchmark::kMillisecond);
    return 0;
}();

} // namespace
