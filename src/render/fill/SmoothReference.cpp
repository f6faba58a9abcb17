// The plain reference loops of the smooth fills: every pixel's position computed as
// SmoothSample.h defines it and sampled with the scalar blend, the edge mode decided per
// index at run time.
#include "render/fill/SmoothLoops.h"
#include "render/fill/SmoothSample.h"

void ReferenceSmoothAffineLoop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out,
                               int32_t n) {
    const smooth::LevelPair pair = smooth::PairOf(s.affineLod, s.levelCount);
    uint64_t pu = static_cast<uint64_t>(u), pv = static_cast<uint64_t>(v);
    for (int32_t k = 0; k < n; ++k) {
        out[k] = smooth::SamplePixel(s, pair, smooth::AffineSubTexel(static_cast<int64_t>(pu)),
                                     smooth::AffineSubTexel(static_cast<int64_t>(pv)));
        pu += static_cast<uint64_t>(s.stepU);
        pv += static_cast<uint64_t>(s.stepV);
    }
}

// The perspective walk of ReferencePerspectiveLoop (D, U, V stepped, r refined by one
// Newton-Raphson step per pixel); the position is (U·r, V·r) at 1/128 texel, and each span
// takes the levels of detail of its middle pixel.
void ReferenceSmoothPerspectiveLoop(const ImageFillState& s, const PerspectiveSpan* spans,
                                    int count) {
    const PerspectiveMap& m = s.persp;
    for (int i = 0; i < count; ++i) {
        const PerspectiveSpan& span = spans[i];
        const smooth::LevelPair pair = smooth::PairOf(smooth::SpanLod(m, span), s.levelCount);
        double d = span.d, u = span.u, v = span.v;
        double r = 1.0 / d;
        for (int32_t k = 0; k < span.n; ++k) {
            if (k > 0) {
                d += m.dx;
                u += m.ux;
                v += m.vx;
                r = r * (2.0 - d * r);
            }
            span.out[k] =
                smooth::SamplePixel(s, pair, smooth::SubTexel(u * r), smooth::SubTexel(v * r));
        }
    }
}
