// The cube animation's scene, free of windows: coloured boxes and picture cubes on their
// motion patterns in front of a fixed camera, and the clock they move to. The clock steps
// by kClockStep at most once per frame interval.
#pragma once

#include "platform/Win32.h"
#include "scene/FrameClock.h"
#include "scene/SceneSettings.h"
#include "scene/ThreeDObjectList.h"

#include <memory>
#include <optional>

class CCAnimationView;
class RastelRegion;
class SmoothFaces;

class CubeScene {
  public:
    CubeScene();
    ~CubeScene();

    // Camera at (0, 0, −33) looking at the origin, depth scale 24, width divisor 11; the
    // caller owns it.
    CCAnimationView* CreateView(const RECT* client) const;
    // Replaces the objects: boxes first, then picture cubes, each inserted at the head. A
    // cube count of 0 makes one cube, a negative one none.
    void Build(const SceneSettings& settings);
    // Steps the clock when a frame interval has passed since the last step.
    void Tick(DWORD now);
    // Milliseconds from `now` until Tick would step the clock: 0 when a step is due, none
    // for an empty scene, whose clock never moves.
    std::optional<DWORD> TicksToNextStep(DWORD now) const;
    // Moves every object to the clock, then erases and draws the frame into the region; the
    // view must be a CC3DView.
    void Draw(RastelRegion* region, CCAnimationView* view);
    // Forgets the region drawn last, so the next Draw clears and copies the whole region.
    void ResetRegion() { m_lastRegion = nullptr; }

    bool IsEmpty() const { return m_objects.IsEmpty(); }
    double GetTime() const { return m_time; }
    void SetTime(double time) { m_time = time; }
    ThreeDObjectList& GetObjects() { return m_objects; }

  private:
    double m_time = 0.0;
    double m_timeStep = kClockStep;
    DWORD m_stepInterval = kFrameInterval;
    DWORD m_lastStepTick = 0;
    RastelRegion* m_lastRegion = nullptr; // not owned
    // Smooth mode: the levels of the faces' pictures, shared by the cubes; made anew with
    // the objects, since the sources they were built from may be gone.
    std::unique_ptr<SmoothFaces> m_smoothFaces;
    ThreeDObjectList m_objects;
};
