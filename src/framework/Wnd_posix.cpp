// Natively no window exists: the window operations that portable code may reach do nothing.
#include "framework/Dialog.h"
#include "framework/Wnd.h"

CWnd::~CWnd() = default;
BOOL CWnd::DestroyWindow() {
    return FALSE;
}
LRESULT CWnd::WindowProc(UINT, WPARAM, LPARAM) {
    return 0;
}
LRESULT CWnd::DefWindowProc(UINT, WPARAM, LPARAM) {
    return 0;
}
BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}
void CWnd::PostNcDestroy() {}
const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return nullptr;
}
const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    return nullptr;
}
CWnd* CWnd::FromHandle(HWND) {
    return nullptr;
}
CWnd* CWnd::FromHandlePermanent(HWND) {
    return nullptr;
}

BOOL CDialog::PreTranslateMessage(MSG*) {
    return FALSE;
}
BOOL CDialog::OnInitDialog() {
    return TRUE;
}
void CDialog::OnOK() {}
void CDialog::OnCancel() {}
