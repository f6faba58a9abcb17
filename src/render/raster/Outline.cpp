// FillOutline, FillBox and FillDot: from user-space points to edges or spans.
#include "render/core/Context.h"
#include "render/raster/EdgeStore.h"
#include "render/core/FixedPoint.h"
#include "render/raster/Pipeline.h"
#include "render/raster/ScanConvert.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct DevicePoint {
    int32_t x, y;
};

DevicePoint ToDevice(const POINT& p) {
    const RenderTransform& m = g_render.transform;
    return {fixed::Transform(p.x, m.a, p.y, m.c, m.e), fixed::Transform(p.x, m.b, p.y, m.d, m.f)};
}

// Beyond this depth a curve is taken as flat: with integer midpoints the control polygon
// has shrunk to a few units long before, whatever the flatness.
constexpr int kMaxCurveDepth = 32;

struct Curve {
    int64_t x[4], y[4];
    int depth;
};

// |3·P1 - 2·P0 - P3| and |3·P2 - P0 - 2·P3| per component, combined as ex + ey +
// 2·max(ex, ey), both below the flatness.
bool IsFlat(const Curve& c, int64_t flatness) {
    auto measure = [](int64_t ex, int64_t ey) {
        ex = std::llabs(ex);
        ey = std::llabs(ey);
        return ex + ey + 2 * std::max(ex, ey);
    };
    const int64_t first =
        measure(3 * c.x[1] - 2 * c.x[0] - c.x[3], 3 * c.y[1] - 2 * c.y[0] - c.y[3]);
    const int64_t second =
        measure(3 * c.x[2] - c.x[0] - 2 * c.x[3], 3 * c.y[2] - c.y[0] - 2 * c.y[3]);
    return first < flatness && second < flatness;
}

// Midpoint subdivision at t = 1/2 in integers: each new point is a sum shifted right.
void Split(const int64_t* p, int64_t* left, int64_t* right) {
    left[0] = p[0];
    left[1] = (p[0] + p[1]) >> 1;
    left[2] = (p[0] + 2 * p[1] + p[2]) >> 2;
    left[3] = (p[0] + 3 * p[1] + 3 * p[2] + p[3]) >> 3;
    right[0] = left[3];
    right[1] = (p[1] + 2 * p[2] + p[3]) >> 2;
    right[2] = (p[2] + p[3]) >> 1;
    right[3] = p[3];
}

// Flattens P0..P3 into lines, the first half of every split first.
int FlattenCurve(EdgeCollector& edges, DevicePoint p0, DevicePoint p1, DevicePoint p2,
                 DevicePoint p3) {
    Curve stack[kMaxCurveDepth + 2];
    int top = 0;
    stack[0] = {{p0.x, p1.x, p2.x, p3.x}, {p0.y, p1.y, p2.y, p3.y}, 0};
    const int limit = g_render.curveDepthLimit;
    while (top >= 0) {
        Curve c = stack[top--];
        if (IsFlat(c, g_render.flatness) || c.depth >= kMaxCurveDepth) {
            // The points are convex combinations of int32 values, so they fit.
            if (const int error =
                    edges.AddLine(static_cast<int32_t>(c.x[0]), static_cast<int32_t>(c.y[0]),
                                  static_cast<int32_t>(c.x[3]), static_cast<int32_t>(c.y[3]))) {
                return error;
            }
            continue;
        }
        if (limit > 0 && c.depth + 1 >= limit) {
            return kErrCurveDepth;
        }
        Curve first, second;
        Split(c.x, first.x, second.x);
        Split(c.y, first.y, second.y);
        first.depth = second.depth = c.depth + 1;
        stack[++top] = second;
        stack[++top] = first;
    }
    return 0;
}

bool IsMove(BYTE verb) {
    return (verb & kVerbMoveTo) == kVerbMoveTo;
}

int CollectPath(EdgeCollector& edges, const POINT* points, const BYTE* verbs, int count) {
    DevicePoint start = ToDevice(points[0]);
    DevicePoint current = start;
    auto lineTo = [&](DevicePoint to) {
        const int error = edges.AddLine(current.x, current.y, to.x, to.y);
        current = to;
        return error;
    };
    int error = 0;
    for (int i = 1; i < count && !error; ++i) {
        const BYTE verb = verbs[i];
        if (IsMove(verb)) {
            error = lineTo(start);
            start = current = ToDevice(points[i]);
            continue;
        }
        BYTE last = verb;
        if (verb & kVerbBezierTo) {
            if (count - i < 3) {
                return kErrBadPath;
            }
            const DevicePoint to = ToDevice(points[i + 2]);
            error = FlattenCurve(edges, current, ToDevice(points[i]), ToDevice(points[i + 1]), to);
            current = to;
            last = verbs[i + 2];
            i += 2;
        } else if (verb & kVerbLineTo) {
            error = lineTo(ToDevice(points[i]));
        } else {
            return kErrBadPath;
        }
        if (!error && (last & kVerbClose)) {
            error = lineTo(start);
        }
    }
    return error ? error : lineTo(start);
}

// Rounds a user point to the pixel whose centre it reaches.
void ToPixel(const POINT& p, int32_t& x, int32_t& y) {
    const DevicePoint d = ToDevice(p);
    x = fixed::RoundToPixel(d.x);
    y = fixed::RoundToPixel(d.y);
}

int FillPixelBox(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (const int error = SelectPipeline(false)) {
        return RenderFail(error);
    }
    ExtendChangedBox(left, top, right, bottom);
    const SpanPipeline& pipe = g_render.pipe;
    if (pipe.begin) {
        pipe.begin();
    }
    for (int32_t y = top; y < bottom; ++y) {
        if (pipe.rowBegin) {
            pipe.rowBegin(y);
        }
        pipe.span(y, left, right);
        if (pipe.rowEnd) {
            pipe.rowEnd(y);
        }
    }
    if (pipe.end) {
        pipe.end();
    }
    return 0;
}

} // namespace

int FillOutline(const POINT* points, const BYTE* verbs, int count, int style) {
    if (style < 0 || style > 3) {
        return RenderFail(kErrBadArgument);
    }
    ResetEdges();
    if (count <= 0) {
        return RenderFail(kErrBadPath);
    }
    if (!points || !verbs) {
        return RenderFail(kErrBadArgument);
    }
    if (!IsMove(verbs[0])) {
        return RenderFail(kErrBadPath);
    }
    const bool smooth = g_render.smoothing && g_render.target.format != kTarget1Bit;
    EdgeCollector edges(smooth);
    if (const int error = CollectPath(edges, points, verbs, count)) {
        return RenderFail(error);
    }
    return FillCollectedEdges(edges, style);
}

int FillBox(const POINT* p, const POINT* q) {
    if (!p || !q) {
        return RenderFail(kErrBadArgument);
    }
    int32_t x0, y0, x1, y1;
    ToPixel(*p, x0, y0);
    ToPixel(*q, x1, y1);
    const ClipBox& clip = g_render.clip;
    const int32_t left = std::max(std::min(x0, x1), clip.left);
    const int32_t top = std::max(std::min(y0, y1), clip.top);
    const int32_t right = std::min(std::max(x0, x1), clip.right);
    const int32_t bottom = std::min(std::max(y0, y1), clip.bottom);
    if (left >= right || top >= bottom) {
        return 0;
    }
    return FillPixelBox(left, top, right, bottom);
}

int FillDot(const POINT* p) {
    if (!p) {
        return RenderFail(kErrBadArgument);
    }
    int32_t x, y;
    ToPixel(*p, x, y);
    const ClipBox& clip = g_render.clip;
    if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) {
        return 0;
    }
    return FillPixelBox(x, y, x + 1, y + 1);
}
