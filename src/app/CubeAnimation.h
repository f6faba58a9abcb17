// The one animation of this system: the cube scene built from the settings object's
// values, shown in the window of each mode. The scene itself, its clock and its drawing
// are the window-free CubeScene; this class adds the settings object and the windows.
#pragma once

#include "app/CCAnimation.h"
#include "scene/CubeScene.h"

class CubeSettingsDlg;

class CubeAnimation : public CCAnimation {
    DECLARE_DYNAMIC(CubeAnimation)
  public:
    CubeAnimation() = default;
    ~CubeAnimation() override;
    CubeAnimation(const CubeAnimation&) = delete;
    CubeAnimation& operator=(const CubeAnimation&) = delete;

    CWnd* Configure(CWnd* owner) override;
    CWnd* Preview(HWND parent) override;
    CCAnimationView* CreateView(const RECT* client) override;
    BOOL Initialise(CWnd* parent) override;
    void Tick(DWORD now) override;
    void Draw(RastelRegion* region, CCAnimationView* view) override;
    int GetRegionOption() override;
    void ResetRegion() override;

    // Milliseconds from `now` until Tick would step the clock; none for an empty scene.
    std::optional<DWORD> TicksToNextStep(DWORD now) const { return m_scene.TicksToNextStep(now); }
    CubeScene& GetScene() { return m_scene; }
    CubeSettingsDlg* GetSettings() const { return m_settings; }

  private:
    // The settings object's values as scene values, or the defaults without one.
    SceneSettings CurrentSettings() const;

    CubeSettingsDlg* m_settings = nullptr;
    CubeScene m_scene;
};
