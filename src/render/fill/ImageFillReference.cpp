// The plain reference loops of the picture fills. They favour the obvious over the fast:
// the tiled modes keep each position modulo its whole period with a division per pixel
// and derive the texel from it directly, and texels are read byte by byte through the
// caller's channel tables. The specialised loops must produce the same pixels.
#include "render/fill/EdgeMode.h"
#include "render/fill/ImageFillReference.h"
#include "render/fill/TexelFetch.h"
#include "render/core/Tables.h"

#include <cmath>

namespace {

uint32_t Pixel(uint32_t blue, uint32_t green, uint32_t red) {
    return blue | (green << 8) | (red << 16);
}

// The texel of a tiled position (p, q), each already in [0, its period).
uint32_t TiledTexel(const ImageFillState& s, int64_t p, int64_t q) {
    const int64_t pw = TexelsToFixed(s.width), ph = TexelsToFixed(s.height);
    int64_t u = p, v = q;
    switch (s.mode) {
    case EdgeMode::kMirror:
        u = p < pw ? p : 2 * pw - 1 - p;
        v = q < ph ? q : 2 * ph - 1 - q;
        break;
    case EdgeMode::kBrickRows:
        if (q >= ph) {
            v = q - ph;
            u = edge::ReduceStart(p + s.brick, pw);
        }
        break;
    case EdgeMode::kBrickColumns:
        if (p >= pw) {
            u = p - pw;
            v = edge::ReduceStart(q + s.brick, ph);
        }
        break;
    default:
        break;
    }
    return texel::FetchAny(s, s.rows[TexelOf(v)], static_cast<uint32_t>(TexelOf(u)));
}

int32_t NearestTexel(double position) {
    constexpr double kLimit = 1073741824.0; // 2^30
    if (!(position >= -kLimit)) {
        position = -kLimit;
    } else if (position > kLimit) {
        position = kLimit;
    }
    return static_cast<int32_t>(std::nearbyint(position));
}

} // namespace

uint32_t texel::FetchAny(const ImageFillState& s, const uint8_t* row, uint32_t u) {
    switch (s.format) {
    case SourceFormat::k1Bit:
        return s.texels[(row[u / 8] >> (7 - u % 8)) & 1];
    case SourceFormat::k4Bit:
        return s.texels[u % 2 == 0 ? row[u / 2] >> 4 : row[u / 2] & 15];
    case SourceFormat::k8Bit:
        return s.texels[row[u]];
    case SourceFormat::k16Bit: {
        const uint32_t p = row[2 * u] | (row[2 * u + 1] << 8);
        return Pixel(s.blue[tables::kWiden5[p & 31]], s.green[tables::kWiden5[(p >> 5) & 31]],
                     s.red[tables::kWiden5[(p >> 10) & 31]]);
    }
    case SourceFormat::k24Bit: {
        const uint8_t* p = row + 3 * u;
        return Pixel(s.blue[p[0]], s.green[p[1]], s.red[p[2]]);
    }
    case SourceFormat::k32Bit:
    case SourceFormat::k32BitX: {
        const uint8_t* p = row + 4 * u;
        const uint32_t x = s.format == SourceFormat::k32BitX ? s.extra[p[3]] : 0;
        return Pixel(s.blue[p[0]], s.green[p[1]], s.red[p[2]]) | (x << 24);
    }
    case SourceFormat::kCmyk: {
        const uint8_t* p = row + 4 * u;
        const int black = s.extra[p[3]];
        return Pixel(Ink(s.blue, p[2], black), Ink(s.green, p[1], black), Ink(s.red, p[0], black));
    }
    }
    return 0;
}

void ReferenceAffineLoop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out, int32_t n) {
    if (!edge::Tiled(s.mode)) {
        uint64_t pu = static_cast<uint64_t>(u), pv = static_cast<uint64_t>(v);
        for (int32_t k = 0; k < n; ++k) {
            int32_t iu = TexelOf(static_cast<int64_t>(pu));
            int32_t iv = TexelOf(static_cast<int64_t>(pv));
            out[k] = edge::FoldIndex(s.mode, iu, iv, s.width, s.height, 0)
                         ? texel::FetchAny(s, s.rows[iv], static_cast<uint32_t>(iu))
                         : s.outside;
            pu += static_cast<uint64_t>(s.stepU);
            pv += static_cast<uint64_t>(s.stepV);
        }
        return;
    }
    const int64_t periodU = edge::Period(s.width, edge::UDoubled(s.mode));
    const int64_t periodV = edge::Period(s.height, edge::VDoubled(s.mode));
    int64_t p = edge::ReduceStart(u, periodU), q = edge::ReduceStart(v, periodV);
    for (int32_t k = 0; k < n; ++k) {
        out[k] = TiledTexel(s, p, q);
        p = edge::ReduceStart(p + s.stepU, periodU);
        q = edge::ReduceStart(q + s.stepV, periodV);
    }
}

// The texels of a perspective span as the fill defines them. Along the span D, U and V grow
// by the map's x coefficients per pixel. The first pixel divides, r = 1 / D; every further
// pixel first steps D, U and V, then refines the previous pixel's r by one Newton-Raphson
// step towards the new 1 / D, r := r·(2 - D·r). The texel is (U·r, V·r) rounded to the
// nearest integer (ties to even) after limiting to ±2^30, a NaN taken as -2^30. Every value
// is a double and every operation a single IEEE operation in this order; the fast loops
// give the same texels bit for bit.
void ReferencePerspectiveLoop(const ImageFillState& s, const PerspectiveSpan* spans, int count) {
    const PerspectiveMap& m = s.persp;
    const int32_t brick = TexelOf(s.brick);
    for (int i = 0; i < count; ++i) {
        const PerspectiveSpan& span = spans[i];
        double d = span.d, u = span.u, v = span.v;
        double r = 1.0 / d;
        for (int32_t k = 0; k < span.n; ++k) {
            if (k > 0) {
                d += m.dx;
                u += m.ux;
                v += m.vx;
                r = r * (2.0 - d * r);
            }
            int32_t iu = NearestTexel(u * r), iv = NearestTexel(v * r);
            span.out[k] = edge::FoldIndex(s.mode, iu, iv, s.width, s.height, brick)
                              ? texel::FetchAny(s, s.rows[iv], static_cast<uint32_t>(iu))
                              : s.outside;
        }
    }
}
