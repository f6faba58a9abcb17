#include "LivePreview.h"

#include "app/CCAnimationWnd.h"
#include "app/CubeAnimation.h"
#include "app/SaverContents.h"
#include "import/PictureSource.h"
#include "make/SaverProject.h"
#include "make/system/TempFile.h"

#include <new>

namespace {
// The preview mode's window, which also moves the scene's clock and the moving faces on:
// in the saver the application's idle passes do that, and the maker's idle passes are the
// window's.
class PreviewWnd : public CCAnimationWnd {
  public:
    PreviewWnd(CCAnimation* animation, int regionOption)
        : CCAnimationWnd(animation, regionOption, FALSE, true) {}

  protected:
    void OnTimer(UINT_PTR id) {
        const DWORD now = GetTickCount();
        m_animation->Tick(now);
        SetPictureTime(now);
        CCAnimationWnd::OnTimer(id);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PreviewWnd, CCAnimationWnd)
ON_WM_TIMER()
END_MESSAGE_MAP()
} // namespace

LivePreview::LivePreview() {
    for (bool& stale : m_stale) {
        stale = true;
    }
}

LivePreview::~LivePreview() {
    Close();
}

void LivePreview::SetArea(HWND parent, const RECT& rect) {
    m_parent = parent;
    m_rect = rect;
}

void LivePreview::MarkFaceChanged(int face) {
    if (face >= 0 && face < kPayloadFaceCount) {
        m_stale[face] = true;
        m_givenFiles[face].reset();
    }
}

void LivePreview::GiveFaceFile(int face, std::unique_ptr<TempFile> file) {
    MarkFaceChanged(face);
    if (face >= 0 && face < kPayloadFaceCount) {
        m_givenFiles[face] = std::move(file);
    }
}

// The window goes before the scene it draws, the scene before its face sources, and those
// (closing a video's file) before the files.
void LivePreview::CloseScene() {
    m_window.reset();
    m_animation.reset();
    m_sources.reset();
}

void LivePreview::Close() {
    CloseScene();
    for (int face = 0; face < kPayloadFaceCount; ++face) {
        m_faceFiles[face].reset();
        m_givenFiles[face].reset();
    }
}

// A face whose file cannot be written shows the default picture in the preview, as it would
// in a saver whose face file could not be extracted.
void LivePreview::Rebuild(const SaverProject& project) {
    CloseScene();
    SaverContents contents;
    for (int i = 0; i < kPayloadSettingCount; ++i) {
        contents.settings[i] = project.settings[i];
    }
    contents.pictureMode = project.pictureMode; // the preview draws as the saver will
    for (int face = 0; face < kPayloadFaceCount; ++face) {
        const ProjectFace& given = project.faces[face];
        if (m_stale[face]) {
            m_faceFiles[face] = std::move(m_givenFiles[face]);
            if (!m_faceFiles[face] && !given.Empty()) {
                m_faceFiles[face].reset(new (std::nothrow) TempFile);
                if (m_faceFiles[face] && !m_faceFiles[face]->Write(given.prepared.data)) {
                    m_faceFiles[face].reset();
                }
            }
            m_stale[face] = false;
        }
        if (m_faceFiles[face]) {
            contents.faceFiles[face] = m_faceFiles[face]->Path();
        }
        contents.faceModes[face] = static_cast<BYTE>(given.mode);
    }
    if (!m_parent) {
        return;
    }
    m_sources.reset(new (std::nothrow) ContentsScene(contents));
    m_animation.reset(new (std::nothrow) CubeAnimation);
    if (!m_animation || !m_sources) {
        CloseScene();
        return;
    }
    m_animation->UseScene(m_sources->Scene());
    // An empty scene (no cubes, no boxes) leaves the frame black, as the saver shows it.
    if (!m_animation->Initialise(nullptr)) {
        return;
    }
    m_window.reset(new (std::nothrow)
                       PreviewWnd(m_animation.get(), m_animation->GetRegionOption()));
    if (m_window && !m_window->Create(m_parent, &m_rect)) {
        m_window.reset();
    }
}
