#include "app/CCAnimationWnd.h"

#include "app/CCAnimation.h"
#include "app/IdleRedrawList.h"
#include "framework/PaintDC.h"
#include "framework/WndClass.h"
#include "render/region/RastelRegion.h"
#include "scene/CCAnimationView.h"

IMPLEMENT_DYNAMIC(CCAnimationWnd, RastelWnd)

BEGIN_MESSAGE_MAP(CCAnimationWnd, RastelWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_TIMER()
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_PALETTECHANGED()
ON_MESSAGE(WM_DISPLAYCHANGE, OnDisplayChange)
END_MESSAGE_MAP()

namespace {
// Paint now, without erasing: the class brush is black and the frame covers what changed.
constexpr UINT kFrameRedraw = RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW;
} // namespace

CCAnimationWnd::CCAnimationWnd(CCAnimation* animation, int regionOption, BOOL selfDeleting,
                               bool windowTimer)
    : RastelWnd(regionOption), m_animation(animation), m_selfDeleting(selfDeleting),
      m_windowTimer(windowTimer) {}

CCAnimationWnd::~CCAnimationWnd() {
    delete m_view;
}

void CCAnimationWnd::PostNcDestroy() {
    if (m_selfDeleting) {
        delete this;
    }
}

BOOL CCAnimationWnd::Create(HWND parent, const RECT* rect) {
    const LPCSTR windowClass =
        AfxRegisterWndClass(CS_OWNDC, LoadCursorA(nullptr, IDC_ARROW),
                            static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
    RECT area{0, 0, 0, 0};
    DWORD style;
    if (!parent) {
        SetRect(&area, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        style = WS_VISIBLE;
    } else {
        if (rect) {
            area = *rect;
        } else {
            ::GetClientRect(parent, &area);
        }
        style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    }
    m_rect = area;
    return CreateEx(WS_EX_TOPMOST, windowClass, "", style, area.left, area.top,
                    area.right - area.left, area.bottom - area.top, parent, nullptr);
}

int CCAnimationWnd::OnCreate(LPCREATESTRUCT createStruct) {
    if (RastelWnd::OnCreate(createStruct) == -1 || !m_animation) {
        return -1;
    }
    GetDrawRect(&m_rect);
    RECT client = m_rect;
    m_view = m_animation->CreateView(&client);
    if (!m_view) {
        return -1;
    }
    if (m_windowTimer) {
        SetTimer(kFrameTimerId, kFrameInterval);
    } else {
        TheIdleRedrawList().Add(this, kFrameInterval);
    }
    return 0;
}

void CCAnimationWnd::OnDestroy() {
    if (m_windowTimer) {
        KillTimer(kFrameTimerId);
    } else {
        TheIdleRedrawList().Remove(this);
    }
    RastelWnd::OnDestroy();
}

void CCAnimationWnd::OnTimer(UINT_PTR) {
    RedrawWindow(nullptr, kFrameRedraw);
}

void CCAnimationWnd::OnPaint() {
    CPaintDC dc(this);
    KeepOnTop();
    RECT clip;
    dc.GetClipBox(&clip);
    // Without a region (a display change that failed to make a new one) the window shows
    // what it last had.
    if (IsRectEmpty(&clip) || !m_region || !m_view) {
        return;
    }
    m_region->RealizePalette();
    m_region->BeginFrame();
    m_animation->Draw(m_region, m_view);
    m_region->EndFrame();
}

// A window that is first among its siblings and, at the top level, already the foreground
// window is where BringWindowToTop would put it, so the call is left out: with nothing to
// change it still costs a round of position messages and, under Wine, some twenty requests
// to the window server, which on every frame came to most of the server's work.
void CCAnimationWnd::KeepOnTop() {
    const bool covered = ::GetWindow(m_hWnd, GW_HWNDPREV) != nullptr;
    const bool topLevel = (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_CHILD) == 0;
    if (covered || (topLevel && ::GetForegroundWindow() != m_hWnd)) {
        BringWindowToTop();
    }
}

// The parent of a child window; a popup's owner does not count.
bool CCAnimationWnd::HasParentWindow() const {
    return (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_CHILD) && ::GetParent(m_hWnd);
}

void CCAnimationWnd::OnLButtonDown(UINT, POINT) {
    if (HasParentWindow()) {
        m_clickPending = TRUE;
    }
}

void CCAnimationWnd::OnLButtonUp(UINT, POINT) {
    if (m_clickPending && HasParentWindow()) {
        ::SendMessageA(::GetParent(m_hWnd), kPreviewClickMessage, 0, 0);
    }
    m_clickPending = FALSE;
}

void CCAnimationWnd::OnPaletteChanged(CWnd* focusWnd) {
    RastelWnd::OnPaletteChanged(focusWnd);
    if (m_animation) {
        m_animation->ResetRegion();
    }
}

// The new region may sit at the old one's address, so the animation is told explicitly
// that the next frame goes to a fresh region.
LRESULT CCAnimationWnd::OnDisplayChange(WPARAM bitsPerPixel, LPARAM size) {
    const LRESULT result = RastelWnd::OnDisplayChange(bitsPerPixel, size);
    if (m_animation) {
        m_animation->ResetRegion();
    }
    return result;
}
