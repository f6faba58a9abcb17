// A modeless dialog made from a dialog template resource. The dialog window is bound to
// the object before its first message, so the class's message map sees WM_CREATE too;
// WM_INITDIALOG calls OnInitDialog and the OK and Cancel commands call OnOK and OnCancel.
#pragma once

#include "framework/Wnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
  public:
    CDialog();
    ~CDialog() override;

    // Creates the dialog window from the template, hidden unless the template says
    // visible, with the parent as owner.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);

    BOOL PreTranslateMessage(MSG* msg) override;

    // Virtual slots after CWnd's, in this order.
    // True lets the dialog manager put the focus on the first control.
    virtual BOOL OnInitDialog();
    // The OK and Cancel commands (Enter, Escape, the system-menu close): end the dialog.
    virtual void OnOK();
    virtual void OnCancel();

    DECLARE_MESSAGE_MAP()
};
