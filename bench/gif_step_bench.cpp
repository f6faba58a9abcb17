// How long a moving face holds a frame of the saver: one draw's step of GIF decoding
// (kGifWorkPerDraw units) on frames of 65535 x 65535 pixels over a 2 x 2 screen, plain and
// interlaced, and a whole frame of each as the headless runner draws it. Counter
// ns_per_unit: time per unit of work (a decoded value, or a run of clear codes).
#include "../tests/import/GifFlood.h"
#include "import/GifAnimation.h"
#include "import/PictureLimits.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

std::vector<uint8_t> HugeFrames(bool interlaced) {
    importtest::FloodFrame frame;
    frame.interlaced = interlaced;
    // Enough values for the per-frame limit, without the 1.5 MB of a complete frame.
    frame.values = uint64_t{2} * picture::kMaxGifFrameValues;
    return importtest::MakeFloodGif(2, 2, {frame, frame});
}

// One saver frame's share: the same step from the start of the animation each time.
void StepPerDraw(benchmark::State& state) {
    GifAnimation animation;
    animation.Load(HugeFrames(state.range(0) != 0));
    for (auto _ : state) {
        state.PauseTiming();
        animation.ShowFrame(0);
        state.ResumeTiming();
        animation.AdvanceTowards(1, picture::kGifWorkPerDraw);
    }
    state.counters["ns_per_unit"] = benchmark::Counter(
        double(picture::kGifWorkPerDraw) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A whole frame: the two rows on the screen when plain, the per-frame limit when
// interlaced.
void WholeFrame(benchmark::State& state) {
    GifAnimation animation;
    animation.Load(HugeFrames(state.range(0) != 0));
    for (auto _ : state) {
        state.PauseTiming();
        animation.ShowFrame(0);
        state.ResumeTiming();
        animation.ShowFrame(1);
    }
}

} // namespace

BENCHMARK(StepPerDraw)->Name("gif_step_per_draw/plain")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(StepPerDraw)->Name("gif_step_per_draw/interlaced")->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeFrame)->Name("gif_whole_frame/plain")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeFrame)->Name("gif_whole_frame/interlaced")->Arg(1)->Unit(benchmark::kMillisecond);
