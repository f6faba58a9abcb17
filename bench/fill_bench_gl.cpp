// OSMesa beside the picture fills: the peers' quad textured with the 512x512 picture,
// GL_NEAREST, clamped, aliased, drawn affinely (w = 1 at every corner) and
// perspective-correct (each corner's w from the projective map), one quad per glFinish.
//
// Mesa reads LP_NUM_THREADS once per process, so the single-thread figures come from a
// forked child that sets it before creating its context; the default (one rasteriser
// thread per CPU) is measured in this process afterwards. Each figure is the median wall
// time per frame over several samples (counter ns_per_px, as in the peer table) beside
// the process's CPU time over all its threads (cpu_ns_per_px, comparable with our rows,
// which count CPU time, when the machine is busy); the "_net" rows subtract the median of
// a 1-pixel quad + glFinish (OSMesa's flush and copy-out of the frame).
#include "fill_bench_common.h"

#include <GL/gl.h>
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

using fillbench::Map3;
using peers::kFrameHeight;
using peers::kFrameWidth;

struct GlFigures {
    bool ok = false;
    int threads = 0;
    char renderer[64] = {};
    // Seconds per frame: wall time, and the process's CPU time (all threads).
    double affine = 0, perspective = 0, fixed = 0;
    double affineCpu = 0, perspectiveCpu = 0, fixedCpu = 0;
};

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

struct FrameTimes {
    double wall, cpu;
};

OSMesaContext g_context = nullptr;
std::vector<uint32_t> g_frame;

int CountRasteriserThreads() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') {
                continue;
            }
            std::ifstream f(std::string("/proc/self/task/") + e->d_name + "/comm");
            std::string comm;
            std::getline(f, comm);
            n += comm.rfind("llvmpipe-", 0) == 0 ? 1 : 0;
        }
        closedir(d);
    }
    return n;
}

void Vertex(double x, double y, double w) {
    glVertex4d((2.0 * x / kFrameWidth - 1.0) * w, (1.0 - 2.0 * y / kFrameHeight) * w, 0.0, w);
}

void DrawQuad(const peers::Quad& q, bool perspective) {
    const double side = fillbench::kPictureSide;
    const double corners[4][2] = {{0, 0}, {side, 0}, {side, side}, {0, side}};
    const Map3 h = fillbench::TextureToScreenProjective(q);
    const Map3 inv = fillbench::Inverse(fillbench::TextureToScreenAffine(q));
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        const peers::Point2 p = q.p[i];
        if (perspective) {
            double w = h.m[2][0] * corners[i][0] + h.m[2][1] * corners[i][1] + h.m[2][2];
            const double w0 = h.m[2][2];
            w = w0 < 0 ? -w : w;
            glTexCoord2d(corners[i][0] / side, corners[i][1] / side);
            Vertex(p.x, p.y, w);
        } else {
            const double u = inv.m[0][0] * p.x + inv.m[0][1] * p.y + inv.m[0][2];
            const double v = inv.m[1][0] * p.x + inv.m[1][1] * p.y + inv.m[1][2];
            glTexCoord2d(u / side, v / side);
            Vertex(p.x, p.y, 1.0);
        }
    }
    glEnd();
}

bool CreateContext() {
    g_context = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
    g_frame.assign(size_t(kFrameWidth) * kFrameHeight, 0);
    if (g_context == nullptr || !OSMesaMakeCurrent(g_context, g_frame.data(), GL_UNSIGNED_BYTE,
                                                   kFrameWidth, kFrameHeight)) {
        return false;
    }
    OSMesaPixelStore(OSMESA_Y_UP, 0);
    glViewport(0, 0, kFrameWidth, kFrameHeight);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_DITHER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    static const fillbench::Picture picture(32);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, fillbench::kPictureSide, fillbench::kPictureSide, 0,
                 GL_BGRA, GL_UNSIGNED_BYTE, picture.pixels.data());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    return true;
}

// Median wall and CPU time of one frame drawn by `draw` and finished. (Wall time is the
// peer table's measure, llvmpipe spreading a frame over its threads; on a busy machine it
// penalises llvmpipe more than the single-threaded engines, whose rows count CPU time.)
template <class Draw> FrameTimes MedianFrame(Draw draw) {
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < 5; ++i) {
        draw();
        glFinish();
    }
    int frames = 1;
    for (;;) {
        const auto t0 = Clock::now();
        for (int i = 0; i < frames; ++i) {
            draw();
            glFinish();
        }
        if (std::chrono::duration<double>(Clock::now() - t0).count() > 0.02 || frames > 4096) {
            break;
        }
        frames *= 2;
    }
    std::vector<double> walls, cpus;
    for (int s = 0; s < 15; ++s) {
        const auto t0 = Clock::now();
        const double c0 = CpuSeconds();
        for (int i = 0; i < frames; ++i) {
            draw();
            glFinish();
        }
        cpus.push_back((CpuSeconds() - c0) / frames);
        walls.push_back(std::chrono::duration<double>(Clock::now() - t0).count() / frames);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

GlFigures MeasureHere() {
    GlFigures f;
    if (g_context == nullptr && !CreateContext()) {
        return f;
    }
    const peers::Quad quad = peers::MakeFlatQuad();
    static const peers::Quad dot{{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    const FrameTimes affine = MedianFrame([&] { DrawQuad(quad, false); });
    const FrameTimes perspective = MedianFrame([&] { DrawQuad(quad, true); });
    const FrameTimes fixed = MedianFrame([&] { DrawQuad(dot, false); });
    f.affine = affine.wall;
    f.affineCpu = affine.cpu;
    f.perspective = perspective.wall;
    f.perspectiveCpu = perspective.cpu;
    f.fixed = fixed.wall;
    f.fixedCpu = fixed.cpu;
    f.threads = CountRasteriserThreads();
    if (const GLubyte* r = glGetString(GL_RENDERER)) {
        std::snprintf(f.renderer, sizeof f.renderer, "%s", reinterpret_cast<const char*>(r));
    }
    f.ok = true;
    return f;
}

// The single-thread figures, from a child forked before this process has a context.
GlFigures MeasureSingleThreadChild() {
    GlFigures f;
    int fds[2];
    if (g_context != nullptr || pipe(fds) != 0) {
        return f;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        setenv("LP_NUM_THREADS", "1", 1);
        const GlFigures mine = MeasureHere();
        const ssize_t written = write(fds[1], &mine, sizeof mine);
        _exit(written == sizeof mine ? 0 : 1);
    }
    close(fds[1]);
    if (pid > 0) {
        if (read(fds[0], &f, sizeof f) != sizeof f) {
            f.ok = false;
        }
        waitpid(pid, nullptr, 0);
    }
    close(fds[0]);
    return f;
}

const GlFigures& Figures(bool singleThread) {
    // The child runs first, before this process creates its own context.
    static const GlFigures single = MeasureSingleThreadChild();
    static const GlFigures here = MeasureHere();
    return singleThread ? single : here;
}

void Report(benchmark::State& state, bool singleThread, bool perspective, bool net) {
    const GlFigures& f = Figures(singleThread);
    if (!f.ok) {
        state.SkipWithError("OSMesa unavailable");
        return;
    }
    const double frame = (perspective ? f.perspective : f.affine) - (net ? f.fixed : 0);
    const double cpu = (perspective ? f.perspectiveCpu : f.affineCpu) - (net ? f.fixedCpu : 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame);
    }
    state.counters["ns_per_px"] = frame * 1e9 / fillbench::QuadArea();
    state.counters["cpu_ns_per_px"] = cpu * 1e9 / fillbench::QuadArea();
    state.SetLabel(std::string(f.renderer) + ", rasteriser threads " + std::to_string(f.threads));
}

const int registered = [] {
    for (bool single : {true, false}) {
        for (bool perspective : {true, false}) {
            for (bool net : {false, true}) {
                const std::string name =
                    std::string("fill_") + (perspective ? "perspective" : "affine") +
                    "_aliased_t32_p32/osmesa_" + (single ? "1t" : "mt") + (net ? "_net" : "");
                benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& s) {
                    Report(s, single, perspective, net);
                })->Unit(benchmark::kMillisecond);
            }
        }
    }
    return 0;
}();

} // namespace
