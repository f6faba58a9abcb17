// The shell's windows under a real window system, with a stand-in animation that counts
// what the windows ask of it. Run: wine app_wintests.exe
#include "../WinCheck.h"

#include "app/CCAnimation.h"
#include "app/CCAnimationWnd.h"
#include "app/GSSaverWnd.h"
#include "app/IdleRedrawList.h"
#include "framework/WinApp.h"
#include "framework/WndClass.h"
#include "render/region/RastelRegion.h"
#include "scene/CCAnimationView.h"

namespace {

CWinApp theApp;

class StubAnimation : public CCAnimation {
  public:
    CWnd* Configure(CWnd*) override { return nullptr; }
    CWnd* Preview(HWND) override { return nullptr; }
    CCAnimationView* CreateView(const RECT* client) override {
        return giveView ? new CCAnimationView(*client) : nullptr;
    }
    BOOL Initialise(CWnd*) override { return TRUE; }
    void Tick(DWORD) override {}
    void Draw(RastelRegion* region, CCAnimationView*) override {
        ++draws;
        lastRegion = region;
    }
    int GetRegionOption() override { return 0; }
    void ResetRegion() override { ++resets; }

    bool giveView = true;
    int draws = 0;
    int resets = 0;
    RastelRegion* lastRegion = nullptr;
};

bool CloseQueued(HWND hWnd) {
    MSG msg;
    return PeekMessageA(&msg, hWnd, WM_CLOSE, WM_CLOSE, PM_NOREMOVE);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
}

// Records its own end, to see self-deletion happen.
class WatchedSaver : public GSSaverWnd {
  public:
    WatchedSaver(CCAnimation* animation, bool* gone) : GSSaverWnd(animation, 0, 3), m_gone(gone) {}
    ~WatchedSaver() override { *m_gone = true; }

  private:
    bool* m_gone;
};

WIN_TEST(SaverCoversTheScreenOnTopAndPaintsFromTheIdleList) {
    StubAnimation animation;
    bool gone = false;
    auto* saver = new WatchedSaver(&animation, &gone);
    CHECK(saver->CreateFullScreen(nullptr));
    const HWND hWnd = saver->m_hWnd;
    RECT rect;
    GetWindowRect(hWnd, &rect);
    CHECK(rect.left == 0 && rect.top == 0 && rect.right == GetSystemMetrics(SM_CXSCREEN) &&
          rect.bottom == GetSystemMetrics(SM_CYSCREEN));
    CHECK(GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    CHECK(saver->GetRegion() != nullptr);
    CHECK(TheIdleRedrawList().Find(saver) != nullptr);
    Pump();
    const int before = animation.draws;
    TheIdleRedrawList().Service(GetTickCount() + 1000);
    CHECK_EQ(animation.draws, before + 1);
    CHECK(animation.lastRegion == saver->GetRegion());

    saver->SendMessage(WM_DISPLAYCHANGE, 32, MAKELPARAM(640, 480));
    CHECK(saver->GetRegion() != nullptr);
    CHECK_EQ(animation.resets, 1);

    saver->PostMessage(WM_CLOSE);
    Pump();
    CHECK(gone);
    CHECK(!IsWindow(hWnd));
    CHECK(TheIdleRedrawList().Head() == nullptr);
}

WIN_TEST(SaverClosesOnKeysAndButtonsButNotOnOtherInput) {
    StubAnimation animation;
    for (UINT closing :
         {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        bool gone = false;
        auto* saver = new WatchedSaver(&animation, &gone);
        CHECK(saver->CreateFullScreen(nullptr));
        Pump();
        const HWND hWnd = saver->m_hWnd;
        for (UINT ignored : {static_cast<UINT>(WM_KEYUP), static_cast<UINT>(WM_MOUSEWHEEL),
                             static_cast<UINT>(WM_XBUTTONDOWN), static_cast<UINT>(WM_LBUTTONUP)}) {
            saver->SendMessage(ignored);
        }
        CHECK_EQ(saver->SendMessage(WM_NCACTIVATE, 0), 0);
        CHECK_EQ(saver->SendMessage(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
        CHECK_EQ(saver->SendMessage(WM_SYSCOMMAND, SC_CLOSE), 0);
        CHECK(!CloseQueued(hWnd));
        CHECK_EQ(saver->SendMessage(closing), 0);
        CHECK(CloseQueued(hWnd));
        Pump();
        CHECK(gone);
    }
}

WIN_TEST(SaverClosesOnceTheCursorTravelledMoreThanThreePixels) {
    StubAnimation animation;
    bool gone = false;
    // The pointer rests before the window comes up; the first mouse move, whether the
    // system's or ours, records the start point.
    SetCursorPos(200, 200);
    auto* saver = new WatchedSaver(&animation, &gone);
    CHECK(saver->CreateFullScreen(nullptr));
    Pump();
    const HWND hWnd = saver->m_hWnd;
    saver->SendMessage(WM_MOUSEMOVE);
    SetCursorPos(202, 199);
    saver->SendMessage(WM_MOUSEMOVE);
    CHECK(!CloseQueued(hWnd));
    SetCursorPos(202, 198); // 2 + 2 from the start point
    saver->SendMessage(WM_MOUSEMOVE);
    CHECK(CloseQueued(hWnd));
    Pump();
    CHECK(gone);
}

// A frame raises the window only when something covers it; it must still do that.
WIN_TEST(SaverCoveredByAnotherWindowIsOnTopAgainAfterTheNextFrame) {
    StubAnimation animation;
    bool gone = false;
    auto* saver = new WatchedSaver(&animation, &gone);
    CHECK(saver->CreateFullScreen(nullptr));
    Pump();
    const HWND hWnd = saver->m_hWnd;
    TheIdleRedrawList().Service(GetTickCount() + 1000);
    CHECK(GetWindow(hWnd, GW_HWNDPREV) == nullptr);
    // Shown without taking the activation, which would close the saver.
    const HWND other = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "above", WS_POPUP, 0, 0, 50, 50,
                                       nullptr, nullptr, nullptr, nullptr);
    ShowWindow(other, SW_SHOWNOACTIVATE);
    CHECK(GetWindow(hWnd, GW_HWNDPREV) != nullptr);
    TheIdleRedrawList().Service(GetTickCount() + 2000);
    CHECK(GetWindow(hWnd, GW_HWNDPREV) == nullptr);
    CHECK(!CloseQueued(hWnd));
    DestroyWindow(other);
    saver->PostMessage(WM_CLOSE);
    Pump();
    CHECK(gone);
}

// The preview's parent: counts the click notifications.
class PreviewParent : public CWnd {
  public:
    int clicks = 0;

  protected:
    LRESULT OnClick(WPARAM, LPARAM) {
        ++clicks;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PreviewParent, CWnd)
ON_MESSAGE(kPreviewClickMessage, OnClick)
END_MESSAGE_MAP()

class WatchedPreview : public CCAnimationWnd {
  public:
    WatchedPreview(CCAnimation* animation, bool* gone)
        : CCAnimationWnd(animation, 0, TRUE, true), m_gone(gone) {}
    ~WatchedPreview() override { *m_gone = true; }

  private:
    bool* m_gone;
};

WIN_TEST(PreviewChildReportsEachClickOnceAndGoesWithItsParent) {
    StubAnimation animation;
    PreviewParent parent;
    CHECK(parent.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE, 10, 10, 160,
                          120, nullptr, nullptr));
    bool gone = false;
    auto* preview = new WatchedPreview(&animation, &gone);
    CHECK(preview->Create(parent.m_hWnd, nullptr));
    RECT client, child;
    parent.GetClientRect(&client);
    preview->GetClientRect(&child);
    CHECK(EqualRect(&client, &child));
    CHECK(GetWindowLongA(preview->m_hWnd, GWL_STYLE) & WS_CHILD);

    preview->SendMessage(WM_LBUTTONUP); // no button-down before it
    CHECK_EQ(parent.clicks, 0);
    preview->SendMessage(WM_LBUTTONDOWN);
    preview->SendMessage(WM_LBUTTONUP);
    CHECK_EQ(parent.clicks, 1);
    preview->SendMessage(WM_LBUTTONUP);
    CHECK_EQ(parent.clicks, 1);

    const int before = animation.draws;
    preview->SendMessage(WM_TIMER, kFrameTimerId);
    CHECK_EQ(animation.draws, before + 1);

    // A sibling put above the preview stays there until the preview's next frame.
    const HWND sibling = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                                         parent.m_hWnd, nullptr, nullptr, nullptr);
    SetWindowPos(sibling, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CHECK(GetWindow(preview->m_hWnd, GW_HWNDPREV) == sibling);
    preview->SendMessage(WM_TIMER, kFrameTimerId);
    CHECK(GetWindow(preview->m_hWnd, GW_HWNDPREV) == nullptr);

    parent.DestroyWindow();
    CHECK(gone);
}

WIN_TEST(WindowWithoutViewIsNotCreatedAndStaysWithTheCaller) {
    StubAnimation animation;
    animation.giveView = false;
    PreviewParent parent;
    CHECK(parent.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP, 0, 0, 50, 50, nullptr,
                          nullptr));
    bool gone = false;
    auto* preview = new WatchedPreview(&animation, &gone);
    CHECK(!preview->Create(parent.m_hWnd, nullptr));
    CHECK(!gone);
    CHECK(preview->m_hWnd == nullptr);
    delete preview;
    CHECK(gone);
    parent.DestroyWindow();
}

} // namespace

int main() {
    theApp.m_hInstance = GetModuleHandleA(nullptr);
    return wincheck::RunAll();
}
