// fillcheck (native): draws the fill set through the in-memory region and writes the
// region's bitmap to a pixel file, for comparison with the Windows program's file.
//
//   fillcheck DEPTH OUT.pam      (DEPTH 8: palette indices; above 8: 32-bit pixels)
#include "PixelFile.h"
#include "RegionFills.h"

#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "render/core/GraphicsStartup.h"
#include "render/region/MemoryRegion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Check(int depth, const char* out) {
    // Option 1, as in the window program: the region clears it again at 8 bits.
    MemoryRegion region(1, depth);
    const RECT rect{0, 0, kFillSetWidth, kFillSetHeight};
    if (!region.Init(nullptr, &rect)) {
        std::fprintf(stderr, "fillcheck: the region could not be made\n");
        return 1;
    }
    region.BeginFrame();
    DrawFillSet(&region, GetDefaultPicture());
    region.EndFrame();
    if (!WritePixelFile(out, region.GetHeader()->bmiHeader, region.GetBits())) {
        std::fprintf(stderr, "fillcheck: cannot write %s\n", out);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const int depth = argc == 3 ? std::atoi(argv[1]) : 0;
    if (depth != 8 && depth != 32) {
        std::fprintf(stderr, "usage: fillcheck 8|32 OUT.pam\n");
        return 2;
    }
    LoadDefaultPicture(kDefaultPictureId);
    InitGraphics();
    const int status = Check(depth, argv[2]);
    DestroyAllPictures();
    FreeGraphics();
    return status;
}
