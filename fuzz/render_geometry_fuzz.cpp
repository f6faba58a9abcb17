// The rasteriser's geometry under hostile input: paths of any verbs and points, any
// transform (including ones whose products overflow), clip boxes, smoothing, flatness and
// every target format, drawn into a target buffer of exactly the bound size so that any
// write outside its rows is caught.
#include "render/core/Context.h"
#include "render/core/GraphicsStartup.h"
#include "render/Renderer.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

namespace {

void StartOnce() {
    static const bool started = [] {
        SetMemoryHandlers(RendererAlloc, RendererFree);
        SetTargetPalette(UseStandardPalette(0));
        return true;
    }();
    (void)started;
}

POINT TakePoint(FuzzedDataProvider& in, bool wide) {
    if (wide) {
        return POINT{in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>()};
    }
    // Mostly near the target: -16..80 pixels in 16.16.
    return POINT{in.ConsumeIntegralInRange<int32_t>(-16 << 16, 80 << 16),
                 in.ConsumeIntegralInRange<int32_t>(-16 << 16, 80 << 16)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StartOnce();
    FuzzedDataProvider in(data, size);

    static const WORD kBits[5] = {1, 4, 8, 16, 32};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biPlanes = 1;
    header.biBitCount = kBits[in.ConsumeIntegralInRange(0, 4)];
    header.biWidth = in.ConsumeIntegralInRange(0, 64);
    header.biHeight = in.ConsumeIntegralInRange(0, 48) * (in.ConsumeBool() ? -1 : 1);
    const int mode16 = in.ConsumeIntegralInRange(-1, 5);
    const int64_t rows = header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight;
    const int64_t stride = ((int64_t{header.biWidth} * header.biBitCount + 31) / 32) * 4;
    // Exactly the rows the renderer may touch; new[] so that ASan guards both ends.
    std::vector<uint8_t> pixels(static_cast<size_t>(stride * rows));
    if (BindTarget(&header, pixels.empty() ? nullptr : pixels.data(), mode16) != 0) {
        return 0;
    }
    if (in.ConsumeBool()) {
        RenderTransform m;
        m.a = in.ConsumeIntegral<int32_t>();
        m.b = in.ConsumeIntegral<int32_t>();
        m.c = in.ConsumeIntegral<int32_t>();
        m.d = in.ConsumeIntegral<int32_t>();
        m.e = in.ConsumeIntegral<int64_t>();
        m.f = in.ConsumeIntegral<int64_t>();
        SetTransform(&m);
    }
    if (in.ConsumeBool()) {
        const RECT clip = {in.ConsumeIntegralInRange(-8, 72), in.ConsumeIntegralInRange(-8, 56),
                           in.ConsumeIntegralInRange(-8, 72), in.ConsumeIntegralInRange(-8, 56)};
        SetDeviceClip(&clip);
    }
    if (in.ConsumeBool()) {
        const POINT p = TakePoint(in, false), q = TakePoint(in, false);
        ClipToBox(&p, &q);
    }
    SetSmoothing(in.ConsumeBool());
    SetFlatness(in.ConsumeIntegralInRange<int32_t>(0, 0x40000));
    if (in.ConsumeBool()) {
        SetSolidFill(in.ConsumeIntegral<uint32_t>());
    }

    const bool wide = in.ConsumeBool();
    const int style = in.ConsumeIntegralInRange(-1, 4);
    const int count = in.ConsumeIntegralInRange(0, 64);
    std::vector<POINT> points;
    std::vector<BYTE> verbs;
    for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
        static const BYTE kVerbs[] = {kVerbMoveTo,
                                      kVerbLineTo,
                                      kVerbBezierTo,
                                      kVerbLineTo | kVerbClose,
                                      kVerbBezierTo | kVerbClose,
                                      0};
        verbs.push_back(in.ConsumeBool() ? in.ConsumeIntegral<BYTE>()
                                         : kVerbs[in.ConsumeIntegralInRange(0, 5)]);
        points.push_back(TakePoint(in, wide));
    }
    if (!verbs.empty()) {
        verbs[0] = in.ConsumeBool() ? BYTE{kVerbMoveTo} : verbs[0];
    }
    FillOutline(points.data(), verbs.data(), static_cast<int>(points.size()), style);
    if (points.size() >= 2) {
        FillBox(&points[0], &points[1]);
        FillDot(&points[1]);
    }
    RECT changed;
    GetChangedBox(&changed);
    return 0;
}
