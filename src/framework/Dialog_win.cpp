#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "framework/WndBinding.h"

namespace {
// The dialog manager's own procedure slot. The window itself is bound to the CDialog
// (its messages reach WindowProc first), so this sees only what the object passes on.
INT_PTR CALLBACK PassThroughDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}
} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
VC_ON(WM_INITDIALOG, 0, return self->OnInitDialog();)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd) {
        return FALSE;
    }
    // The wide-character call keeps the template's texts in Unicode in the controls, so
    // they show whatever the system's ANSI code page is.
    WndProcAccess::BeginCreation(this);
    const HWND hWnd =
        CreateDialogParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(templateId),
                           parent ? parent->m_hWnd : nullptr, &PassThroughDialogProc, 0);
    WndProcAccess::EndCreation(this);
    return hWnd != nullptr;
}

// Keyboard navigation of a modeless dialog: Tab, Enter and Escape.
BOOL CDialog::PreTranslateMessage(MSG* msg) {
    return IsDialogMessageW(m_hWnd, msg);
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(m_hWnd, IDOK);
}

void CDialog::OnCancel() {
    EndDialog(m_hWnd, IDCANCEL);
}
