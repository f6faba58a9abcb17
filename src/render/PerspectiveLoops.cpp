// The perspective span loops, one per (edge mode, source format, plain channels): the
// walker gives four texel positions at a time (PerspectiveWalker.h); each is folded by the
// edge mode and fetched.
#include "render/EdgeMode.h"
#include "render/ImageSpanLoops.h"
#include "render/PerspectiveWalker.h"
#include "render/TexelFetch.h"

#include <array>
#include <utility>

namespace {

// Clamped edges, texels addressed by their byte offset from the first one: no row table,
// and both coordinates limited in one step.
template <SourceFormat F, bool Plain>
void ClampedByOffsets(const ImageFillState& s, PerspectiveWalker& walk, uint32_t* out, int32_t n) {
    constexpr int kBytes = texel::BytesPerTexel<F>();
    const __m128d highU = _mm_set1_pd(s.width - 1), highV = _mm_set1_pd(s.height - 1);
    const __m128i scale = _mm_set1_epi32(static_cast<int32_t>(s.stride << 16) | kBytes);
    const uint8_t* const base = s.rows[0];
    alignas(16) uint32_t off[4];
    int32_t k = 0;
    for (; k + 4 <= n; k += 4) {
        _mm_store_si128(reinterpret_cast<__m128i*>(off), walk.NextOffsets(highU, highV, scale));
        out[k] = texel::FetchAt<F, Plain>(s, base + off[0]);
        out[k + 1] = texel::FetchAt<F, Plain>(s, base + off[1]);
        out[k + 2] = texel::FetchAt<F, Plain>(s, base + off[2]);
        out[k + 3] = texel::FetchAt<F, Plain>(s, base + off[3]);
    }
    if (k < n) {
        _mm_store_si128(reinterpret_cast<__m128i*>(off), walk.NextOffsets(highU, highV, scale));
        for (int j = 0; k + j < n; ++j) {
            out[k + j] = texel::FetchAt<F, Plain>(s, base + off[j]);
        }
    }
}

template <EdgeMode M, SourceFormat F, bool Plain>
void PerspectiveLoop(const ImageFillState& s, PerspectiveWalker& walker, uint32_t* out, int32_t n) {
    // A local copy stays in registers: the vector types may alias the output.
    PerspectiveWalker walk = walker;
    if constexpr (M == EdgeMode::kClamp && texel::BytesPerTexel<F>() > 0) {
        if (texel::OffsetsFit<F>(s)) {
            ClampedByOffsets<F, Plain>(s, walk, out, n);
            return;
        }
    }
    const int32_t w = s.width, h = s.height;
    const int32_t brick = TexelOf(s.brick);
    int32_t iu[4], iv[4];
    if constexpr (M == EdgeMode::kClamp) {
        // Clamped in the walker already: no test per pixel.
        walk.LimitTo(0, w - 1, 0, h - 1);
        const uint8_t* const* rows = s.rows;
        int32_t k = 0;
        for (; k + 4 <= n; k += 4) {
            walk.Next(iu, iv);
            for (int j = 0; j < 4; ++j) {
                out[k + j] = texel::Fetch<F, Plain>(s, rows[static_cast<uint32_t>(iv[j])],
                                                    static_cast<uint32_t>(iu[j]));
            }
        }
        if (k < n) {
            walk.Next(iu, iv);
            for (int j = 0; k + j < n; ++j) {
                out[k + j] = texel::Fetch<F, Plain>(s, rows[static_cast<uint32_t>(iv[j])],
                                                    static_cast<uint32_t>(iu[j]));
            }
        }
        return;
    }
    for (int32_t k = 0; k < n; k += 4) {
        walk.Next(iu, iv);
        const int32_t m = n - k < 4 ? n - k : 4;
        for (int32_t j = 0; j < m; ++j) {
            int32_t u = iu[j], v = iv[j];
            if (!edge::FoldIndex(M, u, v, w, h, brick)) {
                out[k + j] = s.outside;
                continue;
            }
            out[k + j] = texel::Fetch<F, Plain>(s, s.rows[static_cast<uint32_t>(v)],
                                                static_cast<uint32_t>(u));
        }
    }
}

constexpr bool HasPlainCopy(SourceFormat f) {
    return f == SourceFormat::k24Bit || f == SourceFormat::k32Bit || f == SourceFormat::k32BitX;
}
template <size_t I> constexpr PerspectiveLoopFn PerspectiveEntry() {
    constexpr auto mode = static_cast<EdgeMode>(I / 16);
    constexpr auto format = static_cast<SourceFormat>((I / 2) % 8);
    return &PerspectiveLoop < mode, format, (I % 2 == 1) && HasPlainCopy(format) > ;
}
template <size_t... I>
constexpr std::array<PerspectiveLoopFn, sizeof...(I)>
MakePerspectiveTable(std::index_sequence<I...>) {
    return {PerspectiveEntry<I>()...};
}
constexpr auto kPerspectiveLoops =
    MakePerspectiveTable(std::make_index_sequence<kEdgeModeCount * kSourceFormatCount * 2>());

} // namespace

PerspectiveLoopFn SelectPerspectiveLoop(EdgeMode mode, SourceFormat format, bool plain) {
    return kPerspectiveLoops[static_cast<size_t>(mode) * 16 + static_cast<size_t>(format) * 2 +
                             (plain ? 1 : 0)];
}
