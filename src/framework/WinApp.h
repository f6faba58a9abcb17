// The application object and its message loop. One object derived from CWinApp exists per
// program (a global); the entry point runs InitInstance, then the message loop, then
// ExitInstance.
//
// Idle processing: whenever the queue is empty the loop calls OnIdle with a pass count
// that starts at 0 after each idle-resetting message (see IdleRule.h) and grows by one per
// pass, for as long as OnIdle returns true; after a false return the loop waits for the
// next message. A pass that wants more passes but has nothing to do for a while says so
// with IdleUntil, and the loop then sleeps in the system's message wait until that tick or
// the next message, whichever comes first.
//
// The main window: when the window m_pMainWnd names is destroyed, the framework clears
// m_pMainWnd and posts the quit message that ends the loop.
#pragma once

#include "framework/IdleRule.h"
#include "framework/Object.h"
#include "platform/Win32.h"

class CWnd;

class CWinApp : public CObject {
    DECLARE_DYNAMIC(CWinApp)
  public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Virtual slots after CObject's three, in this order.
    // True to run the message loop; false ends the program (the main window, if any, is
    // destroyed and ExitInstance still runs).
    virtual BOOL InitInstance();
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Frees the temporary window objects from pass 1 on; true while it wants more passes.
    virtual BOOL OnIdle(LONG count);
    // The exit code: the quit message's wParam.
    virtual int ExitInstance();

    void Enable3dControlsStatic() {} // every control has the 3D look already
    void OnHelp() {}
    void BeginWaitCursor();
    void EndWaitCursor();
    HCURSOR LoadCursor(UINT id) const;
    HICON LoadIcon(UINT id) const;
    // From inside OnIdle: nothing is due before GetTickCount reaches `tick`. While no message
    // is queued the loop waits until then before the next pass, whose count goes on as if a
    // non-resetting message had come. Holds for this one pass.
    void IdleUntil(DWORD tick);

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr; // the arguments after the program name, in UTF-8
    int m_nCmdShow = 0;
    LPCSTR m_pszAppName = nullptr;

  protected:
    int m_exitCode = 0;

  private:
    // When an idle pass began: the tick, and the performance counter, a finer clock that
    // measures how long the pass took.
    struct PassStart {
        DWORD tick;
        LONGLONG counter;
    };
    static PassStart StartPass();
    // The wait an idle pass asked for: until a message arrives or the tick comes.
    void WaitForMessageOrTick(const PassStart& start);

    IdleRule m_idleRule;
    bool m_idleWaitAsked = false;
    DWORD m_idleWaitTick = 0;
    int m_waitCursorCount = 0;
    HCURSOR m_restoreCursor = nullptr;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// The owner for a message box with no parent: the main window's top-level window when
// there is one, else none.
HWND AfxGetSafeOwner();
// A message box captioned with the application's name; type holds the MB_ flags
// (0 is MB_OK).
int AfxMessageBox(LPCSTR text, UINT type = 0, UINT helpId = 0);
// The same with the text taken from the string table.
int AfxMessageBox(UINT promptId, UINT type = 0, UINT helpId = 0);

// Runs the application object; called from the program's WinMain, whose ANSI command line
// it leaves for the wide one.
int AfxWinMain(HINSTANCE instance, LPSTR cmdLine, int cmdShow);
