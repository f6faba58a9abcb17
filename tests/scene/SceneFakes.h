// Stand-ins for the drawing region and the renderer's changed box that record what the
// scene asks of them.
#pragma once

#include "render/region/RastelRegion.h"
#include "scene/SceneRenderer.h"

#include <algorithm>
#include <vector>

class RecordingRenderer : public SceneRenderer {
  public:
    RecordingRenderer() { SetSceneRenderer(this); }
    ~RecordingRenderer() override { SetSceneRenderer(nullptr); }

    void ResetChangedBox() override { changed = kEmpty; }
    RECT GetChangedBox() override { return changed; }
    void ClearBox(const RECT& box) override { cleared.push_back(box); }

    // Grows the changed box by a box of pixels, as a fill would.
    void Touch(const RECT& box) {
        changed.left = std::min(changed.left, box.left);
        changed.top = std::min(changed.top, box.top);
        changed.right = std::max(changed.right, box.right);
        changed.bottom = std::max(changed.bottom, box.bottom);
    }

    static constexpr RECT kEmpty{0x7FFFFFFF, 0x7FFFFFFF, LONG(0x80000000), LONG(0x80000000)};
    RECT changed = kEmpty;
    std::vector<RECT> cleared;
};

struct BitmapFill {
    const BITMAPINFOHEADER* dib;
    POINT corners[4];
    double intensity;
    int mode;
    int transparency;
};

// A region of width × height pixels whose quads mark their bounding box as changed.
class RecordingRegion : public RastelRegion {
  public:
    RecordingRegion(RecordingRenderer* renderer, int width, int height)
        : RastelRegion(0, 32), m_renderer(renderer) {
        m_rect = RECT{0, 0, width, height};
    }

    void Blit(const RECT* box) override { blits.push_back(box ? *box : RECT{}); }
    void SetFillColour(const BYTE rgba[4], double intensity, int) override {
        colours.push_back({rgba[0], rgba[1], rgba[2], rgba[3]});
        intensities.push_back(intensity);
    }
    void SetFillBitmap(const BITMAPINFOHEADER* dib, const POINT* p0, const POINT* p1,
                       const POINT* p2, const POINT* p3, double intensity, int mode,
                       int transparency, int) override {
        fills.push_back({dib, {*p0, *p1, *p2, *p3}, intensity, mode, transparency});
    }
    void FillQuad(const POINT* p0, const POINT* p1, const POINT* p2, const POINT* p3) override {
        quads.push_back({*p0, *p1, *p2, *p3});
        const POINT* p[4] = {p0, p1, p2, p3};
        RECT box{p[0]->x, p[0]->y, p[0]->x, p[0]->y};
        for (const POINT* q : p) {
            box.left = std::min<LONG>(box.left, q->x);
            box.right = std::max<LONG>(box.right, q->x);
            box.top = std::min<LONG>(box.top, q->y);
            box.bottom = std::max<LONG>(box.bottom, q->y);
        }
        // 16.16 scene units about the centre to device pixels.
        const LONG cx = m_rect.right / 2, cy = m_rect.bottom / 2;
        m_renderer->Touch(RECT{cx + (box.left >> 16), cy + (box.top >> 16),
                               cx + (box.right >> 16) + 1, cy + (box.bottom >> 16) + 1});
    }

    std::vector<RECT> blits;
    std::vector<std::vector<BYTE>> colours;
    std::vector<double> intensities;
    std::vector<BitmapFill> fills;
    std::vector<std::vector<POINT>> quads;

  private:
    RecordingRenderer* m_renderer;
};
