#include "scene_pixman.h"

#include <pixman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

// Scene points are 16.16 about the region centre; pixman's fixed point is 16.16 pixels.
pixman_fixed_t ToFixed(LONG v, int size) {
    return v + pixman_int_to_fixed(size / 2);
}

// A packed picture (any depth the scene hands out) as x8r8g8b8 rows, top row first in
// memory order exactly as the picture's own rows, so texel (0, 0) is the first row.
std::vector<uint32_t> ExpandPicture(const BITMAPINFOHEADER& h) {
    const int w = h.biWidth, rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    std::vector<uint32_t> out(size_t(w) * rows);
    const auto* base = reinterpret_cast<const uint8_t*>(&h) + h.biSize;
    const int colours = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1 << h.biBitCount) : 0;
    const auto* table = reinterpret_cast<const RGBQUAD*>(base);
    const uint8_t* bits = base + (h.biCompression == BI_BITFIELDS ? 12 : 4 * colours);
    const size_t stride = (size_t(h.biBitCount) * w + 31) / 32 * 4;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* row = bits + stride * y;
        for (int x = 0; x < w; ++x) {
            uint32_t pixel = 0;
            if (h.biBitCount <= 8) {
                const int bitsPer = h.biBitCount;
                const int index = (row[x * bitsPer / 8] >> (8 - bitsPer - (x * bitsPer) % 8)) &
                                  ((1 << bitsPer) - 1);
                const RGBQUAD& q = table[index];
                pixel = uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
            } else if (h.biBitCount == 16) {
                const int v = row[2 * x] | row[2 * x + 1] << 8;
                pixel = uint32_t((v >> 10 & 31) * 255 / 31) << 16 |
                        uint32_t((v >> 5 & 31) * 255 / 31) << 8 | uint32_t((v & 31) * 255 / 31);
            } else {
                const int step = h.biBitCount / 8;
                pixel = uint32_t(row[step * x + 2]) << 16 | uint32_t(row[step * x + 1]) << 8 |
                        row[step * x];
            }
            out[size_t(y) * w + x] = pixel;
        }
    }
    return out;
}

// The projective map from the unit square's corners (0,0), (1,0), (0,1), (1,1) to four
// points (the classic square-to-quadrilateral solution), as a row-major 3×3 matrix.
pixman_f_transform SquareToQuad(const double x[4], const double y[4]) {
    // Corners in the order (0,0), (1,0), (1,1), (0,1).
    const double x0 = x[0], x1 = x[1], x2 = x[3], x3 = x[2];
    const double y0 = y[0], y1 = y[1], y2 = y[3], y3 = y[2];
    const double sx = x0 - x1 + x2 - x3, sy = y0 - y1 + y2 - y3;
    pixman_f_transform m{};
    if (sx == 0 && sy == 0) {
        m.m[0][0] = x1 - x0, m.m[0][1] = x2 - x1, m.m[0][2] = x0;
        m.m[1][0] = y1 - y0, m.m[1][1] = y2 - y1, m.m[1][2] = y0;
        m.m[2][2] = 1;
        return m;
    }
    const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
    const double det = dx1 * dy2 - dx2 * dy1;
    const double g = (sx * dy2 - dx2 * sy) / det;
    const double h = (dx1 * sy - sx * dy1) / det;
    m.m[0][0] = x1 - x0 + g * x1, m.m[0][1] = x3 - x0 + h * x3, m.m[0][2] = x0;
    m.m[1][0] = y1 - y0 + g * y1, m.m[1][1] = y3 - y0 + h * y3, m.m[1][2] = y0;
    m.m[2][0] = g, m.m[2][1] = h, m.m[2][2] = 1;
    return m;
}

} // namespace

struct PixmanSceneRenderer::State {
    struct Face {
        pixman_image_t* source = nullptr; // owned
        pixman_triangle_t triangles[2];
    };
    std::vector<uint32_t> target;
    pixman_image_t* destination = nullptr;
    pixman_indexed_t indexed{};
    std::vector<RECT> clears;
    std::vector<Face> faces;
    std::map<const BITMAPINFOHEADER*, std::vector<uint32_t>> pictures;
    int depth = 32;
    int stride = 0;
};

PixmanSceneRenderer::PixmanSceneRenderer(const SceneFrame& frame, int depth,
                                         const PALETTEENTRY* palette)
    : m_state(new State) {
    State& s = *m_state;
    s.depth = depth;
    s.stride = depth == 32 ? frame.width * 4 : (frame.width + 3) & ~3;
    s.target.assign((size_t(s.stride) * frame.height + 3) / 4, 0);
    s.destination = pixman_image_create_bits(depth == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_c8, frame.width,
                                             frame.height, s.target.data(), s.stride);
    if (depth == 8) {
        s.indexed.color = 0;
        for (int i = 0; i < 256; ++i) {
            s.indexed.rgba[i] = 0xFF000000u | uint32_t(palette[i].peRed) << 16 |
                                uint32_t(palette[i].peGreen) << 8 | palette[i].peBlue;
        }
        // Nearest palette entry for every 5-5-5 colour.
        for (int c = 0; c < 32768; ++c) {
            const int r = (c >> 10 & 31) * 255 / 31, g = (c >> 5 & 31) * 255 / 31,
                      b = (c & 31) * 255 / 31;
            int best = 0, bestDistance = 1 << 30;
            for (int i = 0; i < 256; ++i) {
                const int dr = r - palette[i].peRed, dg = g - palette[i].peGreen,
                          db = b - palette[i].peBlue;
                const int d = dr * dr + dg * dg + db * db;
                if (d < bestDistance) {
                    best = i, bestDistance = d;
                }
            }
            s.indexed.ent[c] = pixman_index_type(best);
        }
        pixman_image_set_indexed(s.destination, &s.indexed);
    }

    pixman_image_t* pending = nullptr;
    for (const SceneFrameOp& op : frame.ops) {
        switch (op.kind) {
        case SceneFrameOp::Clear:
            s.clears.push_back(op.box);
            break;
        case SceneFrameOp::Colour: {
            if (pending) {
                pixman_image_unref(pending);
            }
            const double k = op.intensity < 0 ? 0 : op.intensity > 1 ? 1 : op.intensity;
            const pixman_color_t colour{uint16_t(op.rgba[0] * k * 257),
                                        uint16_t(op.rgba[1] * k * 257),
                                        uint16_t(op.rgba[2] * k * 257), 0xFFFF};
            pending = pixman_image_create_solid_fill(&colour);
            break;
        }
        case SceneFrameOp::Bitmap: {
            if (pending) {
                pixman_image_unref(pending);
            }
            auto found = s.pictures.find(op.dib);
            if (found == s.pictures.end()) {
                found = s.pictures.emplace(op.dib, ExpandPicture(*op.dib)).first;
            }
            const int w = op.dib->biWidth;
            const int h = op.dib->biHeight < 0 ? -op.dib->biHeight : op.dib->biHeight;
            pending = pixman_image_create_bits(PIXMAN_x8r8g8b8, w, h, found->second.data(), w * 4);
            double x[4], y[4];
            for (int i = 0; i < 4; ++i) {
                x[i] = pixman_fixed_to_double(ToFixed(op.corners[i].x, frame.width));
                y[i] = pixman_fixed_to_double(ToFixed(op.corners[i].y, frame.height));
            }
            // Texel space to the screen, then inverted: pixman maps destination to source.
            pixman_f_transform toScreen = SquareToQuad(x, y);
            pixman_f_transform scale{};
            scale.m[0][0] = 1.0 / w, scale.m[1][1] = 1.0 / h, scale.m[2][2] = 1;
            pixman_f_transform texelToScreen;
            pixman_f_transform_multiply(&texelToScreen, &toScreen, &scale);
            pixman_f_transform screenToTexel;
            pixman_transform transform;
            if (pixman_f_transform_invert(&screenToTexel, &texelToScreen) &&
                pixman_transform_from_pixman_f_transform(&transform, &screenToTexel)) {
                pixman_image_set_transform(pending, &transform);
            }
            pixman_image_set_filter(pending, PIXMAN_FILTER_NEAREST, nullptr, 0);
            pixman_image_set_repeat(pending, op.edgeMode ? PIXMAN_REPEAT_NONE : PIXMAN_REPEAT_PAD);
            break;
        }
        case SceneFrameOp::Quad: {
            if (!pending) {
                break;
            }
            State::Face face;
            face.source = pending;
            pending = nullptr;
            pixman_point_fixed_t p[4];
            for (int i = 0; i < 4; ++i) {
                p[i] = {ToFixed(op.corners[i].x, frame.width),
                        ToFixed(op.corners[i].y, frame.height)};
            }
            face.triangles[0] = {p[0], p[1], p[2]};
            face.triangles[1] = {p[0], p[2], p[3]};
            s.faces.push_back(face);
            break;
        }
        }
    }
    if (pending) {
        pixman_image_unref(pending);
    }
}

PixmanSceneRenderer::~PixmanSceneRenderer() {
    for (State::Face& face : m_state->faces) {
        pixman_image_unref(face.source);
    }
    pixman_image_unref(m_state->destination);
}

void PixmanSceneRenderer::Draw() {
    State& s = *m_state;
    for (const RECT& box : s.clears) {
        pixman_fill(s.target.data(), s.stride / 4, s.depth, box.left, box.top, box.right - box.left,
                    box.bottom - box.top, 0);
    }
    for (const State::Face& face : s.faces) {
        pixman_composite_triangles(PIXMAN_OP_OVER, face.source, s.destination, PIXMAN_a8, 0, 0, 0,
                                   0, 2, face.triangles);
    }
}
