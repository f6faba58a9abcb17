// The renderer services the object protocol uses besides the region's fills: the changed
// box that tells an object which pixels it covered, and the black clear of an old box.
// Tests put a recording stand-in in place of the renderer's global context.
#pragma once

#include "platform/Win32.h"

class SceneRenderer {
  public:
    virtual ~SceneRenderer() = default;
    virtual void ResetChangedBox() = 0;
    // The pixels touched since the last reset, in device pixels (rows counted upwards).
    virtual RECT GetChangedBox() = 0;
    // Fills box (device pixels) with colour 0, leaving the renderer's clip as it was.
    virtual void ClearBox(const RECT& box) = 0;
};

// The renderer in use: the stand-in when one is set, else the renderer's global context.
SceneRenderer& GetSceneRenderer();
// Null restores the renderer's global context.
void SetSceneRenderer(SceneRenderer* renderer);
