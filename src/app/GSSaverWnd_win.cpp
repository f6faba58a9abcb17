#include "app/GSSaverWnd.h"

#include "app/CCAnimation.h"
#include "app/Resource.h"
#include "framework/WinApp.h"
#include "framework/WndClass.h"

#include <new>

IMPLEMENT_DYNAMIC(GSSaverWnd, CCAnimationWnd)

BEGIN_MESSAGE_MAP(GSSaverWnd, CCAnimationWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
// A mouse message can report the cursor moved by a monitor layout change before this
// process learns of the change itself (under Wine the desktop process learns first and
// tells the others). Travel beyond the tolerance in one large jump therefore closes the
// saver this long later, unless the layout changed meanwhile; a hand's travel closes it at
// once.
constexpr UINT_PTR kTravelTimerId = 2;
constexpr UINT kTravelConfirmDelay = 250; // milliseconds

// Wine tells no program of a monitor layout changed under X (no WM_DISPLAYCHANGE comes),
// and a program of another system might miss one too; the primary window also looks at the
// layout this often.
constexpr UINT_PTR kLayoutTimerId = 3;
constexpr UINT kLayoutCheckInterval = 500; // milliseconds

// The power-setting notice of Windows Vista and later (PBT_POWERSETTINGCHANGE), which the
// headers declare only for newer targets than this program's.
constexpr WPARAM kPowerSettingChange = 0x8013;
struct PowerSettingNotice {
    GUID setting;
    DWORD dataLength;
    UCHAR data[1];
};

bool SameLayout(const ScreenArea* a, int countA, const ScreenArea* b, int countB) {
    if (countA != countB) {
        return false;
    }
    for (int i = 0; i < countA; ++i) {
        if (!EqualRect(&a[i].rect, &b[i].rect)) {
            return false;
        }
    }
    return true;
}

RECT VirtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

LPCSTR SaverWindowClass() {
    return AfxRegisterWndClass(CS_OWNDC, AfxGetApp()->LoadCursor(IDC_NULLCURSOR),
                               static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
}
} // namespace

// Self-deleting, and driven by the idle redraw list rather than a window timer.
GSSaverWnd::GSSaverWnd(CCAnimation* animation, int regionOption, int mouseTolerance)
    : CCAnimationWnd(animation, regionOption, TRUE, false), m_primary(this),
      m_travel(mouseTolerance) {}

GSSaverWnd::GSSaverWnd(GSSaverWnd* primary, int screen)
    : CCAnimationWnd(primary->m_animation, primary->m_regionOption, TRUE, false),
      m_primary(primary), m_travel(0) {
    m_screen = screen;
}

BOOL GSSaverWnd::CreateFullScreen(HWND owner) {
    ScreenArea areas[kMaxScreens];
    const int count = ReadScreenLayout(areas);
    const RECT& area = areas[0].rect;
    const BOOL created =
        CreateEx(WS_EX_TOPMOST, SaverWindowClass(), "", WS_POPUP | WS_VISIBLE, area.left, area.top,
                 area.right - area.left, area.bottom - area.top, owner, nullptr);
    if (m_hWnd) {
        SetFocus();
    }
    if (created) {
        CoverOtherScreens(areas, count);
        SetTimer(kLayoutTimerId, kLayoutCheckInterval);
        m_viewingNotifications.Register(m_hWnd);
    }
    return created;
}

BOOL GSSaverWnd::CreateOnScreen(const RECT& area) {
    return CreateEx(WS_EX_TOPMOST, SaverWindowClass(), "", WS_POPUP, area.left, area.top,
                    area.right - area.left, area.bottom - area.top, m_primary->m_hWnd, nullptr);
}

void GSSaverWnd::FollowScreenLayout(bool onlyWhenChanged) {
    ScreenArea areas[kMaxScreens];
    const int count = ReadScreenLayout(areas);
    if (onlyWhenChanged && SameLayout(areas, count, m_layout, m_layoutCount)) {
        return;
    }
    // The cursor may have moved with the monitors: no travel so far counts.
    KillTimer(kTravelTimerId);
    m_travel.Restart();
    FitToArea(areas[0].rect);
    CoverOtherScreens(areas, count);
}

void GSSaverWnd::CoverOtherScreens(const ScreenArea* areas, int count) {
    for (int i = 0; i < count; ++i) {
        m_layout[i] = areas[i];
    }
    m_layoutCount = count;
    if (!m_animation || !m_animation->PrepareScreens(count)) {
        count = 1; // no scenes for the others: the primary monitor still shows its own
    }
    for (int screen = 1; screen < kMaxScreens; ++screen) {
        GSSaverWnd*& other = m_others[screen];
        if (screen >= count) {
            if (other) {
                other->DestroyWindow(); // its OnDestroy empties the slot
            }
            continue;
        }
        if (other) {
            other->FitToArea(areas[screen].rect);
            continue;
        }
        // Entered in the list only once it exists: a failed creation runs OnDestroy too.
        auto* made = new (std::nothrow) GSSaverWnd(this, screen);
        if (made && made->CreateOnScreen(areas[screen].rect)) {
            other = made;
            other->ShowWindow(SW_SHOWNA);
        } else {
            delete made;
        }
    }
}

int GSSaverWnd::OnCreate(LPCREATESTRUCT createStruct) {
    if (CCAnimationWnd::OnCreate(createStruct) == -1) {
        return -1;
    }
    if (m_primary == this) {
        SetActiveWindow();
    }
    return 0;
}

// The primary window takes the others with it while it still exists (the system would
// destroy them as owned windows, but not necessarily before this object goes), then hands
// the activation back to the window that was in front when the saver started; the others
// only leave the primary window's list.
void GSSaverWnd::OnDestroy() {
    if (m_primary == this) {
        m_viewingNotifications.Unregister();
        for (GSSaverWnd* other : m_others) {
            if (other) {
                other->DestroyWindow();
            }
        }
    }
    CCAnimationWnd::OnDestroy();
    if (m_primary != this) {
        if (m_primary->m_others[m_screen] == this) {
            m_primary->m_others[m_screen] = nullptr;
        }
        return;
    }
    const HWND owner = GetOwnerHwnd();
    if (owner && IsWindow(owner)) {
        ::SetActiveWindow(owner);
    }
}

bool GSSaverWnd::IsOwnWindow(HWND window) const {
    if (!window) {
        return false;
    }
    if (window == m_primary->m_hWnd) {
        return true;
    }
    for (const GSSaverWnd* other : m_primary->m_others) {
        if (other && other->m_hWnd == window) {
            return true;
        }
    }
    return false;
}

void GSSaverWnd::CloseSaver() {
    m_primary->PostMessage(WM_CLOSE);
}

// Nothing drawn, nothing to follow: the layout is looked at again when the frames are seen
// once more. A notification can come as a sent message, which ends no wait of the message
// loop, so a posted one wakes the loop for its next frame.
void GSSaverWnd::OnViewingChange(ViewingState::Change change) {
    switch (change) {
    case ViewingState::Change::kHidden:
        KillTimer(kLayoutTimerId);
        break;
    case ViewingState::Change::kShown:
        FollowScreenLayout(true);
        SetTimer(kLayoutTimerId, kLayoutCheckInterval);
        PostMessage(WM_NULL);
        break;
    case ViewingState::Change::kNone:
        break;
    }
}

LRESULT GSSaverWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // lParam names the window that gains the activation.
        if (wParam == 0 && !IsOwnWindow(reinterpret_cast<HWND>(lParam))) {
            CloseSaver();
        }
        break;
    case WM_ACTIVATEAPP:
        if (wParam == 0) {
            CloseSaver();
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
        CloseSaver();
        return 0;
    case WM_CLOSE:
        // Another monitor's window never closes alone: that would uncover its monitor.
        if (m_primary != this) {
            CloseSaver();
            return 0;
        }
        break;
    case WM_DISPLAYCHANGE:
        // The primary window fits them all; each fit makes the window's region anew.
        if (m_primary == this) {
            FollowScreenLayout(false);
        }
        return 0;
    case WM_TIMER:
        if (wParam == kTravelTimerId) {
            KillTimer(kTravelTimerId);
            if (m_travel.IsStartLayout(VirtualScreen())) {
                CloseSaver();
            } else {
                m_travel.Restart();
            }
            return 0;
        }
        if (wParam == kLayoutTimerId) {
            FollowScreenLayout(true);
            return 0;
        }
        break;
    case WM_POWERBROADCAST:
        if (m_primary == this && m_animation && wParam == kPowerSettingChange && lParam) {
            const auto* notice = reinterpret_cast<const PowerSettingNotice*>(lParam);
            OnViewingChange(m_animation->Viewing().OnPowerSetting(&notice->setting, notice->data,
                                                                  notice->dataLength));
            return TRUE;
        }
        break;
    case WM_WTSSESSION_CHANGE:
        if (m_primary == this && m_animation) {
            OnViewingChange(m_animation->Viewing().OnSessionChange(static_cast<uint32_t>(wParam)));
        }
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
        switch (m_primary->m_travel.Move(cursor, VirtualScreen())) {
        case CursorTravel::Step::kBeyond:
            CloseSaver();
            break;
        case CursorTravel::Step::kJumpedBeyond:
            m_primary->SetTimer(kTravelTimerId, kTravelConfirmDelay);
            break;
        case CursorTravel::Step::kWithin:
            break;
        }
        break;
    }
    default:
        break;
    }
    return CCAnimationWnd::WindowProc(message, wParam, lParam);
}
