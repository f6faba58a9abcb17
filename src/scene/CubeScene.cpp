#include "scene/CubeScene.h"

#include "render/region/RastelRegion.h"
#include "scene/Box3d.h"
#include "scene/CCAnimationView.h"
#include "scene/ImageCube.h"
#include "scene/SceneRandom.h"
#include "scene/SmoothFaces.h"

#include <new>

namespace {
// A payload may ask for any count; past this many objects of a kind the saver would only
// crawl, and past a few million it would run out of memory.
constexpr int kMaxObjectsPerKind = 10000;
} // namespace

CubeScene::CubeScene() = default;
CubeScene::~CubeScene() = default;

CCAnimationView* CubeScene::CreateView(const RECT* client) const {
    const RECT viewport = client ? *client : RECT{};
    return new (std::nothrow) CC3DView(viewport, Vector{0, 0, -33, 1}, Vector{0, 0, 0, 1},
                                       Vector{0, 1, 0, 0}, 24.0, 11.0);
}

void CubeScene::Build(const SceneSettings& s) {
    m_objects.DeleteAll();
    m_smoothFaces.reset();
    if (s.pictureMode == PictureMode::kSmooth) {
        m_smoothFaces.reset(new (std::nothrow) SmoothFaces);
    }
    const int boxes = s.boxCount < kMaxObjectsPerKind ? s.boxCount : kMaxObjectsPerKind;
    if (boxes > 0) {
        // Phases are in clock units; 60 × phase degrees spreads n boxes 360/n apart along
        // the paths of patterns 2 and 3.
        const double step = 6.0 / boxes;
        for (int k = 0; k < boxes; ++k) {
            // Each extent is 4/16 to 15/16 of the box size in steps of 1/16.
            const double x = s.boxSize * (SceneRandom() % 12 + 4) * 0.0625;
            const double y = s.boxSize * (SceneRandom() % 12 + 4) * 0.0625;
            const double z = s.boxSize * (SceneRandom() % 12 + 4) * 0.0625;
            auto* box = new (std::nothrow)
                Box3d(s.motionStyle, x, y, z, s.boxSpeed, k * s.boxPhaseStep, k * step);
            if (!box) {
                break; // out of memory: the scene keeps what it has
            }
            m_objects.AddHead(box);
        }
    }
    int cubes = s.cubeCount == 0 ? 1 : s.cubeCount;
    if (cubes > kMaxObjectsPerKind) {
        cubes = kMaxObjectsPerKind;
    }
    if (cubes > 0) {
        const double step = 6.0 / cubes;
        for (int k = 0; k < cubes; ++k) {
            auto* cube =
                new (std::nothrow) ImageCube(s.motionStyle, s.cubeSize, s.cubeSpeed, k * step,
                                             s.pictures, s.faceModes, m_smoothFaces.get());
            if (!cube) {
                break;
            }
            cube->TakePhotos(s.photos);
            m_objects.AddHead(cube);
        }
    }
}

// The unsigned difference makes a wrap of the tick counter harmless. Missed steps are not
// caught up: a slow machine shows a slower animation rather than a jumping one.
void CubeScene::Tick(DWORD now) {
    if (m_objects.IsEmpty()) {
        return;
    }
    if (static_cast<DWORD>(now - m_lastStepTick) < m_stepInterval) {
        return;
    }
    m_lastStepTick = now;
    m_time += m_timeStep;
}

std::optional<DWORD> CubeScene::TicksToNextStep(DWORD now) const {
    if (m_objects.IsEmpty()) {
        return std::nullopt;
    }
    const DWORD since = static_cast<DWORD>(now - m_lastStepTick);
    return since >= m_stepInterval ? 0 : m_stepInterval - since;
}

void CubeScene::Draw(RastelRegion* region, CCAnimationView* view) {
    if (!region || !view || !view->IsKindOf(RUNTIME_CLASS(CC3DView))) {
        return;
    }
    const CC3DView* camera = static_cast<const CC3DView*>(view);
    m_objects.UpdateAll(m_time, &camera->GetViewMatrix(), &camera->GetProjection());
    region->SetPerspective(1);
    if (region != m_lastRegion) {
        m_objects.ResetRects(region);
    }
    m_objects.EraseAll(region);
    m_objects.DrawAll(region);
    m_lastRegion = region;
}
