// Which vector loops the processor can run. The span loops and the 8-bit dither have a
// second version for 256-bit vectors (AVX2), chosen at run time; both versions give the
// same pixels, so the choice changes only the speed.
#pragma once

namespace cpu {

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

// Whether the 256-bit loops may run: the processor and the system support them and they
// have not been switched off.
bool WideVectors();

// Switches the 256-bit loops off or back on (tests run both versions on one machine).
void AllowWideVectors(bool allow);

} // namespace cpu
