// The window object: a CObject bound to one HWND. Every window created through CreateEx,
// a dialog template or SubclassWindow is entered in a handle map and has its messages
// routed through one static window procedure to WindowProc, which looks the message up in
// the class's message map and otherwise hands it to DefWindowProc (the window's original
// procedure when it was subclassed).
//
// The class is declared in both builds so that portable classes can hold and pass window
// objects; natively no window ever exists, m_hWnd stays null and the virtual operations
// do nothing. Everything that touches the window system lives in Wnd_win.cpp.
#pragma once

#include "framework/MessageMap.h"
#include "framework/Object.h"
#include "platform/Win32.h"

class CFont;

class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)
  public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Virtual slots after CObject's three, in this order.
    virtual BOOL DestroyWindow();
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called by the message loop for a message addressed to this window or a descendant
    // before it is dispatched; true means it was consumed.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Runs after the window is gone (WM_NCDESTROY); self-deleting windows delete themselves.
    virtual void PostNcDestroy();

    // The window object of a handle: the bound object, or a temporary one that the
    // application frees on its next idle pass. Null for a null handle.
    static CWnd* FromHandle(HWND hWnd);
    // The bound object only, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    BOOL Attach(HWND hWnd);
    HWND Detach();

    // Creates the window bound to this object from its very first message on. A failed
    // creation leaves the object alive (even a self-deleting one) for the caller to delete.
    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
    // Routes an existing window's messages through this object.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);

    CWnd* GetParent() const;
    // The owner recorded on the object, else the window's parent or owner.
    HWND GetOwnerHwnd() const;
    void SetOwner(CWnd* owner) { m_hWndOwner = owner ? owner->m_hWnd : nullptr; }
    CWnd* GetDlgItem(int id) const;
    void GetClientRect(LPRECT rect) const;
    BOOL ShowWindow(int cmdShow);
    BOOL EnableWindow(BOOL enable = TRUE);
    CWnd* SetFocus();
    CWnd* SetActiveWindow();
    BOOL BringWindowToTop();
    BOOL RedrawWindow(LPCRECT update, UINT flags);
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void SetWindowText(LPCSTR text);
    void SetFont(CFont* font, BOOL redraw = TRUE);
    HFONT GetFontHandle() const;

  protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();

    // Runs the message-map handler for a message; false when no class handles it.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Default processing of the message being handled now.
    LRESULT Default();

    // The window procedure the window had before this object took it over.
    WNDPROC m_pfnSuper = nullptr;
    HWND m_hWndOwner = nullptr;

  private:
    friend struct WndProcAccess;
    bool m_creating = false; // inside CreateEx: a failed creation must not self-delete
};
