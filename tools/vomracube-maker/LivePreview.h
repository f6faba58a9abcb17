// The maker's live preview: the saver's own scene, built from the project's settings and
// faces as a SaverContents (a plain value, as the saver's payload gives them), in a child
// window that draws a frame per frame interval on a window timer, as the saver's preview mode
// does. The faces reach the scene as the saver gets them, as files: each face's prepared
// bytes are in a temporary file, written on the worker thread with the face, made anew only
// when that face changed and deleted once no scene uses it any more, and at the end.
#pragma once

#include "app/Payload.h"
#include "platform/Win32.h"

#include <memory>

class CCAnimationWnd;
class ContentsScene;
class CubeAnimation;
class SaverProject;
class TempFile;

class LivePreview {
  public:
    LivePreview();
    ~LivePreview();
    LivePreview(const LivePreview&) = delete;
    LivePreview& operator=(const LivePreview&) = delete;

    // The window goes into `parent` at `rect` (client coordinates) from the next Rebuild.
    void SetArea(HWND parent, const RECT& rect);
    // The face's bytes changed: its file is written again at the next Rebuild.
    void MarkFaceChanged(int face);
    // The face's bytes changed and `file` holds them already (written on the worker thread,
    // so that Rebuild does not write a large face on the window's); null: none could be.
    void GiveFaceFile(int face, std::unique_ptr<TempFile> file);
    // A new scene and window for the project as it is now.
    void Rebuild(const SaverProject& project);
    // Ends the window and the scene, then deletes the face files.
    void Close();

    CCAnimationWnd* Window() const { return m_window.get(); }

  private:
    void CloseScene();

    HWND m_parent = nullptr;
    RECT m_rect{0, 0, 0, 0};
    std::unique_ptr<CCAnimationWnd> m_window;
    std::unique_ptr<CubeAnimation> m_animation;
    std::unique_ptr<ContentsScene> m_sources; // the scene's settings and face sources
    std::unique_ptr<TempFile> m_faceFiles[kPayloadFaceCount];
    // Given files waiting for the next Rebuild: the scene may hold the old ones open.
    std::unique_ptr<TempFile> m_givenFiles[kPayloadFaceCount];
    bool m_stale[kPayloadFaceCount];
};
