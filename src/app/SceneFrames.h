// The saver's scene drawn without a window: frame after frame into one in-memory region,
// as the saver draws them, for the headless renderer and the pixel-check program. The
// scene is the one of the payload at the end of the program's own file (none: the
// built-in defaults).
#pragma once

#include "platform/Win32.h"
#include "scene/SceneSettings.h"

#include <memory>
#include <optional>

class CCAnimationView;
class CubeAnimation;
class MemoryRegion;

class SceneFrames {
  public:
    enum class OpenResult { kOpened, kEmptyScene, kNoRegion };

    // Starts what the shell starts before its animation: the default picture, the video
    // support and the graphics tables.
    SceneFrames();
    // Destroys the pictures before the animation: the animation's settings object deletes
    // the face files, which Windows refuses while a video face still has its file open.
    ~SceneFrames();
    SceneFrames(const SceneFrames&) = delete;
    SceneFrames& operator=(const SceneFrames&) = delete;

    // Builds the scene and a region of `width` x `height` at `depth` bits per pixel;
    // NoRegion when the region or the view cannot be made.
    OpenResult Open(int depth, int width, int height);
    // Pictures drawn in `mode` whatever the payload says; before Open.
    void ForcePictureMode(PictureMode mode) { m_forcedPictureMode = mode; }
    // Draws the frame at `clock` over the previous one (only after Open succeeded).
    void Draw(double clock);
    const MemoryRegion& GetRegion() const { return *m_region; }

  private:
    std::optional<PictureMode> m_forcedPictureMode;
    std::unique_ptr<CubeAnimation> m_animation;
    std::unique_ptr<MemoryRegion> m_region;
    std::unique_ptr<CCAnimationView> m_view;
};
