// The index of the picture fills' loop tables: one specialised loop per (edge mode, source
// format, plain channels), chosen once when a fill is set up. Both loop families build
// their tables from it, so a new format or edge mode cannot pick the wrong loop.
#pragma once

#include "render/fill/ImageFill.h"

#include <array>
#include <cstddef>
#include <utility>

// One loop per (edge mode, source format, plain channels); plain copies exist only for
// the formats whose texels can be copied as they stand.
constexpr size_t kSpanLoopCount = size_t{kEdgeModeCount} * kSourceFormatCount * 2;

constexpr size_t SpanLoopIndex(EdgeMode mode, SourceFormat format, bool plain) {
    return (static_cast<size_t>(mode) * kSourceFormatCount + static_cast<size_t>(format)) * 2 +
           (plain ? 1 : 0);
}
static_assert(SpanLoopIndex(static_cast<EdgeMode>(kEdgeModeCount - 1),
                            static_cast<SourceFormat>(kSourceFormatCount - 1),
                            true) == kSpanLoopCount - 1);

constexpr bool HasPlainCopy(SourceFormat f) {
    return f == SourceFormat::k24Bit || f == SourceFormat::k32Bit || f == SourceFormat::k32BitX;
}

// A table of kSpanLoopCount entries, entry I being Loops::Entry<mode, format, plain>() for
// the combination SpanLoopIndex gives I.
template <class Fn, class Loops, size_t... I>
constexpr std::array<Fn, sizeof...(I)> BuildSpanLoopTable(std::index_sequence<I...>) {
    return {Loops::template Entry < static_cast<EdgeMode>(I / 2 / kSourceFormatCount),
            static_cast<SourceFormat>(I / 2 % kSourceFormatCount),
            I % 2 == 1 &&
                HasPlainCopy(static_cast<SourceFormat>(I / 2 % kSourceFormatCount)) > ()...};
}
template <class Fn, class Loops> constexpr std::array<Fn, kSpanLoopCount> BuildSpanLoopTable() {
    return BuildSpanLoopTable<Fn, Loops>(std::make_index_sequence<kSpanLoopCount>());
}
