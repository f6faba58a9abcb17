#include "render/region/RegionDisplay.h"

#include "framework/Wnd.h"
#include "render/core/GraphicsStartup.h"

int ScreenDisplayDepth() {
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) {
        return 0;
    }
    const int depth = ::GetDeviceCaps(screen, PLANES) * ::GetDeviceCaps(screen, BITSPIXEL);
    ::ReleaseDC(nullptr, screen);
    return depth;
}

BOOL RealizeAppPalette(CWnd* window) {
    HWND hwnd = window != nullptr ? window->GetSafeHwnd() : nullptr;
    HDC dc = ::GetDC(hwnd);
    if (dc == nullptr) {
        return 0;
    }
    UINT mapped = 0;
    if (HPALETTE palette = AppPalette()) {
        HPALETTE old = ::SelectPalette(dc, palette, FALSE);
        mapped = ::RealizePalette(dc);
        ::SelectPalette(dc, old, FALSE);
    }
    ::ReleaseDC(hwnd, dc);
    return mapped != 0 && mapped != GDI_ERROR;
}
