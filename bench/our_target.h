// Our renderer's side of the quad workloads: a 1920x1080 target bound with the default
// transform (user units are pixels, y down, as the quad's corners; 8-bit targets with the
// standard palette), and the quad as a four-point outline.
#pragma once

#include "peers_quad.h"

#include "render/core/GraphicsStartup.h"
#include "render/Renderer.h"

struct OurTarget {
    BITMAPINFOHEADER header{};
    peers::FrameBuffer buffer;
    explicit OurTarget(int bits)
        : buffer(size_t(peers::kFrameWidth) * peers::kFrameHeight * bits / 32 + 16) {
        header.biSize = sizeof header;
        header.biWidth = peers::kFrameWidth;
        header.biHeight = peers::kFrameHeight;
        header.biPlanes = 1;
        header.biBitCount = static_cast<WORD>(bits);
        InitGraphics();
        if (bits == 8) {
            SetTargetPalette(UseStandardPalette(0));
        }
    }
    void Bind(bool smooth) {
        BindTarget(&header, buffer.pixels, 2);
        SetSmoothing(smooth);
    }
};

struct QuadPath {
    POINT points[4];
    BYTE verbs[4] = {kVerbMoveTo, kVerbLineTo, kVerbLineTo, kVerbLineTo};
    explicit QuadPath(const peers::Quad& q) {
        for (int i = 0; i < 4; ++i) {
            points[i] = {static_cast<LONG>(q.p[i].x * 65536), static_cast<LONG>(q.p[i].y * 65536)};
        }
    }
};
