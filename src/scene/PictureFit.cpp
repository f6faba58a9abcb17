#include "scene/PictureFit.h"

#include <cmath>
#include <cstdint>

double PictureAspect(const BITMAPINFOHEADER& header) {
    const double xppm = header.biXPelsPerMeter ? header.biXPelsPerMeter : 3780;
    const double yppm = header.biYPelsPerMeter ? header.biYPelsPerMeter : 3780;
    const uint32_t h = static_cast<uint32_t>(header.biHeight);
    const uint32_t rows = header.biHeight < 0 ? 0u - h : h;
    const double width = static_cast<uint32_t>(header.biWidth) / xppm;
    const double height = rows / yppm;
    return width / height;
}

PictureFit FitPicture(const BITMAPINFOHEADER& header, BYTE mode) {
    PictureFit fit;
    const double aspect = PictureAspect(header);
    // An empty picture or a nonsensical resolution has no proportions to keep: not a number
    // fails the test below, and so do infinities, zero and negative aspects here.
    if (!(aspect > 0) || std::isinf(aspect) || !(std::fabs(aspect - 1.0) > 0.1)) {
        return fit;
    }
    fit.reshaped = true;
    const int portrait = aspect < 1.0 ? 1 : 0;
    if ((mode ^ portrait) != 0) {
        fit.left = 0.5 - aspect * 0.5;
        fit.right = aspect * 0.5 + 0.5;
        fit.top = mode ? 0.0 : -0.01;
        fit.bottom = mode ? 1.0 : 1.01;
    } else {
        fit.top = 0.5 - 0.5 / aspect;
        fit.bottom = 0.5 / aspect + 0.5;
        fit.left = mode ? 0.0 : -0.01;
        fit.right = mode ? 1.0 : 1.01;
    }
    fit.letterbox = mode == 0 ? 1 : 0;
    return fit;
}
