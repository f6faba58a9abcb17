#include "framework/PaintDC.h"

#include "framework/Wnd.h"

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) {
    m_hDC = BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    EndPaint(m_hWnd, &m_ps);
}

int CPaintDC::GetClipBox(LPRECT rect) const {
    if (!m_hDC) {
        SetRectEmpty(rect);
        return NULLREGION;
    }
    return ::GetClipBox(m_hDC, rect);
}
