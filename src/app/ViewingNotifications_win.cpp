#include "app/ViewingNotifications.h"

#include <string>

namespace {
// Windows Vista and later; looked up so that the saver's imports stay those of every
// system it runs on.
using RegisterPowerSettingFn = void*(WINAPI*)(HANDLE, const GUID*, DWORD);
using UnregisterPowerSettingFn = BOOL(WINAPI*)(void*);
using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);

constexpr DWORD kWindowHandle = 0;      // DEVICE_NOTIFY_WINDOW_HANDLE
constexpr DWORD kThisSession = 0;       // NOTIFY_FOR_THIS_SESSION
constexpr GUID kConsoleDisplayState = { // GUID_CONSOLE_DISPLAY_STATE
    0x6fe69556,
    0x704a,
    0x47a0,
    {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn = { // GUID_MONITOR_POWER_ON
    0x02731015,
    0x4510,
    0x4526,
    {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

template <class Fn> Fn Lookup(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

// The session library from the system folder only, never from the saver's own folder.
HMODULE LoadSessionLibrary() {
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    return LoadLibraryW((std::wstring(folder) + L"\\wtsapi32.dll").c_str());
}
} // namespace

void ViewingNotifications::Register(HWND window) {
    Unregister();
    m_window = window;
    const HMODULE user = GetModuleHandleW(L"user32.dll");
    if (const auto registerPower =
            Lookup<RegisterPowerSettingFn>(user, "RegisterPowerSettingNotification")) {
        m_displayState = registerPower(window, &kConsoleDisplayState, kWindowHandle);
        m_monitorPower = registerPower(window, &kMonitorPowerOn, kWindowHandle);
    }
    m_sessionLibrary = LoadSessionLibrary();
    if (const auto registerSession =
            Lookup<RegisterSessionFn>(m_sessionLibrary, "WTSRegisterSessionNotification")) {
        m_sessionRegistered = registerSession(window, kThisSession) != FALSE;
    }
}

void ViewingNotifications::Unregister() {
    const HMODULE user = GetModuleHandleW(L"user32.dll");
    if (const auto unregisterPower =
            Lookup<UnregisterPowerSettingFn>(user, "UnregisterPowerSettingNotification")) {
        for (void** handle : {&m_displayState, &m_monitorPower}) {
            if (*handle) {
                unregisterPower(*handle);
            }
        }
    }
    m_displayState = m_monitorPower = nullptr;
    if (m_sessionRegistered) {
        if (const auto unregisterSession =
                Lookup<UnregisterSessionFn>(m_sessionLibrary, "WTSUnRegisterSessionNotification")) {
            unregisterSession(m_window);
        }
        m_sessionRegistered = false;
    }
    if (m_sessionLibrary) {
        FreeLibrary(m_sessionLibrary);
        m_sessionLibrary = nullptr;
    }
    m_window = nullptr;
}
