// Framework-internal: how window objects are bound to their windows (Windows only).
#pragma once

#ifdef _WIN32

#include "framework/Wnd.h"

struct WndProcAccess {
    // The next window created on this thread (other than an input-method window) is bound
    // to this object before its first message. Cleared by EndCreation.
    static void BeginCreation(CWnd* wnd);
    static void EndCreation(CWnd* wnd);

    // The one window procedure of every bound window.
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void BindToWindow(CWnd* wnd, HWND hWnd);
    static void FinishNcDestroy(CWnd* wnd, HWND hWnd);
};

// Deletes the temporary window objects that FromHandle made for unbound handles.
void AfxDeleteTempWindowMap();

#endif
