#include "vomracube-flicker/FlickerStudy.h"

#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "render/core/GraphicsStartup.h"
#include "render/region/MemoryRegion.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeScene.h"
#include "scene/SceneSettings.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

// One scene drawn into a region of its own.
struct Drawn {
    MemoryRegion region{0, 32};
    CubeScene scene;
    std::unique_ptr<CCAnimationView> view;
    int width = 0, height = 0;

    bool Open(PictureSource* source, PictureMode mode, int w, int h) {
        SceneSettings settings;
        settings.boxCount = 0;
        for (PictureSource*& p : settings.pictures) {
            p = source;
        }
        settings.pictureMode = mode;
        scene.Build(settings);
        const RECT rect{0, 0, w, h};
        width = w;
        height = h;
        view.reset(scene.CreateView(&rect));
        return view && region.Init(nullptr, &rect);
    }
    const uint8_t* Frame(double clock) {
        scene.SetTime(clock);
        region.BeginFrame();
        scene.Draw(&region, view.get());
        region.EndFrame();
        return static_cast<const uint8_t*>(region.GetBits());
    }
};

// The truth frame: each block of factor x factor pixels averaged, channels B, G, R; `full`
// says that no pixel of the block is background (black).
void BoxDown(const uint8_t* big, int factor, int w, int h, std::vector<float>& out,
             std::vector<uint8_t>& full) {
    full.assign(size_t(w) * h, 1);
    const size_t bigWidth = size_t(w) * factor;
    const float scale = 1.0f / float(factor * factor);
    out.assign(size_t(w) * h * 3, 0.0f);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float sum[3] = {0, 0, 0};
            for (int j = 0; j < factor; ++j) {
                const uint8_t* row =
                    big + 4 * (bigWidth * (size_t(y) * factor + j) + size_t(x) * factor);
                for (int i = 0; i < factor; ++i) {
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += row[4 * i + c];
                    }
                    if ((row[4 * i] | row[4 * i + 1] | row[4 * i + 2]) == 0) {
                        full[size_t(y) * w + x] = 0;
                    }
                }
            }
            for (int c = 0; c < 3; ++c) {
                out[(size_t(y) * w + x) * 3 + c] = sum[c] * scale;
            }
        }
    }
}

struct Accumulator {
    double errorSum = 0, flickerSum = 0;
    long errorCount = 0, flickerCount = 0;
    std::vector<float> last;
    std::vector<uint8_t> lastMask;

    void Add(const uint8_t* frame, const std::vector<float>& truth,
             const std::vector<uint8_t>& mask, size_t pixels) {
        std::vector<float> diff(pixels * 3, 0.0f);
        for (size_t p = 0; p < pixels; ++p) {
            if (!mask[p]) {
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                const float d = float(frame[4 * p + c]) - truth[3 * p + c];
                diff[3 * p + c] = d;
                errorSum += std::fabs(d);
                ++errorCount;
                if (!lastMask.empty() && lastMask[p]) {
                    flickerSum += std::fabs(d - last[3 * p + c]);
                    ++flickerCount;
                }
            }
        }
        last.swap(diff);
        lastMask = mask;
    }
    FlickerFigures Figures() const {
        return {errorCount ? errorSum / double(errorCount) : 0.0,
                flickerCount ? flickerSum / double(flickerCount) : 0.0};
    }
};

// The study picture as a face, from a file as the saver opens its faces.
PictureSource* OpenStudyPicture(StudyPicture picture, int side, std::string& error) {
    const std::vector<uint8_t> bytes = MakeStudyPicture(picture, side);
    const std::string path = "/tmp/vomracube-flicker-" + std::to_string(getpid()) + ".bmp";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        if (f) {
            std::fclose(f);
        }
        error = "cannot write " + path;
        return nullptr;
    }
    std::fclose(f);
    PictureSource* source = OpenStillPicture(path.c_str());
    std::remove(path.c_str());
    if (!source) {
        error = "the study picture could not be opened";
    }
    return source;
}

// Face pixels: those whose block and whose eight neighbours' blocks are all face, so that
// the cubes' outlines, whose coverage flickers alike in both modes, stay out.
void FaceMask(const std::vector<uint8_t>& full, int w, int h, std::vector<uint8_t>& mask) {
    mask.assign(size_t(w) * h, 0);
    for (int y = 1; y + 1 < h; ++y) {
        for (int x = 1; x + 1 < w; ++x) {
            uint8_t all = 1;
            for (int j = -1; j <= 1; ++j) {
                for (int i = -1; i <= 1; ++i) {
                    all &= full[size_t(y + j) * w + size_t(x + i)];
                }
            }
            mask[size_t(y) * w + x] = all;
        }
    }
}

} // namespace

bool RunFlickerStudy(StudyPicture picture, const FlickerOptions& o, FlickerResult& result,
                     std::string& error) {
    static const bool started = [] {
        LoadDefaultPicture(kDefaultPictureId);
        InitGraphics();
        return true;
    }();
    (void)started;
    PictureSource* source = OpenStudyPicture(picture, o.pictureSide, error);
    if (!source) {
        return false;
    }
    bool ok = true;
    {
        Drawn truth, exact, smooth;
        if (!truth.Open(source, PictureMode::kExact, o.width * o.factor, o.height * o.factor) ||
            !exact.Open(source, PictureMode::kExact, o.width, o.height) ||
            !smooth.Open(source, PictureMode::kSmooth, o.width, o.height)) {
            error = "a drawing region could not be made";
            ok = false;
        }
        const size_t pixels = size_t(o.width) * o.height;
        std::vector<float> down;
        std::vector<uint8_t> full, mask;
        Accumulator exactSum, smoothSum;
        result.facePixels = 0;
        for (int t = 0; ok && t < o.frames; ++t) {
            const double clock = o.start + t * o.step;
            BoxDown(truth.Frame(clock), o.factor, o.width, o.height, down, full);
            FaceMask(full, o.width, o.height, mask);
            for (size_t p = 0; p < pixels; ++p) {
                result.facePixels += mask[p];
            }
            exactSum.Add(exact.Frame(clock), down, mask, pixels);
            smoothSum.Add(smooth.Frame(clock), down, mask, pixels);
        }
        result.exact = exactSum.Figures();
        result.smooth = smoothSum.Figures();
    }
    ReleasePicture(source);
    return ok;
}
