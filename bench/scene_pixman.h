// The peer: pixman drawing a recorded scene frame.
#pragma once

#include "scene_frame.h"

#include <memory>

class PixmanSceneRenderer {
  public:
    // Prepares every source image, transform and triangle outside the timed loop. depth is
    // 32 (x8r8g8b8) or 8 (an indexed target on the given 256 RGB colours).
    PixmanSceneRenderer(const SceneFrame& frame, int depth, const PALETTEENTRY* palette);
    ~PixmanSceneRenderer();
    // Draws the frame: the clears, then every face far to near.
    void Draw();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};
