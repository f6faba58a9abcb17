#include "app/CubeAnimation.h"

#include "app/CubeSettingsDlg.h"

#include "platform/Win32.h"

#include <cstdio>
#include <new>

IMPLEMENT_DYNAMIC(CubeAnimation, CCAnimation)

// The settings go before the scene's objects, which only refer to its picture sources.
CubeAnimation::~CubeAnimation() {
    ReportPhotoPacing();
    if (m_settings) {
        if (m_settings->GetSafeHwnd()) {
            m_settings->DestroyWindow();
        }
        delete m_settings;
        m_settings = nullptr;
    }
    for (CubeScene*& scene : m_otherScenes) {
        delete scene;
        scene = nullptr;
    }
}

CCAnimationView* CubeAnimation::CreateView(const RECT* client) {
    return m_scene.CreateView(client);
}

void CubeAnimation::AdoptSettings(CubeSettingsDlg* settings) {
    if (!m_settings) {
        m_settings = settings;
    } else {
        delete settings;
    }
}

void CubeAnimation::UseScene(const SceneSettings& scene) {
    m_givenScene = scene;
}

SceneSettings CubeAnimation::CurrentSettings() const {
    SceneSettings settings = m_givenScene ? *m_givenScene
                             : m_settings ? m_settings->GetSceneSettings()
                                          : SceneSettings{};
    if (m_forcedPictureMode) {
        settings.pictureMode = *m_forcedPictureMode;
    }
    settings.photos = m_photos.get();
    return settings;
}

BOOL CubeAnimation::Initialise(CWnd* parent) {
    if (!m_settings && !m_givenScene) {
        m_settings = new (std::nothrow) CubeSettingsDlg(this, parent);
        if (!m_settings) {
            return 0;
        }
    }
    StartFolderPhotos();
    m_scene.Build(CurrentSettings());
    m_scene.ResetRegion();
    return !m_scene.IsEmpty();
}

// One line on the error output, for the measurements of a saver showing a photo folder.
void CubeAnimation::ReportPhotoPacing() const {
    if (!m_photos) {
        return;
    }
    const std::optional<uint32_t> first = m_photos->FirstShownAfter();
    std::fprintf(stderr,
                 "photos: first on a face %ld ms after start, %u listed; frames %u, later than "
                 "2 intervals %u, longest gap %u ms\n",
                 first ? static_cast<long>(*first) : -1L, m_photos->Listed(), m_pacing.frames,
                 m_pacing.late, m_pacing.longestGap);
    std::fflush(stderr);
}

// A folder that cannot be had (no thread, no memory) leaves the faces to the default
// picture, as a face file that cannot be read does.
void CubeAnimation::StartFolderPhotos() {
    if (!m_showFolderPhotos || m_photos || !m_settings || !m_settings->GetPhotoFolder().Present()) {
        return;
    }
    m_photos.reset(new (std::nothrow) FolderPhotos(m_settings->GetPhotoFolder(), GetTickCount()));
    if (m_photos) {
        m_photos->SetNow(GetTickCount());
    }
    if (m_photos && !m_photos->Start()) {
        m_photos.reset();
    }
}

void CubeAnimation::Tick(DWORD now) {
    if (m_photos) {
        m_photos->SetNow(now);
    }
    m_scene.Tick(now);
    for (CubeScene* scene : m_otherScenes) {
        if (scene) {
            scene->Tick(now);
        }
    }
}

std::optional<DWORD> CubeAnimation::TicksToNextStep(DWORD now) const {
    std::optional<DWORD> next = m_scene.TicksToNextStep(now);
    for (const CubeScene* scene : m_otherScenes) {
        const std::optional<DWORD> step = scene ? scene->TicksToNextStep(now) : std::nullopt;
        if (step && (!next || *step < *next)) {
            next = step;
        }
    }
    return next;
}

void CubeAnimation::Draw(RastelRegion* region, CCAnimationView* view) {
    if (m_photos) {
        m_pacing.Note(GetTickCount());
    }
    m_scene.Draw(region, view);
}

CubeScene* CubeAnimation::GetScreenScene(int screen) {
    if (screen == 0) {
        return &m_scene;
    }
    return screen > 0 && screen < kMaxScreens ? m_otherScenes[screen - 1] : nullptr;
}

// A scene added while the saver runs (a monitor plugged in) starts at the clock of the
// others, so every monitor shows the same moment of the motion patterns.
BOOL CubeAnimation::PrepareScreens(int count) {
    if (count > kMaxScreens) {
        return FALSE;
    }
    const SceneSettings settings = CurrentSettings();
    for (int screen = 1; screen < count; ++screen) {
        CubeScene*& scene = m_otherScenes[screen - 1];
        if (scene) {
            continue;
        }
        scene = new (std::nothrow) CubeScene;
        if (!scene) {
            return FALSE;
        }
        scene->Build(settings);
        scene->SetTime(m_scene.GetTime());
    }
    return TRUE;
}

// Screen 0 goes through CreateView and Draw, which animations built on this one override.
CCAnimationView* CubeAnimation::CreateScreenView(int screen, const RECT* client) {
    if (screen == 0) {
        return CreateView(client);
    }
    const CubeScene* scene = GetScreenScene(screen);
    return scene ? scene->CreateView(client) : nullptr;
}

void CubeAnimation::DrawScreen(int screen, RastelRegion* region, CCAnimationView* view) {
    if (screen == 0) {
        Draw(region, view);
    } else if (CubeScene* scene = GetScreenScene(screen)) {
        scene->Draw(region, view);
    }
}

int CubeAnimation::GetRegionOption() {
    return CurrentSettings().regionOption;
}

void CubeAnimation::ResetRegion() {
    m_scene.ResetRegion();
    for (CubeScene* scene : m_otherScenes) {
        if (scene) {
            scene->ResetRegion();
        }
    }
}
