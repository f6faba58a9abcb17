#include "framework/WndClass.h"

#include "framework/WinApp.h"

#include <cstdio>
#include <set>
#include <string>

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    // The names handed out must stay valid for the life of the process.
    static std::set<std::string> names;
    char name[96];
    std::snprintf(name, sizeof name, "VcWnd:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    const HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSA wc{};
    if (!GetClassInfoA(instance, name, &wc)) {
        wc.style = classStyle;
        wc.lpfnWndProc = &DefWindowProcA;
        wc.hInstance = instance;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = name;
        if (!RegisterClassA(&wc)) {
            return nullptr;
        }
    }
    return names.insert(name).first->c_str();
}
