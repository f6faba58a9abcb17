// The renderer's fast paths, and the one switchboard for them. Each fast path gives exactly
// the pixels of the plain way it stands in for:
//   - the 256-bit vector loops (AVX2) of the picture fills and the 8-bit dither, chosen at
//     run time where the processor has them;
//   - the specialised picture-fill loops (one per edge mode and source format) instead of
//     the reference loops (ImageFillReference.h), and the dither's cell groups instead of
//     one pixel at a time;
//   - the coverage shortcuts of smoothed fills: a stable pair of edges steps from sub-row
//     to sub-row without list upkeep, and a row of simple spans skips the event sort;
//   - smoothed opaque picture fills of 32-bit targets composited in place (texels straight
//     into the target) instead of through the row buffer.
// The switches let the tests run every version on one machine, and ForceReference redraws
// any frame the slow, obvious way. Picture loops are chosen when a fill is set up, so a
// switch holds from the next fill on; set it before a frame.
#pragma once

namespace fast_paths {

// Under the address sanitizer the 256-bit loops read texels one by one instead of with
// gather instructions, which it does not check: the fuzzers then see every read.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kGatherLoads = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kGatherLoads = false;
#else
inline constexpr bool kGatherLoads = true;
#endif
#else
inline constexpr bool kGatherLoads = true;
#endif

struct Switches {
    bool wideVectors = true;
    bool coverageShortcuts = true;
    bool reference = false; // every fast path off
};
extern Switches g_switches;

// The 256-bit loops: the processor and the system support them, and they are allowed.
bool WideVectors();

inline bool CoverageShortcuts() {
    return g_switches.coverageShortcuts && !g_switches.reference;
}
inline bool Reference() {
    return g_switches.reference;
}

void AllowWideVectors(bool allow);
void AllowCoverageShortcuts(bool allow);
void ForceReference(bool on);

} // namespace fast_paths
