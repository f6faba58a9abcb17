#include "app/SceneFrames.h"

#include "app/CubeAnimation.h"
#include "import/AnimatedGifPicture.h"
#include "import/DefaultPicture.h"
#include "import/PictureLimits.h"
#include "import/PictureSource.h"
#include "render/core/GraphicsStartup.h"
#include "render/region/MemoryRegion.h"
#include "scene/CCAnimationView.h"
#include "scene/FrameClock.h"

#include <new>

SceneFrames::SceneFrames() {
    // A frame drawn on its own shows every face as it is at that time, however long a
    // moving face takes to get there.
    SetGifWorkPerDraw(UINT64_MAX);
    LoadDefaultPicture(kDefaultPictureId);
    StartVideoSupport(1);
    InitGraphics();
}

SceneFrames::~SceneFrames() {
    SetGifWorkPerDraw(picture::kGifWorkPerDraw);
    DestroyAllPictures();
    m_view.reset();
    m_region.reset();
    m_animation.reset();
    StopVideoSupport();
    FreeGraphics();
}

SceneFrames::OpenResult SceneFrames::Open(int depth, int width, int height) {
    m_animation.reset(new (std::nothrow) CubeAnimation);
    if (m_animation && m_forcedPictureMode) {
        m_animation->ForcePictureMode(*m_forcedPictureMode);
    }
    if (!m_animation || !m_animation->Initialise(nullptr)) {
        return OpenResult::kEmptyScene;
    }
    m_region.reset(new (std::nothrow) MemoryRegion(m_animation->GetRegionOption(), depth));
    const RECT rect{0, 0, width, height};
    if (!m_region || !m_region->Init(nullptr, &rect)) {
        return OpenResult::kNoRegion;
    }
    m_view.reset(m_animation->CreateView(&rect));
    return m_view ? OpenResult::kOpened : OpenResult::kNoRegion;
}

void SceneFrames::Draw(double clock) {
    SetPictureTime(PictureTimeForClock(clock));
    m_animation->GetScene().SetTime(clock);
    m_region->BeginFrame();
    m_animation->Draw(m_region.get(), m_view.get());
    m_region->EndFrame();
}
