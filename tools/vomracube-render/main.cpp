// vomracube-render: draws the screen saver's scene without a window, through the in-memory
// drawing region, into PNG files. Frames of a run are drawn one after another into the
// same region, so they also show what the changed-box bookkeeping leaves on the screen.
#include "FrameImage.h"
#include "Options.h"

#include "app/SceneFrames.h"
#include "render/core/FastPaths.h"
#include "render/region/MemoryRegion.h"
#include "render/Renderer.h"

#include <cstdio>
#include <vector>

namespace {

int Render(const RenderOptions& o) {
    if (!o.saver.empty()) {
        platform::SetModuleFileNameOverride(o.saver.c_str());
    }
    SceneFrames frames;
    if (o.pictures) {
        frames.ForcePictureMode(*o.pictures);
    }
    switch (frames.Open(o.depth, o.width, o.height)) {
    case SceneFrames::OpenResult::kOpened:
        break;
    case SceneFrames::OpenResult::kEmptyScene:
        std::fprintf(stderr, "vomracube-render: the scene is empty\n");
        return 1;
    case SceneFrames::OpenResult::kNoRegion:
        std::fprintf(stderr, "vomracube-render: not enough memory for %dx%d\n", o.width, o.height);
        return 1;
    }
    const RenderPalette* palette = UseStandardPalette(0);
    const MemoryRegion& region = frames.GetRegion();
    std::vector<RgbImage> sheet;
    for (int i = 0; i < o.frames; ++i) {
        frames.Draw(o.time + i * o.step);
        RgbImage image = ImageFromRegion(region.GetHeader()->bmiHeader, region.GetBits(), palette);
        if (o.sheet) {
            sheet.push_back(std::move(image));
            continue;
        }
        const std::string path = o.frames > 1 ? NumberedPath(o.out, i) : o.out;
        if (!WritePng(path, image)) {
            std::fprintf(stderr, "vomracube-render: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    if (o.sheet && !WritePng(o.out, ContactSheet(sheet))) {
        std::fprintf(stderr, "vomracube-render: cannot write %s\n", o.out.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "vomracube-render: %s\n%s", error.c_str(), kRenderUsage);
        return 2;
    }
    fast_paths::ForceReference(options.reference);
    return Render(options);
}
