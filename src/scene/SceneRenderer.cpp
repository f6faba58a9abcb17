#include "scene/SceneRenderer.h"

#include "render/Renderer.h"

namespace {

class GlobalRenderer final : public SceneRenderer {
  public:
    void ResetChangedBox() override { ::ResetChangedBox(); }

    RECT GetChangedBox() override {
        RECT box{};
        ::GetChangedBox(&box);
        return box;
    }

    // The fill covers ±4096 pixels in 16.16 scene units (far beyond any region); the device
    // clip narrows it to the box.
    void ClearBox(const RECT& box) override {
        RECT saved{};
        GetDeviceClip(&saved);
        SetDeviceClip(&box);
        SetSolidFill(0);
        const POINT p{-268435456, -268435456};
        const POINT q{268435456, 268435456};
        FillBox(&p, &q);
        SetDeviceClip(&saved);
    }
};

GlobalRenderer g_globalRenderer;
SceneRenderer* g_renderer = &g_globalRenderer;

} // namespace

SceneRenderer& GetSceneRenderer() {
    return *g_renderer;
}

void SetSceneRenderer(SceneRenderer* renderer) {
    g_renderer = renderer ? renderer : &g_globalRenderer;
}
