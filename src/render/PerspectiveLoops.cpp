// The perspective span loops, one per (edge mode, source format, plain channels): the
// walker gives sixteen texel positions at a time, a run of four in each quarter of the span
// (PerspectiveWalker.h); each is folded by the edge mode and fetched. Clamped edges, the cube
// faces' mode, have a second version for 256-bit vectors (PerspectiveWide.h), chosen when the
// processor has them.
#include "render/CpuFeatures.h"
#include "render/EdgeMode.h"
#include "render/ImageSpanLoops.h"
#include "render/PerspectiveWalker.h"
#include "render/PerspectiveWide.h"
#include "render/TexelFetch.h"

#include <array>
#include <utility>

// The walker's limits are single precision: every texel index must be exact in it.
static_assert(kMaxPictureSide <= 1 << 24);

namespace {

constexpr int kRun = PerspectiveWalker::kRun;

// Puts each step's sixteen texels in their pixels (PerspectiveWalker.h): lanes 4b .. 4b + 3
// make the next run of block b; the first block is always whole, later ones may end early.
// Texel(lane) gives the texel of a lane.
template <class TexelOf>
inline void PutStep(uint32_t* out, int32_t n, int32_t block, int32_t run, TexelOf texel) {
    for (int b = 0; b < PerspectiveWalker::kBlocks; ++b) {
        const int32_t first = b * block + run;
        if (n - first >= kRun) {
            for (int j = 0; j < kRun; ++j) {
                out[first + j] = texel(b * kRun + j);
            }
        } else {
            for (int j = 0; j < n - first; ++j) {
                out[first + j] = texel(b * kRun + j);
            }
        }
    }
}

// Clamped edges, texels addressed by their byte offset from the first one: no row table,
// and both coordinates limited in one step.
template <SourceFormat F, bool Plain>
void ClampedByOffsets(const ImageFillState& s, PerspectiveWalker& walk, uint32_t* out, int32_t n) {
    constexpr int kBytes = texel::BytesPerTexel<F>();
    const __m128 highU = _mm_set1_ps(static_cast<float>(s.width - 1));
    const __m128 highV = _mm_set1_ps(static_cast<float>(s.height - 1));
    const __m128i scale = _mm_set1_epi32(static_cast<int32_t>(s.stride << 16) | kBytes);
    const uint8_t* const base = s.rows[0];
    alignas(16) uint32_t off[PerspectiveWalker::kLanes];
    const int32_t block = walk.block;
    for (int32_t run = 0; run < block; run += kRun) {
        walk.NextOffsets(highU, highV, scale, off);
        PutStep(out, n, block, run,
                [&](int j) { return texel::FetchAt<F, Plain>(s, base + off[j]); });
    }
}

template <EdgeMode M, SourceFormat F, bool Plain, bool Wide>
void PerspectiveLoop(const ImageFillState& s, PerspectiveWalker& walker, uint32_t* out, int32_t n) {
    // A local copy stays in registers: the vector types may alias the output.
    PerspectiveWalker walk = walker;
    if constexpr (M == EdgeMode::kClamp && texel::BytesPerTexel<F>() > 0) {
        if (texel::OffsetsFit<F>(s)) {
            if constexpr (Wide) {
                perspective_wide::ClampedByOffsets<F, Plain>(s, walker, out, n);
            } else {
                ClampedByOffsets<F, Plain>(s, walk, out, n);
            }
            return;
        }
    }
    const int32_t w = s.width, h = s.height;
    const int32_t brick = TexelOf(s.brick);
    const int32_t block = walk.block;
    int32_t iu[PerspectiveWalker::kLanes], iv[PerspectiveWalker::kLanes];
    if constexpr (M == EdgeMode::kClamp) {
        // Clamped in the walker already: no test per pixel.
        walk.LimitTo(0, static_cast<float>(w - 1), 0, static_cast<float>(h - 1));
        const uint8_t* const* rows = s.rows;
        for (int32_t run = 0; run < block; run += kRun) {
            walk.Next(iu, iv);
            PutStep(out, n, block, run, [&](int j) {
                return texel::Fetch<F, Plain>(s, rows[static_cast<uint32_t>(iv[j])],
                                              static_cast<uint32_t>(iu[j]));
            });
        }
        return;
    }
    for (int32_t run = 0; run < block; run += kRun) {
        walk.Next(iu, iv);
        PutStep(out, n, block, run, [&](int j) {
            int32_t u = iu[j], v = iv[j];
            if (!edge::FoldIndex(M, u, v, w, h, brick)) {
                return s.outside;
            }
            return texel::Fetch<F, Plain>(s, s.rows[static_cast<uint32_t>(v)],
                                          static_cast<uint32_t>(u));
        });
    }
}

constexpr bool HasPlainCopy(SourceFormat f) {
    return f == SourceFormat::k24Bit || f == SourceFormat::k32Bit || f == SourceFormat::k32BitX;
}
template <size_t I, bool Wide> constexpr PerspectiveLoopFn PerspectiveEntry() {
    constexpr auto mode = static_cast<EdgeMode>(I / 16);
    constexpr auto format = static_cast<SourceFormat>((I / 2) % 8);
    constexpr bool plain = (I % 2 == 1) && HasPlainCopy(format);
    return &PerspectiveLoop < mode, format, plain, Wide && mode == EdgeMode::kClamp > ;
}
template <bool Wide, size_t... I>
constexpr std::array<PerspectiveLoopFn, sizeof...(I)>
MakePerspectiveTable(std::index_sequence<I...>) {
    return {PerspectiveEntry<I, Wide>()...};
}
constexpr size_t kLoopCount = kEdgeModeCount * kSourceFormatCount * 2;
constexpr auto kPerspectiveLoops =
    MakePerspectiveTable<false>(std::make_index_sequence<kLoopCount>());
constexpr auto kWideLoops = MakePerspectiveTable<true>(std::make_index_sequence<kLoopCount>());

} // namespace

PerspectiveLoopFn SelectPerspectiveLoop(EdgeMode mode, SourceFormat format, bool plain) {
    const size_t index =
        static_cast<size_t>(mode) * 16 + static_cast<size_t>(format) * 2 + (plain ? 1 : 0);
    return cpu::WideVectors() ? kWideLoops[index] : kPerspectiveLoops[index];
}
