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
    m_view = m_animation->CreateScreenView(m_screen, &client);
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
    if (!IsRectEmpty(&clip)) {
        DrawScene();
    }
}

// The same frame WM_PAINT draws, without the paint cycle: the window is redrawn as a whole
// every frame, so its update region says nothing, and under Wine RedrawWindow, BeginPaint
// and EndPaint cost some six requests to the window server a frame (the region set, read
// and cleared, the caret hidden and shown): with nothing drawn, the paint cycle alone took as much
// processor as the rest of the frame loop. WM_PAINT still paints what an exposure
// uncovers.
void CCAnimationWnd::DrawFrame() {
    KeepOnTop();
    if (::IsWindowVisible(m_hWnd) && !::IsIconic(m_hWnd)) {
        DrawScene();
    }
}

// Without a region (a display change that failed to make a new one) the window shows what
// it last had.
void CCAnimationWnd::DrawScene() {
    if (!m_region || !m_view) {
        return;
    }
    m_region->RealizePalette();
    m_region->BeginFrame();
    m_animation->DrawScreen(m_screen, m_region, m_view);
    m_region->EndFrame();
}

// A window that is first among its siblings and, at the top level, already the foreground
// window is where BringWindowToTop would put it, so the call is left out: with nothing to
// change it still costs a round of position messages and, under Wine, some twenty requests
// to the window server, which on every frame came to most of the server's work.
//
// The windows of the other monitors count as not covering this one: they lie beside it.
// Only one of them can be the foreground window, and the raise would hand the activation
// from window to window on every frame.
void CCAnimationWnd::KeepOnTop() {
    HWND above = ::GetWindow(m_hWnd, GW_HWNDPREV);
    while (above && IsOwnWindow(above)) {
        above = ::GetWindow(above, GW_HWNDPREV);
    }
    const bool covered = above != nullptr;
    const bool topLevel = (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_CHILD) == 0;
    if (covered || (topLevel && !IsOwnWindow(::GetForegroundWindow()))) {
        BringWindowToTop();
    }
}

bool CCAnimationWnd::IsOwnWindow(HWND window) const {
    return window && window == m_hWnd;
}

void CCAnimationWnd::FitToArea(const RECT& area) {
    RECT now;
    ::GetWindowRect(m_hWnd, &now);
    if (!EqualRect(&now, &area)) {
        ::SetWindowPos(m_hWnd, nullptr, area.left, area.top, area.right - area.left,
                       area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RebuildDrawing();
}

// The old region goes first: two regions the size of a large monitor need not fit at once.
// A camera that cannot be made leaves the old one, which still draws, only at the old size.
void CCAnimationWnd::RebuildDrawing() {
    RastelWnd::OnDisplayChange(0, 0);
    RECT draw;
    GetDrawRect(&draw);
    if (!EqualRect(&draw, &m_rect) && m_animation) {
        if (CCAnimationView* view = m_animation->CreateScreenView(m_screen, &draw)) {
            delete m_view;
            m_view = view;
            m_rect = draw;
        }
    }
    if (m_animation) {
        m_animation->ResetRegion();
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
LRESULT CCAnimationWnd::OnDisplayChange(WPARAM, LPARAM) {
    RebuildDrawing();
    return 0;
}
