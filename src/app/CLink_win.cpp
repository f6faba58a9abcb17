#include "app/CLink.h"

#include "app/Resource.h"
#include "framework/WinApp.h"
#include "platform/Wide.h"

#include <shellapi.h>

BEGIN_MESSAGE_MAP(CLink, CStatic)
ON_WM_SETCURSOR()
ON_WM_PAINT()
ON_WM_CTLCOLOR_REFLECT()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

namespace {
// Shows the wait cursor for as long as it lives.
class WaitCursor {
  public:
    WaitCursor() { AfxGetApp()->BeginWaitCursor(); }
    ~WaitCursor() { AfxGetApp()->EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

BOOL CLink::OnSetCursor(CWnd*, UINT, UINT) {
    SetCursor(AfxGetApp()->LoadCursor(IDC_HANDCURSOR));
    return TRUE;
}

// The first paint makes an underlined copy of the control's font; every paint then hands
// it to the control (without a redraw) before the static control draws its text.
void CLink::OnPaint() {
    if (!m_fontReady) {
        if (const HFONT font = GetFontHandle()) {
            LOGFONTA logFont;
            if (GetObjectA(font, sizeof logFont, &logFont) == sizeof logFont) {
                logFont.lfUnderline = TRUE;
                m_fontReady = m_underlinedFont.CreateFontIndirect(&logFont);
            }
        }
    }
    if (m_fontReady) {
        SetFont(&m_underlinedFont, FALSE);
    }
    Default();
}

// The system's face-colour brush: it belongs to the system, so answering the request that
// comes with every repaint allocates nothing.
HBRUSH CLink::CtlColor(HDC dc, UINT) {
    SetTextColor(dc, GetTextColour());
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void CLink::OnLButtonDown(UINT, POINT) {
    if (!m_target) {
        return;
    }
    m_visited = true;
    RedrawWindow(nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    OpenTarget();
}

void CLink::OpenTarget() {
    WaitCursor wait;
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", wide::FromUtf8(m_target).c_str(),
                                           nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        AfxMessageBox("Access to Vomra web site failed", MB_ICONEXCLAMATION);
    }
}
