// fillcheck (Windows): draws the fill set through the window's DIB-section region into a
// real window, copies it to the window and writes the region's bitmap to a pixel file.
//
//   fillcheck.exe OUT.pam [STOP-FILE]
//
// The region takes the screen's depth: 32-bit pixels on true-colour screens, palette
// indices on palette screens. When OUT.pam is complete, OUT.pam.ready is created; with a
// STOP-FILE the window then stays up (repainting from the region) until that file exists,
// so that the screen can be inspected. Exit status 0 on success.
#include "PixelFile.h"
#include "RegionFills.h"

#include "framework/Wnd.h"
#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "render/region/CreateDIBSectRegion.h"
#include "render/core/GraphicsStartup.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kWindowX = 40, kWindowY = 40;
CreateDIBSectRegion* g_region = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        ::BeginPaint(hwnd, &paint);
        ::EndPaint(hwnd, &paint);
        if (g_region != nullptr) {
            g_region->Blit(nullptr);
        }
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateCheckWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.lpszClassName = "VomraCubeFillCheck";
    if (!::RegisterClassA(&wc)) {
        return nullptr;
    }
    // A popup's client area is the whole window, so region pixel (x, y from the top) is at
    // screen (kWindowX + x, kWindowY + y).
    return ::CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Fill check", WS_POPUP | WS_VISIBLE,
                             kWindowX, kWindowY, kFillSetWidth, kFillSetHeight, nullptr, nullptr,
                             wc.hInstance, nullptr);
}

bool FileExists(const char* path) {
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool Touch(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    return file != nullptr && std::fclose(file) == 0;
}

// Serves the window's messages until the stop file appears.
void HoldUntil(const char* stopFile) {
    while (!FileExists(stopFile)) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

int Check(const char* out, const char* stopFile) {
    HWND hwnd = CreateCheckWindow();
    if (hwnd == nullptr) {
        std::fprintf(stderr, "fillcheck: no window\n");
        return 1;
    }
    CWnd window;
    window.Attach(hwnd);
    // Option 1: transparent picture fills wherever the display allows them.
    g_region = new CreateDIBSectRegion(1);
    RECT client;
    ::GetClientRect(hwnd, &client);
    int status = 0;
    if (!g_region->Init(&window, &client)) {
        std::fprintf(stderr, "fillcheck: the region could not be made\n");
        status = 1;
    } else {
        g_region->RealizePalette();
        g_region->BeginFrame();
        DrawFillSet(g_region, GetDefaultPicture());
        g_region->EndFrame();
        g_region->Blit(nullptr);
        ::UpdateWindow(hwnd);
        if (!WritePixelFile(out, g_region->GetHeader()->bmiHeader, g_region->GetBits()) ||
            !Touch(std::string(out) + ".ready")) {
            std::fprintf(stderr, "fillcheck: cannot write %s\n", out);
            status = 1;
        }
        std::printf("depth %d\n", g_region->GetDisplayDepth());
        std::fflush(stdout);
    }
    if (status == 0 && stopFile != nullptr) {
        HoldUntil(stopFile);
    }
    delete g_region;
    g_region = nullptr;
    window.Detach();
    ::DestroyWindow(hwnd);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: fillcheck OUT.pam [STOP-FILE]\n");
        return 2;
    }
    LoadDefaultPicture(kDefaultPictureId);
    InitGraphics();
    const int status = Check(argv[1], argc == 3 ? argv[2] : nullptr);
    DestroyAllPictures();
    FreeGraphics();
    return status;
}
