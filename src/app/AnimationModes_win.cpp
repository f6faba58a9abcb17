// The animation's mode operations: each builds the scene, then creates the mode's window,
// which becomes the application's main window. A window object whose window could not be
// created is deleted here and null is returned, so the program never runs on without a
// window.
#include "app/CCAnimationWnd.h"
#include "app/CubeAnimation.h"
#include "app/CubeSettingsDlg.h"
#include "app/GSSaverWnd.h"
#include "app/Resource.h"

#include <new>

CWnd* CCAnimation::Run(int tolerance) {
    if (!Initialise(nullptr)) {
        return nullptr;
    }
    auto* saver = new (std::nothrow) GSSaverWnd(this, GetRegionOption(), tolerance);
    if (!saver) {
        return nullptr;
    }
    if (!saver->CreateFullScreen(GetForegroundWindow())) {
        delete saver;
        return nullptr;
    }
    return saver;
}

// A handle that names no window (such as the 0 of "/p abc") would otherwise give a
// parentless, full-screen, top-most window that no input closes; it ends the program like
// a missing handle.
CWnd* CubeAnimation::Preview(HWND parent) {
    if (!Initialise(nullptr) || !m_settings || !IsWindow(parent)) {
        return nullptr;
    }
    auto* preview = new (std::nothrow) CCAnimationWnd(this, GetRegionOption(), TRUE, true);
    if (!preview) {
        return nullptr;
    }
    if (!preview->Create(parent, nullptr)) {
        delete preview;
        return nullptr;
    }
    return preview;
}

CWnd* CubeAnimation::Configure(CWnd* owner) {
    if (!Initialise(owner) || !m_settings) {
        return nullptr;
    }
    if (!m_settings->Create(IDD_ABOUTBOX, owner)) {
        return nullptr;
    }
    m_settings->EnableWindow(TRUE);
    m_settings->ShowWindow(SW_SHOW);
    return m_settings;
}
