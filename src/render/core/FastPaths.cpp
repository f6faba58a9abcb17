#include "render/core/FastPaths.h"

namespace fast_paths {
namespace {

bool Supported() {
    // The compiler's probe also checks that the system saves the 256-bit registers. It may
    // be asked before the run-time library has looked at the processor: look first.
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return supported;
}

} // namespace

Switches g_switches;

bool WideVectors() {
    return g_switches.wideVectors && !g_switches.reference && Supported();
}

void AllowWideVectors(bool allow) {
    g_switches.wideVectors = allow;
}

void AllowCoverageShortcuts(bool allow) {
    g_switches.coverageShortcuts = allow;
}

void ForceReference(bool on) {
    g_switches.reference = on;
}

} // namespace fast_paths
