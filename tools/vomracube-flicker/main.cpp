// vomracube-flicker: how much picture faces shimmer as the cubes turn, exact and smooth
// (FlickerStudy.h). Prints one line per study picture.
//
//   vomracube-flicker [--size WxH] [--frames N] [--factor F] [--side S]
#include "vomracube-flicker/FlickerStudy.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool ParseArgs(int argc, char** argv, FlickerOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) {
            return false;
        }
        if (!std::strcmp(argv[i], "--size")) {
            if (std::sscanf(value, "%dx%d", &o.width, &o.height) != 2) {
                return false;
            }
        } else if (!std::strcmp(argv[i], "--frames")) {
            o.frames = std::atoi(value);
        } else if (!std::strcmp(argv[i], "--factor")) {
            o.factor = std::atoi(value);
        } else if (!std::strcmp(argv[i], "--side")) {
            o.pictureSide = std::atoi(value);
        } else {
            return false;
        }
        ++i;
    }
    return o.width > 0 && o.height > 0 && o.width <= 4096 && o.height <= 4096 && o.frames > 1 &&
           o.frames <= 10000 && o.factor >= 1 && o.factor <= 16 && o.pictureSide >= 2 &&
           o.pictureSide <= 8192 && int64_t{o.width} * o.factor * o.height * o.factor <= (1 << 28);
}

} // namespace

int main(int argc, char** argv) {
    FlickerOptions o;
    if (!ParseArgs(argc, argv, o)) {
        std::fprintf(stderr, "usage: vomracube-flicker [--size WxH] [--frames N] [--factor F] "
                             "[--side S]\n");
        return 2;
    }
    std::printf("%dx%d, %d frames, truth %dx larger, %d-pixel pictures\n", o.width, o.height,
                o.frames, o.factor, o.pictureSide);
    std::printf("%-12s %14s %14s %14s\n", "picture", "exact err/flk", "smooth err/flk",
                "flicker ratio");
    for (const StudyPicture p :
         {StudyPicture::kPhoto, StudyPicture::kTextPage, StudyPicture::kZonePlate}) {
        FlickerResult r;
        std::string error;
        if (!RunFlickerStudy(p, o, r, error)) {
            std::fprintf(stderr, "vomracube-flicker: %s\n", error.c_str());
            return 1;
        }
        std::printf("%-12s %6.1f / %5.1f %6.1f / %5.1f %14.2f\n", StudyPictureName(p),
                    r.exact.error, r.exact.flicker, r.smooth.error, r.smooth.flicker,
                    r.exact.flicker > 0 ? r.smooth.flicker / r.exact.flicker : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
