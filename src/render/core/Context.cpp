// The global context and the entry points that only set or read its state: memory
// handlers, target, transform, smoothing, clip box and changed box.
#include "render/core/Context.h"

#include "render/raster/EdgeStore.h"
#include "render/core/FixedPoint.h"
#include "render/region/RastelRegion.h"

#include <algorithm>
#include <cstdlib>

RenderContext g_render;

namespace {

constexpr LONG kEmptyLow = 0x7FFFFFFF;
constexpr LONG kEmptyHigh = static_cast<LONG>(0x80000000u);

// Targets larger than this cannot express their size in 18.14.
constexpr int32_t kMaxTargetSide = 0x1FFFF;

void SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    ClipBox& c = g_render.clip;
    c.left = left;
    c.top = top;
    c.right = right;
    c.bottom = bottom;
    c.leftDev = left * fixed::kDeviceOne;
    c.topDev = top * fixed::kDeviceOne;
    c.rightDev = right * fixed::kDeviceOne;
    c.bottomDev = bottom * fixed::kDeviceOne;
}

} // namespace

int RenderFail(int code) {
    FreeEdgeMemory();
    SetLastError(kRenderErrorBase + static_cast<DWORD>(code));
    return -1;
}

void SetFillKind(int kind, FillSetupFn setup, FillSetupFn smoothedSetup) {
    g_render.fill.kind = kind;
    g_render.fill.setup = setup;
    g_render.fill.smoothedSetup = smoothedSetup;
}

void ExtendChangedBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    RECT& r = g_render.changed;
    r.left = std::min<LONG>(r.left, x0);
    r.top = std::min<LONG>(r.top, y0);
    r.right = std::max<LONG>(r.right, x1);
    r.bottom = std::max<LONG>(r.bottom, y1);
}

int SetMemoryHandlers(RenderAllocFn allocate, RenderFreeFn release) {
    g_render.allocate = allocate;
    g_render.release = release;
    return 0;
}

int BindTarget(const BITMAPINFOHEADER* header, void* pixels, int mode16) {
    if (!header) {
        return RenderFail(kErrBadArgument);
    }
    if (header->biPlanes != 1) {
        return RenderFail(kErrBadBitmap);
    }
    int format;
    switch (header->biBitCount) {
    case 1:
        format = kTarget1Bit;
        break;
    case 4:
        format = kTarget4Bit;
        break;
    case 8:
        format = kTarget8Bit;
        break;
    case 16:
        format = kTarget16Bit;
        break;
    case 32:
        format = kTarget32Bit;
        break;
    default:
        return RenderFail(kErrBadBitmap);
    }
    // Device rows are memory rows, so a top-down DIB (negative height) has as many.
    const int32_t width = header->biWidth;
    const int64_t height = header->biHeight < 0 ? -int64_t{header->biHeight} : header->biHeight;
    if (width < 0 || width > kMaxTargetSide || height > kMaxTargetSide) {
        return RenderFail(kErrBadArgument);
    }
    RenderTarget& t = g_render.target;
    t.header = header;
    t.pixels = static_cast<uint8_t*>(pixels);
    t.format = format;
    t.width = width;
    t.height = static_cast<int32_t>(height);
    t.widthDev = width * fixed::kDeviceOne;
    t.heightDev = t.height * fixed::kDeviceOne;
    switch (format) {
    case kTarget1Bit:
        t.stride = ((width + 31) & ~31) / 8;
        break;
    case kTarget4Bit:
        t.stride = ((width + 7) & ~7) / 2;
        break;
    case kTarget8Bit:
        t.stride = (width + 3) & ~3;
        break;
    case kTarget16Bit:
        t.stride = ((width + 1) & ~1) * 2;
        break;
    default:
        t.stride = width * 4;
        break;
    }
    t.mode16 = (mode16 < 0 || mode16 > 3) ? kPack555 : mode16;

    SetClip(0, 0, width, t.height);
    // User (0, 0) is the top-left corner of the picture and user y grows downwards.
    g_render.transform = {0x4000, 0, 0, -0x4000, 0, int64_t{t.height} << 30};
    SetFillKind(kFillNone, nullptr, nullptr);
    g_render.fill.solidValid = false;
    ResetChangedBox();
    return 0;
}

int SetTransform(const RenderTransform* transform) {
    if (!transform) {
        return RenderFail(kErrBadArgument);
    }
    g_render.transform = *transform;
    return 0;
}

int SetTransform(const RegionTransform* transform) {
    if (!transform) {
        return RenderFail(kErrBadArgument);
    }
    g_render.transform = {transform->a, transform->b, transform->c,
                          transform->d, transform->e, transform->f};
    return 0;
}

int SetSmoothing(int on) {
    g_render.smoothing = on != 0;
    return 0;
}

int SetFlatness(int32_t flatness) {
    const int64_t scaled = int64_t{flatness} * 8;
    g_render.flatness = static_cast<int32_t>(std::clamp<int64_t>(scaled, 0x10, INT32_MAX));
    return 0;
}

int ClipToBox(const POINT* p, const POINT* q) {
    if (!p || !q) {
        return RenderFail(kErrBadArgument);
    }
    const RenderTransform& m = g_render.transform;
    const int32_t x0 = fixed::RoundToPixel(fixed::Transform(p->x, m.a, p->y, m.c, m.e));
    const int32_t y0 = fixed::RoundToPixel(fixed::Transform(p->x, m.b, p->y, m.d, m.f));
    const int32_t x1 = fixed::RoundToPixel(fixed::Transform(q->x, m.a, q->y, m.c, m.e));
    const int32_t y1 = fixed::RoundToPixel(fixed::Transform(q->x, m.b, q->y, m.d, m.f));
    // The intersection; an empty one stays inside the target so that it never yields rows.
    const ClipBox& c = g_render.clip;
    const int32_t left = std::clamp(std::min(x0, x1), c.left, c.right);
    const int32_t top = std::clamp(std::min(y0, y1), c.top, c.bottom);
    const int32_t right = std::clamp(std::max(x0, x1), left, c.right);
    const int32_t bottom = std::clamp(std::max(y0, y1), top, c.bottom);
    SetClip(left, top, right, bottom);
    return 0;
}

int SetDeviceClip(const RECT* rect) {
    if (!rect) {
        return RenderFail(kErrBadArgument);
    }
    const RenderTarget& t = g_render.target;
    const int32_t left = std::clamp<int32_t>(std::min(rect->left, rect->right), 0, t.width);
    const int32_t top = std::clamp<int32_t>(std::min(rect->top, rect->bottom), 0, t.height);
    const int32_t right = std::clamp<int32_t>(std::max(rect->left, rect->right), left, t.width);
    const int32_t bottom = std::clamp<int32_t>(std::max(rect->top, rect->bottom), top, t.height);
    SetClip(left, top, right, bottom);
    return 0;
}

int GetDeviceClip(RECT* rect) {
    if (!rect) {
        return RenderFail(kErrBadArgument);
    }
    const ClipBox& c = g_render.clip;
    *rect = RECT{c.left, c.top, c.right, c.bottom};
    return 0;
}

int ResetChangedBox() {
    g_render.changed = RECT{kEmptyLow, kEmptyLow, kEmptyHigh, kEmptyHigh};
    return 0;
}

int GetChangedBox(RECT* rect) {
    if (!rect) {
        return RenderFail(kErrBadArgument);
    }
    *rect = g_render.changed;
    return 0;
}

int SetChangedBox(const RECT* rect) {
    if (!rect) {
        return RenderFail(kErrBadArgument);
    }
    g_render.changed = *rect;
    return 0;
}
