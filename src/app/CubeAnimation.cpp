#include "app/CubeAnimation.h"

#include "app/CubeSettingsDlg.h"

#include <new>

IMPLEMENT_DYNAMIC(CubeAnimation, CCAnimation)

// The settings go before the scene's objects, which only refer to its picture sources.
CubeAnimation::~CubeAnimation() {
    if (m_settings) {
        if (m_settings->GetSafeHwnd()) {
            m_settings->DestroyWindow();
        }
        delete m_settings;
        m_settings = nullptr;
    }
}

CCAnimationView* CubeAnimation::CreateView(const RECT* client) {
    return m_scene.CreateView(client);
}

SceneSettings CubeAnimation::CurrentSettings() const {
    return m_settings ? m_settings->GetSceneSettings() : SceneSettings{};
}

BOOL CubeAnimation::Initialise(CWnd* parent) {
    if (!m_settings) {
        m_settings = new (std::nothrow) CubeSettingsDlg(this, parent);
        if (!m_settings) {
            return 0;
        }
    }
    m_scene.Build(CurrentSettings());
    m_scene.ResetRegion();
    return !m_scene.IsEmpty();
}

void CubeAnimation::Tick(DWORD now) {
    m_scene.Tick(now);
}

void CubeAnimation::Draw(RastelRegion* region, CCAnimationView* view) {
    m_scene.Draw(region, view);
}

int CubeAnimation::GetRegionOption() {
    return CurrentSettings().regionOption;
}

void CubeAnimation::ResetRegion() {
    m_scene.ResetRegion();
}
