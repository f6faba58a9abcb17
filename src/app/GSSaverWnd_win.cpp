#include "app/GSSaverWnd.h"

#include "app/MouseTravel.h"
#include "app/Resource.h"
#include "framework/WinApp.h"
#include "framework/WndClass.h"

IMPLEMENT_DYNAMIC(GSSaverWnd, CCAnimationWnd)

BEGIN_MESSAGE_MAP(GSSaverWnd, CCAnimationWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

// Self-deleting, and driven by the idle redraw list rather than a window timer.
GSSaverWnd::GSSaverWnd(CCAnimation* animation, int regionOption, int mouseTolerance)
    : CCAnimationWnd(animation, regionOption, TRUE, false), m_mouseTolerance(mouseTolerance) {}

BOOL GSSaverWnd::CreateFullScreen(HWND owner) {
    const LPCSTR windowClass =
        AfxRegisterWndClass(CS_OWNDC, AfxGetApp()->LoadCursor(IDC_NULLCURSOR),
                            static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
    const BOOL created =
        CreateEx(WS_EX_TOPMOST, windowClass, "", WS_POPUP | WS_VISIBLE, 0, 0,
                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), owner, nullptr);
    if (m_hWnd) {
        SetFocus();
    }
    return created;
}

int GSSaverWnd::OnCreate(LPCREATESTRUCT createStruct) {
    if (CCAnimationWnd::OnCreate(createStruct) == -1) {
        return -1;
    }
    SetActiveWindow();
    return 0;
}

// Hands the activation back to the window that was in front when the saver started.
void GSSaverWnd::OnDestroy() {
    CCAnimationWnd::OnDestroy();
    const HWND owner = GetOwnerHwnd();
    if (owner && IsWindow(owner)) {
        ::SetActiveWindow(owner);
    }
}

LRESULT GSSaverWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
        if (wParam == 0) {
            PostMessage(WM_CLOSE);
        }
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        break;
    case WM_NCACTIVATE:
        if (wParam == 0) {
            return 0;
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        PostMessage(WM_CLOSE);
        return 0;
    case WM_SYSCOMMAND:
        // A second saver start and Alt+F4 are swallowed; the whole wParam is compared.
        if (wParam == SC_SCREENSAVE || wParam == SC_CLOSE) {
            return 0;
        }
        break;
    case WM_MOUSEMOVE: {
        POINT cursor;
        GetCursorPos(&cursor);
        if (!m_startPointSet) {
            m_startPoint = cursor;
            m_startPointSet = TRUE;
        } else if (MovedBeyondTolerance(m_startPoint, cursor, m_mouseTolerance)) {
            PostMessage(WM_CLOSE);
        }
        break;
    }
    default:
        break;
    }
    return CCAnimationWnd::WindowProc(message, wParam, lParam);
}
