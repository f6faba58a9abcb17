#include "app/CubeSaverApp.h"

#include "app/CommandLine.h"
#include "app/CubeAnimation.h"
#include "app/CurrentTick.h"
#include "app/IdleRedrawList.h"
#include "app/ReportError.h"
#include "app/Resource.h"
#include "framework/Wnd.h"
#include "import/PictureSource.h"
#include "render/core/GraphicsStartup.h"
#include "scene/FrameClock.h"

#include <algorithm>
#include <new>
#include <optional>

namespace {
constexpr int kRunMouseTolerance = 3;
constexpr LPCSTR kInstanceMarkerName = "VomraCube";

// The run-mode single-instance marker: a small named mapping that lives as long as the
// process. False when another run-mode instance already made it; a mapping that cannot be
// created at all does not stop the run.
bool ClaimRunModeInstance() {
    const HANDLE marker = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 32,
                                             kInstanceMarkerName);
    return !(marker && GetLastError() == ERROR_ALREADY_EXISTS);
}
} // namespace

BOOL CubeSaverApp::InitInstance() {
    Enable3dControlsStatic();
    CurrentTick = GetTickCount();
    if (!LoadDefaultPicture(IDB_DEFAULTPICTURE)) {
        return FALSE;
    }
    StartVideoSupport(1);
    InitGraphics();
    if (!m_animation) {
        m_animation = new (std::nothrow) CubeAnimation;
    }
    if (!m_animation) {
        return FALSE;
    }
    m_pMainWnd = EnterMode();
    return m_pMainWnd != nullptr;
}

CWnd* CubeSaverApp::EnterMode() {
    const SaverCommand command = ParseSaverCommandLine(m_lpCmdLine);
    switch (command.mode) {
    case SaverMode::kConfigureWithoutOwner:
        return m_animation->Configure(nullptr);
    case SaverMode::kConfigureForForeground:
        return m_animation->Configure(CWnd::FromHandle(GetForegroundWindow()));
    case SaverMode::kRun:
        if (!ClaimRunModeInstance()) {
            return nullptr;
        }
        m_animation->ShowFolderPhotos();
        return ShowingFrames(m_animation->Run(kRunMouseTolerance));
    case SaverMode::kPreview:
        m_animation->ShowFolderPhotos();
        return ShowingFrames(m_animation->Preview(
            reinterpret_cast<HWND>(static_cast<intptr_t>(command.previewParent))));
    case SaverMode::kChangePassword:
        ReportError(IDS_NOPASSWORD);
        return nullptr;
    case SaverMode::kExit:
        break;
    }
    return nullptr;
}

CWnd* CubeSaverApp::ShowingFrames(CWnd* window) {
    if (window) {
        m_timerResolution.Raise();
    }
    return window;
}

// Nothing due at all (no window to redraw, no clock) cannot happen in a mode that has a
// window; the loop then looks again a frame interval later.
DWORD CubeSaverApp::TicksToNextFrameWork() const {
    std::optional<DWORD> next = TheIdleRedrawList().TicksToNextRedraw(CurrentTick);
    const std::optional<DWORD> step =
        m_animation ? m_animation->TicksToNextStep(CurrentTick) : std::nullopt;
    if (step) {
        next = std::min(next.value_or(*step), *step);
    }
    return next.value_or(kFrameInterval);
}

// The first three passes after a message only refresh the tick; from the fourth on every
// pass steps the clock, gives the pictures the time and repaints the windows that are due,
// then lets the loop sleep until the next of these is due. Always true: the loop keeps
// calling while the queue is empty.
BOOL CubeSaverApp::OnIdle(LONG count) {
    CWinApp::OnIdle(count);
    CurrentTick = GetTickCount();
    if (!FramesSeen()) {
        return FALSE;
    }
    if (count <= 2) {
        return TRUE;
    }
    if (m_animation) {
        m_animation->Tick(CurrentTick);
    }
    SetPictureTime(CurrentTick);
    TheIdleRedrawList().Service(CurrentTick);
    IdleUntil(CurrentTick + TicksToNextFrameWork());
    return TRUE;
}

// While nobody can see the frames the loop draws none and waits for the next message with
// the system timer given back: input, or the notification that the frames are seen again,
// which the main window follows with a posted message.
bool CubeSaverApp::FramesSeen() {
    const bool seen = !m_animation || m_animation->Viewing().Seen();
    if (seen != m_framesSeen) {
        m_framesSeen = seen;
        if (seen) {
            m_timerResolution.Raise();
        } else {
            m_timerResolution.Restore();
        }
    }
    return seen;
}

int CubeSaverApp::ExitInstance() {
    m_timerResolution.Restore();
    DestroyAllPictures();
    DestroyAllPictures();
    StopVideoSupport();
    TheIdleRedrawList().FreeAll();
    FreeGraphics();
    delete m_animation; // its settings object deletes the face files
    m_animation = nullptr;
    return CWinApp::ExitInstance();
}
