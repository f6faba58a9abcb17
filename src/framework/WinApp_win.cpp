#include "framework/WinApp.h"

#include "framework/TickWait.h"
#include "framework/Wnd.h"
#include "framework/WndBinding.h"
#include "platform/FileNames.h"
#include "platform/Wide.h"

#include <cstring>

namespace {
CWinApp* g_app = nullptr;
constexpr LONG kWaitEarly = 2; // milliseconds, see WaitForMessageOrTick

// Milliseconds on the performance counter since it showed `counter`.
LONG MillisecondsSince(LONGLONG counter) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart > 0
               ? static_cast<LONG>((now.QuadPart - counter) * 1000 / frequency.QuadPart)
               : 0;
}
char g_moduleName[MAX_PATH] = "";

// The executable's file name without folder and extension.
LPCSTR ModuleBaseName() {
    const std::string path = names::ModulePath(nullptr);
    const size_t slash = path.find_last_of("\\/");
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    lstrcpynA(g_moduleName, base.c_str(), MAX_PATH);
    if (char* dot = std::strrchr(g_moduleName, '.')) {
        *dot = '\0';
    }
    return g_moduleName;
}
} // namespace

IMPLEMENT_DYNAMIC(CWinApp, CObject)

CWinApp::CWinApp(LPCSTR appName) : m_pszAppName(appName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

CWinApp::PassStart CWinApp::StartPass() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return {GetTickCount(), counter.QuadPart};
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    MSG msg;
    // The count carries over a message that does not reset it (a frame timer, a paint).
    LONG idleCount = 0;
    bool idle = true;
    for (;;) {
        while (idle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            m_idleWaitAsked = false;
            const PassStart start = StartPass();
            if (!OnIdle(idleCount++)) {
                idle = false;
            } else if (m_idleWaitAsked) {
                WaitForMessageOrTick(start);
            }
        }
        do {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                m_exitCode = got == 0 ? static_cast<int>(msg.wParam) : -1;
                return ExitInstance();
            }
            if (!PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (m_idleRule.IsIdleResetting(msg)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void CWinApp::IdleUntil(DWORD tick) {
    m_idleWaitAsked = true;
    m_idleWaitTick = tick;
}

// The first wait lasts what is left of the distance from the pass's start to the tick asked
// for, as the performance counter measures the time the pass took, and ends a little early:
// a timed wait overruns its time by up to about a millisecond (it ends on a timer interrupt,
// and under Wine the window server rounds it up to the next millisecond), and a frame that
// comes a tick late moves all later ones back, since each redraw counts from its own tick.
// The millisecond waits after it find the tick's arrival. Any kind of message ends the
// wait, including one that was already in the queue when the wait began but had been looked
// at before.
void CWinApp::WaitForMessageOrTick(const PassStart& start) {
    const LONG distance = static_cast<LONG>(m_idleWaitTick - start.tick);
    const LONG left = distance - MillisecondsSince(start.counter) - kWaitEarly;
    const DWORD firstWait = left > 0 ? static_cast<DWORD>(left) : 0;
    WaitForTick(m_idleWaitTick, firstWait, GetTickCount, [](DWORD milliseconds) {
        return MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT,
                                           MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT;
    });
}

// Offers the message to the bound windows from its target up to the top-level window.
BOOL CWinApp::PreTranslateMessage(MSG* msg) {
    for (HWND hWnd = msg->hwnd; hWnd; hWnd = GetParent(hWnd)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hWnd)) {
            if (wnd->PreTranslateMessage(msg)) {
                return TRUE;
            }
        }
        if (!(GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) {
            break;
        }
    }
    return FALSE;
}

BOOL CWinApp::OnIdle(LONG count) {
    if (count >= 1) {
        AfxDeleteTempWindowMap();
    }
    return count < 1;
}

int CWinApp::ExitInstance() {
    return m_exitCode;
}

void CWinApp::BeginWaitCursor() {
    const HCURSOR previous = SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
    if (m_waitCursorCount++ == 0) {
        m_restoreCursor = previous;
    }
}

void CWinApp::EndWaitCursor() {
    if (m_waitCursorCount > 0 && --m_waitCursorCount == 0) {
        SetCursor(m_restoreCursor ? m_restoreCursor : ::LoadCursorA(nullptr, IDC_ARROW));
    }
}

HCURSOR CWinApp::LoadCursor(UINT id) const {
    return ::LoadCursorA(m_hInstance, MAKEINTRESOURCEA(id));
}

HICON CWinApp::LoadIcon(UINT id) const {
    return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(id));
}

CWinApp* AfxGetApp() {
    return g_app;
}

HINSTANCE AfxGetInstanceHandle() {
    return g_app && g_app->m_hInstance ? g_app->m_hInstance : GetModuleHandleA(nullptr);
}

HWND AfxGetSafeOwner() {
    const CWinApp* app = AfxGetApp();
    if (!app || !app->m_pMainWnd || !IsWindow(app->m_pMainWnd->m_hWnd)) {
        return nullptr;
    }
    return GetAncestor(app->m_pMainWnd->m_hWnd, GA_ROOT);
}

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
    const CWinApp* app = AfxGetApp();
    const std::wstring caption = wide::FromUtf8(app && app->m_pszAppName ? app->m_pszAppName : "");
    return MessageBoxW(AfxGetSafeOwner(), wide::FromUtf8(text ? text : "").c_str(), caption.c_str(),
                       type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
    wchar_t text[512] = L"";
    LoadStringW(AfxGetInstanceHandle(), promptId, text, 512);
    return AfxMessageBox(wide::ToUtf8Lossy(text).c_str(), type, helpId);
}

namespace {
// The arguments of the wide command line in UTF-8: the ANSI one that WinMain is given has
// lost every character outside the system's code page. The program's name ends at its
// closing quote when it starts with one, else at the first blank, as the system reads it.
std::string ArgumentsAfterProgram(const wchar_t* line) {
    const wchar_t* p = line ? line : L"";
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        p += *p ? 1 : 0;
    } else {
        while (*p && *p != L' ' && *p != L'\t') {
            ++p;
        }
    }
    while (*p == L' ' || *p == L'\t') {
        ++p;
    }
    return wide::ToUtf8Lossy(p);
}
} // namespace

// The program's entry: the one application object runs start-up, the message loop and
// exit. A failed start-up still tears down whatever main window exists.
int AfxWinMain(HINSTANCE instance, LPSTR, int cmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) {
        return -1;
    }
    app->m_hInstance = instance;
    static std::string arguments;
    arguments = ArgumentsAfterProgram(GetCommandLineW());
    app->m_lpCmdLine = arguments.data();
    app->m_nCmdShow = cmdShow;
    if (!app->m_pszAppName) {
        app->m_pszAppName = ModuleBaseName();
    }
    if (!app->InitInstance()) {
        if (app->m_pMainWnd) {
            app->m_pMainWnd->DestroyWindow();
        }
        return app->ExitInstance();
    }
    return app->Run();
}
