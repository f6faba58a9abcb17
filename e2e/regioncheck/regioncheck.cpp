// regioncheck: draws a fixed set of fills (RegionScenes.h) through a drawing region and
// writes the region's pixels as a pixel file (framecheck's PixelFile.h).
//
//   regioncheck OUT.pam [DEPTH [TRANSPARENCY-OPTION]]
//
// On Windows the region is the window's DIB-section region in a small window, so its
// depth is the display's; the program prints "depth N" (8 or 32, the bitmap's bits per
// pixel) so that the native run can be given the same. Natively the region is the
// in-memory region of DEPTH (default 32). The transparency option defaults to 1.
#include "PixelFile.h"
#include "RegionScenes.h"

#include "render/core/GraphicsStartup.h"

#ifdef _WIN32
#include "framework/Wnd.h"
#include "render/region/CreateDIBSectRegion.h"
#else
#include "render/region/MemoryRegion.h"
#endif

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kWidth = 160, kHeight = 120;

int DrawAndWrite(RastelRegion& region, CWnd* window, const char* path) {
    const RECT rect = {0, 0, kWidth, kHeight};
    if (!region.Init(window, &rect)) {
        std::fprintf(stderr, "regioncheck: Not enough memory\n");
        return 1;
    }
    region.RealizePalette();
    region.BeginFrame();
    DrawRegionScenes(region);
    region.Blit(nullptr);
    region.EndFrame();
    const BITMAPINFOHEADER& header = region.GetHeader()->bmiHeader;
    std::printf("depth %d\n", header.biBitCount);
    if (!WritePixelFile(path, header, region.GetBits())) {
        std::fprintf(stderr, "regioncheck: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: regioncheck OUT.pam [DEPTH [TRANSPARENCY-OPTION]]\n");
        return 2;
    }
    const int depth = argc > 2 ? std::atoi(argv[2]) : 32;
    const int option = argc > 3 ? std::atoi(argv[3]) : 1;
    InitGraphics();
    int status;
#ifdef _WIN32
    (void)depth;
    HWND hwnd = ::CreateWindowExA(0, "STATIC", "regioncheck", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                  0, kWidth + 40, kHeight + 60, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (hwnd == nullptr) {
        std::fprintf(stderr, "regioncheck: no window\n");
        return 1;
    }
    {
        CWnd window;
        window.Attach(hwnd);
        CreateDIBSectRegion region(option);
        status = DrawAndWrite(region, &window, argv[1]);
        window.Detach();
    }
    ::DestroyWindow(hwnd);
#else
    MemoryRegion region(option, depth);
    status = DrawAndWrite(region, nullptr, argv[1]);
#endif
    FreeGraphics();
    return status;
}
