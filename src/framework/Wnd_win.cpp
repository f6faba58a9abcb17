#include "framework/GdiObject.h"
#include "framework/WinApp.h"
#include "framework/WndBinding.h"
#include "platform/Wide.h"

#include <unordered_map>

namespace {

using HandleMap = std::unordered_map<HWND, CWnd*>;

HandleMap& PermanentMap() {
    static HandleMap map;
    return map;
}

HandleMap& TemporaryMap() {
    static HandleMap map;
    return map;
}

// The message being handled now, for Default(); nested sends save and restore it.
struct CurrentMessage {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
CurrentMessage g_current{};

// The object whose window is being created, and the creation hook that binds it.
CWnd* g_pWndInit = nullptr;
HHOOK g_cbtHook = nullptr;

// Input-method windows may be created on the thread while one of ours is being created;
// they must keep their own procedure.
bool IsImeWindow(HWND hWnd) {
    if (GetClassLongA(hWnd, GCL_STYLE) & CS_IME) {
        return true;
    }
    char name[16] = {};
    GetClassNameA(hWnd, name, sizeof name);
    return lstrcmpiA(name, "IME") == 0;
}

LRESULT CALLBACK CbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_pWndInit) {
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (!IsImeWindow(hWnd)) {
            CWnd* wnd = g_pWndInit;
            g_pWndInit = nullptr;
            WndProcAccess::BindToWindow(wnd, hWnd);
        }
    }
    return CallNextHookEx(g_cbtHook, code, wParam, lParam);
}

} // namespace

void WndProcAccess::BeginCreation(CWnd* wnd) {
    if (!g_cbtHook) {
        g_cbtHook = SetWindowsHookExW(WH_CBT, &CbtFilterHook, nullptr, GetCurrentThreadId());
    }
    g_pWndInit = wnd;
    wnd->m_creating = true;
}

void WndProcAccess::EndCreation(CWnd* wnd) {
    g_pWndInit = nullptr;
    wnd->m_creating = false;
}

void WndProcAccess::BindToWindow(CWnd* wnd, HWND hWnd) {
    wnd->Attach(hWnd);
    wnd->m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticWndProc)));
}

LRESULT CALLBACK WndProcAccess::StaticWndProc(HWND hWnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd) {
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
    const CurrentMessage saved = g_current;
    g_current = {hWnd, message, wParam, lParam};
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    g_current = saved;
    if (message == WM_NCDESTROY) {
        FinishNcDestroy(wnd, hWnd);
    }
    return result;
}

// The window is gone: give it back its own procedure, unbind the object, end the program
// when it was the main window, and let the object delete itself if it does so. During a
// failed creation the object belongs to the caller of CreateEx and is not deleted.
void WndProcAccess::FinishNcDestroy(CWnd* wnd, HWND hWnd) {
    if (wnd->m_pfnSuper && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) ==
                               &WndProcAccess::StaticWndProc) {
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wnd->m_pfnSuper));
    }
    wnd->m_pfnSuper = nullptr;
    wnd->Detach();
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == wnd) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    if (!wnd->m_creating) {
        wnd->PostNcDestroy();
    }
}

void AfxDeleteTempWindowMap() {
    HandleMap& map = TemporaryMap();
    for (auto& [hWnd, wnd] : map) {
        wnd->m_hWnd = nullptr;
        delete wnd;
    }
    map.clear();
}

CWnd::~CWnd() {
    if (!m_hWnd) {
        return;
    }
    if (FromHandlePermanent(m_hWnd) == this) {
        ::DestroyWindow(m_hWnd); // runs WM_NCDESTROY, which unbinds this object
    }
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    const auto it = PermanentMap().find(hWnd);
    return it == PermanentMap().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd) {
        return nullptr;
    }
    if (CWnd* wnd = FromHandlePermanent(hWnd)) {
        return wnd;
    }
    CWnd*& temp = TemporaryMap()[hWnd];
    if (!temp) {
        temp = new CWnd;
        temp->m_hWnd = hWnd;
    }
    return temp;
}

BOOL CWnd::Attach(HWND hWnd) {
    if (!hWnd || m_hWnd) {
        return FALSE;
    }
    PermanentMap()[hWnd] = this;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach() {
    const HWND hWnd = m_hWnd;
    if (hWnd) {
        PermanentMap().erase(hWnd);
    }
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU idOrMenu, LPVOID param) {
    if (m_hWnd || !className) {
        return FALSE;
    }
    WndProcAccess::BeginCreation(this);
    const std::wstring wideClass = wide::FromUtf8(className);
    const std::wstring wideName = windowName ? wide::FromUtf8(windowName) : std::wstring();
    const HWND hWnd =
        CreateWindowExW(exStyle, wideClass.c_str(), wideName.c_str(), style, x, y, width, height,
                        parent, idOrMenu, AfxGetInstanceHandle(), param);
    WndProcAccess::EndCreation(this);
    return hWnd != nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd)) {
        return FALSE;
    }
    WndProcAccess::BindToWindow(this, hWnd);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent || !parent->m_hWnd) {
        return FALSE;
    }
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) {
        return FALSE;
    }
    // A self-deleting object may be gone when this returns.
    return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) {
        return CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(g_current.message, g_current.wParam, g_current.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

void CWnd::PostNcDestroy() {}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // A control's colour request goes to the control first (reflection); a null brush
    // from it means "not handled" and the parent handles the request itself.
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        LRESULT brush = 0;
        if (child && child != this &&
            child->OnWndMsg(WM_REFLECT_BASE + VC_WM_CTLCOLOR, wParam,
                            static_cast<LPARAM>(message - WM_CTLCOLORMSGBOX), &brush) &&
            brush) {
            *result = brush;
            return TRUE;
        }
    }
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn; ++entry) {
            if (entry->nMessage != message) {
                continue;
            }
            // Commands: the id must match, and only clicks and accelerators count.
            if (message == WM_COMMAND && (entry->nID != LOWORD(wParam) || HIWORD(wParam) > 1)) {
                continue;
            }
            *result = entry->pfn(this, wParam, lParam);
            return TRUE;
        }
    }
    return FALSE;
}

CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}

HWND CWnd::GetOwnerHwnd() const {
    return m_hWndOwner ? m_hWndOwner : ::GetParent(m_hWnd);
}

CWnd* CWnd::GetDlgItem(int id) const {
    return FromHandle(::GetDlgItem(m_hWnd, id));
}

void CWnd::GetClientRect(LPRECT rect) const {
    ::GetClientRect(m_hWnd, rect);
}

BOOL CWnd::ShowWindow(int cmdShow) {
    return ::ShowWindow(m_hWnd, cmdShow);
}

BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(m_hWnd, enable);
}

CWnd* CWnd::SetFocus() {
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd* CWnd::SetActiveWindow() {
    return FromHandle(::SetActiveWindow(m_hWnd));
}

BOOL CWnd::BringWindowToTop() {
    return ::BringWindowToTop(m_hWnd);
}

BOOL CWnd::RedrawWindow(LPCRECT update, UINT flags) {
    return ::RedrawWindow(m_hWnd, update, nullptr, flags);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) {
    return ::SetTimer(m_hWnd, id, elapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    return ::KillTimer(m_hWnd, id);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::SetWindowText(LPCSTR text) {
    ::SetWindowTextW(m_hWnd, text ? wide::FromUtf8(text).c_str() : L"");
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr), redraw);
}

HFONT CWnd::GetFontHandle() const {
    return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
}
