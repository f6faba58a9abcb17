// A bound target for renderer tests: a DIB of one format in an exact-size buffer, device
// pixels = user pixels (transform a = d = 0x4000, no offset, memory row = y).
#pragma once

#include "render/core/Context.h"
#include "render/core/GraphicsStartup.h"
#include "render/Renderer.h"

#include <cstdint>
#include <cstring>
#include <vector>

struct TestTarget {
    BITMAPINFOHEADER header{};
    std::vector<uint32_t> storage; // 32-bit words keep the rows aligned
    int stride = 0;

    TestTarget(int width, int height, int bits = 32, int mode16 = 2) {
        header.biSize = sizeof header;
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = static_cast<WORD>(bits);
        stride = ((width * bits + 31) / 32) * 4;
        storage.assign(static_cast<size_t>(stride) * height / 4 + 1, 0);
        SetMemoryHandlers(RendererAlloc, RendererFree);
        Bind(mode16);
    }
    void Bind(int mode16 = 2) {
        BindTarget(&header, storage.data(), mode16);
        const RenderTransform pixels = {0x4000, 0, 0, 0x4000, 0, 0};
        SetTransform(&pixels);
        SetSmoothing(0);
    }
    uint8_t* Row(int y) { return reinterpret_cast<uint8_t*>(storage.data()) + y * stride; }
    uint32_t& At32(int x, int y) { return reinterpret_cast<uint32_t*>(Row(y))[x]; }
    uint8_t& At8(int x, int y) { return Row(y)[x]; }
    uint16_t& At16(int x, int y) { return reinterpret_cast<uint16_t*>(Row(y))[x]; }
    void Clear32(uint32_t v) {
        for (int y = 0; y < header.biHeight; ++y) {
            for (int x = 0; x < header.biWidth; ++x) {
                At32(x, y) = v;
            }
        }
    }
    // Pixels of a 32-bit target not equal to `background`.
    int CountNot32(uint32_t background) {
        int n = 0;
        for (int y = 0; y < header.biHeight; ++y) {
            for (int x = 0; x < header.biWidth; ++x) {
                n += At32(x, y) != background;
            }
        }
        return n;
    }
};

// User points from pixels (16.16).
inline POINT Px(double x, double y) {
    return POINT{static_cast<LONG>(x * 65536.0), static_cast<LONG>(y * 65536.0)};
}

// A closed polygon path (move, then lines).
struct Polygon {
    std::vector<POINT> points;
    std::vector<BYTE> verbs;
    Polygon& Add(double x, double y) {
        verbs.push_back(points.empty() ? kVerbMoveTo : kVerbLineTo);
        points.push_back(Px(x, y));
        return *this;
    }
    Polygon& Move(double x, double y) {
        verbs.push_back(kVerbMoveTo);
        points.push_back(Px(x, y));
        return *this;
    }
    int Fill(int style = 0) const {
        return FillOutline(points.data(), verbs.data(), static_cast<int>(points.size()), style);
    }
};

inline Polygon Rect(double x0, double y0, double x1, double y1) {
    Polygon p;
    p.Add(x0, y0).Add(x1, y0).Add(x1, y1).Add(x0, y1);
    return p;
}

inline DWORD RenderCode() {
    return GetLastError() - kRenderErrorBase;
}

inline int Box(double x0, double y0, double x1, double y1) {
    const POINT p = Px(x0, y0), q = Px(x1, y1);
    return FillBox(&p, &q);
}
