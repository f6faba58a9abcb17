// The one animation of this system: coloured boxes and picture cubes on their motion
// patterns in front of a fixed camera, with a clock that advances by 0.02 at most once per
// frame interval.
#pragma once

#include "scene/CCAnimation.h"
#include "scene/SceneSettings.h"
#include "scene/ThreeDObjectList.h"

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
    // Camera at (0, 0, −33) looking at the origin, depth scale 24, width divisor 11.
    CCAnimationView* CreateView(const RECT* client) override;
    BOOL Initialise(CWnd* parent) override;
    void Tick(DWORD now) override;
    void Draw(RastelRegion* region, CCAnimationView* view) override;
    int GetRegionOption() override;
    void ResetRegion() override;

    // Replaces the scene: boxes first, then picture cubes, each inserted at the head. A cube
    // count of 0 makes one cube, a negative one none.
    void BuildScene(const SceneSettings& settings);

    double GetTime() const { return m_time; }
    void SetTime(double time) { m_time = time; }
    ThreeDObjectList& GetObjects() { return m_objects; }
    CubeSettingsDlg* GetSettings() const { return m_settings; }

  private:
    // The settings object's values as scene values, or the defaults without one.
    SceneSettings CurrentSettings() const;

    CubeSettingsDlg* m_settings = nullptr;
    double m_time = 0.0;
    double m_timeStep = 0.02;
    DWORD m_stepInterval = 15;
    DWORD m_lastStepTick = 0;
    RastelRegion* m_lastRegion = nullptr;
    ThreeDObjectList m_objects;
};
