// vomracube-render: draws the screen saver's scene without a window, through the in-memory
// drawing region, into PNG files. Frames of a run are drawn one after another into the
// same region, so they also show what the changed-box bookkeeping leaves on the screen.
#include "FrameImage.h"
#include "Options.h"

#include "import/PictureSource.h"
#include "render/GraphicsStartup.h"
#include "render/MemoryRegion.h"
#include "render/Renderer.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeAnimation.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr int kDefaultPictureId = 140;
// One clock step of 0.02 per 15 ms frame interval: 750 ms of picture time per clock unit.
constexpr double kMillisecondsPerClockUnit = 750.0;

// The picture clock for a clock value: milliseconds, wrapping like the tick counter.
DWORD PictureTime(double clock) {
    double ms = std::fmod(clock * kMillisecondsPerClockUnit, 4294967296.0);
    if (ms < 0)
        ms += 4294967296.0;
    return ms >= 0 && ms < 4294967296.0 ? static_cast<DWORD>(ms) : 0;
}

int Render(const RenderOptions& o) {
    if (!o.saver.empty())
        platform::SetModuleFileNameOverride(o.saver.c_str());
    LoadDefaultPicture(kDefaultPictureId);
    StartVideoSupport(1);
    InitGraphics();

    int status = 0;
    {
        CubeAnimation animation;
        if (!animation.Initialise(nullptr)) {
            std::fprintf(stderr, "vomracube-render: the scene is empty\n");
            status = 1;
        }
        MemoryRegion region(animation.GetRegionOption(), o.depth);
        const RECT rect{0, 0, o.width, o.height};
        if (!status && !region.Init(nullptr, &rect)) {
            std::fprintf(stderr, "vomracube-render: not enough memory for %dx%d\n", o.width,
                         o.height);
            status = 1;
        }
        std::unique_ptr<CCAnimationView> view(animation.CreateView(&rect));
        const RenderPalette* palette = UseStandardPalette(0);
        std::vector<RgbImage> sheet;
        for (int i = 0; !status && i < o.frames; ++i) {
            const double t = o.time + i * o.step;
            SetPictureTime(PictureTime(t));
            animation.SetTime(t);
            region.BeginFrame();
            animation.Draw(&region, view.get());
            region.EndFrame();
            RgbImage image =
                ImageFromRegion(region.GetHeader()->bmiHeader, region.GetBits(), palette);
            if (o.sheet) {
                sheet.push_back(std::move(image));
                continue;
            }
            const std::string path = o.frames > 1 ? NumberedPath(o.out, i) : o.out;
            if (!WritePng(path, image)) {
                std::fprintf(stderr, "vomracube-render: cannot write %s\n", path.c_str());
                status = 1;
            }
        }
        if (!status && o.sheet && !WritePng(o.out, ContactSheet(sheet))) {
            std::fprintf(stderr, "vomracube-render: cannot write %s\n", o.out.c_str());
            status = 1;
        }
    }
    DestroyAllPictures();
    StopVideoSupport();
    FreeGraphics();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "vomracube-render: %s\n%s", error.c_str(), kRenderUsage);
        return 2;
    }
    return Render(options);
}
