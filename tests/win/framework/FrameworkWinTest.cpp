// The framework's window code under a real window system: binding, message maps,
// reflection, self-deletion, dialogs and the idle loop. Run: wine framework_wintests.exe
#include "../WinCheck.h"

#include "framework/Dialog.h"
#include "framework/Static.h"
#include "framework/WinApp.h"
#include "framework/WndClass.h"

#include <vector>

namespace {

constexpr UINT kPing = WM_USER + 10;
constexpr UINT kPong = WM_USER + 11;

// The application object the framework needs; its idle handler runs a script in the idle
// loop test and does the base work otherwise.
class TestApp : public CWinApp {
  public:
    BOOL OnIdle(LONG count) override { return script ? script(count) : CWinApp::OnIdle(count); }
    int RunLoop() { return Run(); }

    BOOL (*script)(LONG count) = nullptr;
};
TestApp theApp;

LPCSTR PlainClass() {
    return AfxRegisterWndClass(0);
}

class BaseWnd : public CWnd {
  public:
    int creates = 0;
    std::vector<int> handled;
    BOOL CreateHidden() {
        return CreateEx(0, PlainClass(), "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr);
    }

  protected:
    int OnCreate(LPCREATESTRUCT) {
        ++creates;
        return Default() == -1 ? -1 : 0;
    }
    LRESULT OnPing(WPARAM wParam, LPARAM) {
        handled.push_back(1);
        return static_cast<LRESULT>(wParam) + 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
ON_WM_CREATE()
ON_MESSAGE(kPing, OnPing)
ON_MESSAGE(kPong, OnPing)
END_MESSAGE_MAP()

class DerivedWnd : public BaseWnd {
  protected:
    LRESULT OnPong(WPARAM wParam, LPARAM) {
        handled.push_back(2);
        return static_cast<LRESULT>(wParam) + 100;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
ON_MESSAGE(kPong, OnPong)
END_MESSAGE_MAP()

WIN_TEST(ObjectIsBoundBeforeWmCreateAndMapsChainToTheBase) {
    DerivedWnd wnd;
    CHECK(wnd.CreateHidden());
    CHECK_EQ(wnd.creates, 1);
    CHECK(CWnd::FromHandlePermanent(wnd.m_hWnd) == &wnd);
    CHECK_EQ(wnd.SendMessage(kPing, 5), 6);   // base entry
    CHECK_EQ(wnd.SendMessage(kPong, 5), 105); // derived entry hides the base one
    CHECK(wnd.handled == (std::vector<int>{1, 2}));
    const HWND hWnd = wnd.m_hWnd;
    CHECK(wnd.DestroyWindow());
    CHECK(wnd.m_hWnd == nullptr);
    CHECK(CWnd::FromHandlePermanent(hWnd) == nullptr);
}

class FailingWnd : public CWnd {
  public:
    bool postNcDestroyCalled = false;
    void PostNcDestroy() override { postNcDestroyCalled = true; }

  protected:
    int OnCreate(LPCREATESTRUCT) { return -1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(FailingWnd, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

WIN_TEST(FailedCreationLeavesTheObjectToTheCaller) {
    FailingWnd wnd;
    CHECK(!wnd.CreateEx(0, PlainClass(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CHECK(wnd.m_hWnd == nullptr);
    CHECK(!wnd.postNcDestroyCalled);
}

class SelfDeletingWnd : public CWnd {
  public:
    explicit SelfDeletingWnd(bool* deleted) : m_deleted(deleted) {}
    ~SelfDeletingWnd() override { *m_deleted = true; }
    void PostNcDestroy() override { delete this; }

  private:
    bool* m_deleted;
};

WIN_TEST(SelfDeletingObjectGoesWithItsWindow) {
    bool deleted = false;
    auto* wnd = new SelfDeletingWnd(&deleted);
    CHECK(wnd->CreateEx(0, PlainClass(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    wnd->DestroyWindow();
    CHECK(deleted);
}

WIN_TEST(DestroyingTheMainWindowPostsQuit) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    BaseWnd wnd;
    CHECK(wnd.CreateHidden());
    theApp.m_pMainWnd = &wnd;
    wnd.DestroyWindow();
    CHECK(theApp.m_pMainWnd == nullptr);
    CHECK(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

class ColouredStatic : public CStatic {
  public:
    UINT lastKind = 0xFFFF;

  protected:
    HBRUSH CtlColor(HDC, UINT kind) {
        lastKind = kind;
        return static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ColouredStatic, CStatic)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

WIN_TEST(ColourRequestsAreReflectedToTheSubclassedControl) {
    BaseWnd parent;
    CHECK(parent.CreateHidden());
    const HWND plain = CreateWindowExA(0, "STATIC", "plain", WS_CHILD, 0, 0, 10, 10, parent.m_hWnd,
                                       reinterpret_cast<HMENU>(301), nullptr, nullptr);
    CreateWindowExA(0, "STATIC", "link", WS_CHILD, 0, 20, 10, 10, parent.m_hWnd,
                    reinterpret_cast<HMENU>(302), nullptr, nullptr);
    ColouredStatic control;
    CHECK(control.SubclassDlgItem(302, &parent));
    const HDC dc = GetDC(parent.m_hWnd);
    const LRESULT brush = parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(control.m_hWnd));
    CHECK(brush == reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)));
    CHECK_EQ(control.lastKind, static_cast<UINT>(CTLCOLOR_STATIC));
    const LRESULT other = parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(plain));
    CHECK(other != reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)));
    ReleaseDC(parent.m_hWnd, dc);
    parent.DestroyWindow(); // takes the children along and unbinds the control
    CHECK(control.m_hWnd == nullptr);
}

WIN_TEST(FromHandleGivesATemporaryObjectForUnboundWindows) {
    const HWND raw = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
    CWnd* temp = CWnd::FromHandle(raw);
    CHECK(temp != nullptr && temp->m_hWnd == raw);
    CHECK(CWnd::FromHandle(raw) == temp);
    CHECK(CWnd::FromHandlePermanent(raw) == nullptr);
    CHECK(CWnd::FromHandle(nullptr) == nullptr);
    theApp.CWinApp::OnIdle(1); // frees it; the window itself stays
    CHECK(IsWindow(raw));
    DestroyWindow(raw);
}

class TestDialog : public CDialog {
  public:
    std::vector<char> events;
    BOOL OnInitDialog() override {
        events.push_back('i');
        return CDialog::OnInitDialog();
    }
    void OnOK() override {
        events.push_back('o');
        DestroyWindow();
    }
    void OnCancel() override {
        events.push_back('c');
        DestroyWindow();
    }

  protected:
    int OnCreate(LPCREATESTRUCT) {
        events.push_back('w');
        return Default() == -1 ? -1 : 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_WM_CREATE()
END_MESSAGE_MAP()

WIN_TEST(DialogSeesCreateThenInitAndRoutesOkAndCancel) {
    TestDialog ok;
    CHECK(ok.Create(200, nullptr));
    CHECK(ok.events == (std::vector<char>{'w', 'i'}));
    CHECK(ok.GetDlgItem(300) != nullptr);
    ok.SendMessage(WM_COMMAND, IDOK, 0);
    CHECK(ok.events.back() == 'o');
    CHECK(ok.m_hWnd == nullptr);

    TestDialog cancel;
    CHECK(cancel.Create(200, nullptr));
    cancel.SendMessage(WM_CLOSE); // the system-menu close: the dialog posts itself a Cancel
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    CHECK(cancel.events.back() == 'c');
    CHECK(cancel.m_hWnd == nullptr);
    CHECK(!TestDialog().Create(999, nullptr)); // no such template
}

// The idle script: passes 0..3, then a message that restarts the count, passes 0..3, then
// a timer message that does not, then passes 4 and 5, then quit.
std::vector<LONG> g_counts;
BaseWnd* g_target = nullptr;
int g_stage = 0;

BOOL IdleScript(LONG count) {
    g_counts.push_back(count);
    if (count == 3 && g_stage == 0) {
        g_stage = 1;
        g_target->PostMessage(kPing);
    } else if (count == 3 && g_stage == 1) {
        g_stage = 2;
        g_target->PostMessage(WM_TIMER, 77);
    } else if (count == 5) {
        PostQuitMessage(7);
    } else if (g_counts.size() > 100) {
        PostQuitMessage(99);
    }
    return TRUE;
}

WIN_TEST(IdleCountRestartsOnlyAfterIdleResettingMessages) {
    BaseWnd target;
    CHECK(target.CreateHidden());
    g_target = &target;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    theApp.script = &IdleScript;
    const int code = theApp.RunLoop();
    theApp.script = nullptr;
    CHECK_EQ(code, 7);
    CHECK(g_counts == (std::vector<LONG>{0, 1, 2, 3, 0, 1, 2, 3, 4, 5}));

    CHECK(target.handled == std::vector<int>{1});
    target.DestroyWindow();
}

} // namespace

int main() {
    return wincheck::RunAll();
}
