#include "render/core/CpuFeatures.h"

namespace cpu {
namespace {

bool g_allowed = true;

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

bool WideVectors() {
    return g_allowed && Supported();
}

void AllowWideVectors(bool allow) {
    g_allowed = allow;
}

} // namespace cpu
