#include "WindowFit.h"

#include <algorithm>

namespace {
// A fraction of the content the window may be shrunk to: below it nothing useful is seen.
constexpr int kMinimumShare = 3;
constexpr int kLinesPerWheelNotch = 3;

// The size of the frame around a client area of the window's style.
SIZE FrameSize(HWND window) {
    RECT outer{}, inner{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &inner);
    return {(outer.right - outer.left) - inner.right, (outer.bottom - outer.top) - inner.bottom};
}

int LineStep(HWND window) {
    const HDC dc = GetDC(window);
    TEXTMETRICW metrics{};
    const HGDIOBJ font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, font);
    ReleaseDC(window, dc);
    return std::max(8, static_cast<int>(metrics.tmHeight));
}
} // namespace

void WindowFit::Attach(HWND window) {
    m_window = window;
    Measure();
    FitIntoWorkArea();
    UpdateBars();
}

// The children's bounding box, with the margin the first control keeps to the client's
// top left on the other sides too.
void WindowFit::Measure() {
    RECT box{0, 0, 0, 0};
    LONG marginX = LONG_MAX, marginY = LONG_MAX;
    for (HWND child = GetWindow(m_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rect), 2);
        OffsetRect(&rect, m_position.x, m_position.y);
        if (rect.right <= rect.left || rect.bottom <= rect.top) {
            continue; // the up-down controls before they attach, hidden helpers
        }
        UnionRect(&box, &box, &rect);
        marginX = std::min(marginX, std::max(0L, rect.left));
        marginY = std::min(marginY, std::max(0L, rect.top));
    }
    if (marginX == LONG_MAX) {
        marginX = marginY = 0;
    }
    m_content = {box.right + marginX, box.bottom + marginY};
}

void WindowFit::FitIntoWorkArea() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const RECT& work = monitor.rcWork;
    const SIZE frame = FrameSize(m_window);
    const int width = std::min<int>(m_content.cx + frame.cx, work.right - work.left);
    const int height = std::min<int>(m_content.cy + frame.cy, work.bottom - work.top);
    RECT now;
    GetWindowRect(m_window, &now);
    const int left = std::clamp<int>(now.left, work.left, work.right - width);
    const int top = std::clamp<int>(now.top, work.top, work.bottom - height);
    SetWindowPos(m_window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A bar shows only where the client area is smaller than the content; showing one narrows
// the client area, which may call for the other.
void WindowFit::UpdateBars() {
    for (int pass = 0; pass < 2; ++pass) {
        RECT client;
        GetClientRect(m_window, &client);
        for (const int bar : {SB_HORZ, SB_VERT}) {
            const int page = bar == SB_HORZ ? client.right : client.bottom;
            const int content = bar == SB_HORZ ? m_content.cx : m_content.cy;
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            info.nMin = 0;
            info.nMax = page >= content ? 0 : content - 1;
            info.nPage = page >= content ? 0 : static_cast<UINT>(page);
            info.nPos = bar == SB_HORZ ? m_position.x : m_position.y;
            SetScrollInfo(m_window, bar, &info, TRUE);
        }
    }
    RECT client;
    GetClientRect(m_window, &client);
    ScrollTo(std::clamp<int>(m_position.x, 0, std::max<int>(0, m_content.cx - client.right)),
             std::clamp<int>(m_position.y, 0, std::max<int>(0, m_content.cy - client.bottom)));
}

void WindowFit::ScrollTo(int x, int y) {
    if (x == m_position.x && y == m_position.y) {
        return;
    }
    ScrollWindowEx(m_window, m_position.x - x, m_position.y - y, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    m_position = {x, y};
    SetScrollPos(m_window, SB_HORZ, x, TRUE);
    SetScrollPos(m_window, SB_VERT, y, TRUE);
    m_scrolled = true;
}

void WindowFit::Reveal(HWND control) {
    if (!m_window || !control || !IsChild(m_window, control)) {
        return;
    }
    RECT rect, client;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rect), 2);
    GetClientRect(m_window, &client);
    // How far the content must move for the control to lie inside the client area, its
    // top left first where it is larger.
    auto shift = [](LONG low, LONG high, LONG size) {
        return low < 0 ? low : high > size ? std::min(low, high - size) : 0L;
    };
    const LONG dx = shift(rect.left, rect.right, client.right);
    const LONG dy = shift(rect.top, rect.bottom, client.bottom);
    if (dx != 0 || dy != 0) {
        ScrollTo(
            std::clamp<int>(m_position.x + dx, 0, std::max<int>(0, m_content.cx - client.right)),
            std::clamp<int>(m_position.y + dy, 0, std::max<int>(0, m_content.cy - client.bottom)));
    }
}

int WindowFit::NewPosition(int bar, int code) const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(m_window, bar, &info);
    const int line = LineStep(m_window);
    int position = info.nPos;
    switch (code) {
    case SB_LINEUP:
        position -= line;
        break;
    case SB_LINEDOWN:
        position += line;
        break;
    case SB_PAGEUP:
        position -= static_cast<int>(info.nPage);
        break;
    case SB_PAGEDOWN:
        position += static_cast<int>(info.nPage);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = 0;
        break;
    case SB_BOTTOM:
        position = info.nMax;
        break;
    default:
        break;
    }
    const int last = std::max(0, info.nMax - static_cast<int>(info.nPage) + 1);
    return std::clamp(position, 0, last);
}

bool WindowFit::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    m_scrolled = false;
    if (!m_window) {
        return false;
    }
    switch (message) {
    case WM_SIZE:
        UpdateBars();
        return false; // the dialog's own handling goes on
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam != 0) {
            return false; // a control's scroll bar or up-down arrows
        }
        if (message == WM_HSCROLL) {
            ScrollTo(NewPosition(SB_HORZ, LOWORD(wParam)), m_position.y);
        } else {
            ScrollTo(m_position.x, NewPosition(SB_VERT, LOWORD(wParam)));
        }
        result = 0;
        return true;
    case WM_MOUSEWHEEL: {
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        for (int i = 0; i < std::abs(notches) * kLinesPerWheelNotch; ++i) {
            ScrollTo(m_position.x, NewPosition(SB_VERT, notches > 0 ? SB_LINEUP : SB_LINEDOWN));
        }
        result = 0;
        return true;
    }
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        const SIZE frame = FrameSize(m_window);
        info->ptMinTrackSize = {frame.cx + m_content.cx / kMinimumShare,
                                frame.cy + m_content.cy / kMinimumShare};
        // Room for the bars, which the frame does not count while they are hidden.
        info->ptMaxTrackSize = {frame.cx + m_content.cx + GetSystemMetrics(SM_CXVSCROLL),
                                frame.cy + m_content.cy + GetSystemMetrics(SM_CYHSCROLL)};
        result = 0;
        return true;
    }
    default:
        return false;
    }
}
