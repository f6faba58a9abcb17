#include "framework/WndClass.h"

#include "framework/WinApp.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    // The names handed out must stay valid for the life of the process.
    static std::set<std::string> names;
    char name[96];
    std::snprintf(name, sizeof name, "VcWnd:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    const HINSTANCE instance = AfxGetInstanceHandle();
    const std::wstring wideName(name, name + std::strlen(name)); // ASCII
    WNDCLASSW wc{};
    if (!GetClassInfoW(instance, wideName.c_str(), &wc)) {
        wc.style = classStyle;
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = instance;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = wideName.c_str();
        if (!RegisterClassW(&wc)) {
            return nullptr;
        }
    }
    return names.insert(name).first->c_str();
}
