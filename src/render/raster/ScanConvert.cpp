// The row loops: active edges, crossings, spans, and for smoothed fills the 5x5 coverage
// of each pixel row.
#include "render/raster/ScanConvert.h"

#include "render/raster/EdgeSort.h"
#include "render/raster/Pipeline.h"

#include "render/raster/CoverageRow.h"
#include "render/raster/EdgeStore.h"
#include "render/core/FastPaths.h"
#include "render/core/FixedPoint.h"

#include <algorithm>

namespace {

// The edges that cross the current (sub-)row, sorted by x.
class ActiveEdges {
  public:
    ActiveEdges(Edge* edges, size_t count, Edge** list)
        : m_edges(edges), m_count(count), m_list(list) {}

    // Moves to `row`: steps the edges that stay, drops those past their last row, takes
    // in those whose first row has come (x advanced over the rows they missed), and
    // re-sorts by x (insertion sort: the list is nearly sorted from the previous row).
    void MoveTo(int32_t row) {
        size_t kept = 0;
        for (size_t i = 0; i < m_active; ++i) {
            Edge* e = m_list[i];
            if (e->LastRow() >= row) {
                e->x = Wrap(int64_t{e->x} + e->step);
                m_list[kept++] = e;
            }
        }
        m_active = kept;
        while (m_next < m_count && m_edges[m_next].firstRow <= row) {
            Edge* e = &m_edges[m_next++];
            if (e->LastRow() >= row) {
                e->x = Wrap(int64_t{e->x} + int64_t{e->step} * (int64_t{row} - e->firstRow));
                m_list[m_active++] = e;
            }
        }
        for (size_t i = 1; i < m_active; ++i) {
            Edge* e = m_list[i];
            size_t j = i;
            while (j > 0 && m_list[j - 1]->x > e->x) {
                m_list[j] = m_list[j - 1];
                --j;
            }
            m_list[j] = e;
        }
    }

    // True when no edge is active and the next one starts after `row`.
    bool IdleAt(int32_t row) const {
        return m_active == 0 && (m_next >= m_count || m_edges[m_next].firstRow > row);
    }
    // True when the list holds exactly two edges that both cross every row up to `last`
    // and no other edge starts by then: the rows until `last` need no list upkeep.
    bool PairStableThrough(int32_t last) const {
        return m_active == 2 && m_list[0]->LastRow() >= last && m_list[1]->LastRow() >= last &&
               (m_next >= m_count || m_edges[m_next].firstRow > last);
    }
    // Steps the two edges of a stable pair to the next row (see PairStableThrough) and
    // returns their crossings in order.
    void StepPair(int32_t& xa, int32_t& xb) {
        Edge* a = m_list[0];
        Edge* b = m_list[1];
        a->x = Wrap(int64_t{a->x} + a->step);
        b->x = Wrap(int64_t{b->x} + b->step);
        xa = std::min(a->x, b->x);
        xb = std::max(a->x, b->x);
    }
    size_t Size() const { return m_active; }
    const Edge* operator[](size_t i) const { return m_list[i]; }

  private:
    static int32_t Wrap(int64_t v) { return fixed::LowWord(static_cast<uint64_t>(v)); }

    Edge* m_edges;
    size_t m_count;
    size_t m_next = 0;
    Edge** m_list;
    size_t m_active = 0;
};

// Calls emit(xa, xb) for every span of the row in device x; false on an unmatched
// crossing.
template <typename Emit> bool ForEachSpan(const ActiveEdges& active, bool winding, Emit emit) {
    const size_t n = active.Size();
    if (!winding) {
        if (n & 1) {
            return false;
        }
        for (size_t i = 0; i < n; i += 2) {
            if (!emit(active[i]->x, active[i + 1]->x)) {
                break;
            }
        }
        return true;
    }
    int32_t sum = 0;
    int32_t start = 0;
    bool open = true;
    for (size_t i = 0; i < n; ++i) {
        const int32_t before = sum;
        sum += active[i]->Direction();
        if (before == 0 && sum != 0) {
            start = active[i]->x;
        } else if (before != 0 && sum == 0 && open) {
            open = emit(start, active[i]->x);
        }
    }
    return sum == 0;
}

int RunAliased(ActiveEdges& active, int32_t top, int32_t bottom, bool winding) {
    const SpanPipeline& pipe = g_render.pipe;
    const ClipBox& clip = g_render.clip;
    for (int32_t y = top; y < bottom; ++y) {
        if (pipe.rowBegin) {
            pipe.rowBegin(y);
        }
        active.MoveTo(y);
        const bool paired = ForEachSpan(active, winding, [&](int32_t xa, int32_t xb) {
            // Pixels whose centre c satisfies xa < c <= xb.
            const int32_t x0 = std::max(fixed::RoundToPixel(xa), clip.left);
            if (x0 >= clip.right) {
                return false;
            }
            const int32_t x1 = std::min(fixed::RoundToPixel(xb), clip.right);
            if (x0 < x1) {
                pipe.span(y, x0, x1);
            }
            return true;
        });
        if (!paired) {
            return kErrOddCrossings;
        }
        if (pipe.rowEnd) {
            pipe.rowEnd(y);
        }
    }
    return 0;
}

int RunSmoothed(ActiveEdges& active, int32_t top, int32_t bottom, bool winding,
                CoverageRow& coverage) {
    const SpanPipeline& pipe = g_render.pipe;
    for (int32_t y = top; y < bottom; ++y) {
        if (pipe.rowBegin) {
            pipe.rowBegin(y);
        }
        const int32_t sub0 = y * fixed::kSubSamples;
        const int32_t subEnd = sub0 + fixed::kSubSamples;
        for (int32_t s = sub0; s < subEnd; ++s) {
            // The common case, two edges of one figure running through the whole pixel
            // row, skips the list upkeep of the remaining sub-rows, or of all five when the
            // pair already held through the row before (the list is then as the last
            // sub-row left it; before an outline's first sub-row it is empty). An even-odd
            // span or a pair of opposite directions fills between the two crossings, in
            // whatever order the pair has come to be listed.
            if (fast_paths::CoverageShortcuts() && active.PairStableThrough(subEnd - 1) &&
                (!winding || active[0]->Direction() != active[1]->Direction())) {
                for (; s < subEnd; ++s) {
                    int32_t xa, xb;
                    active.StepPair(xa, xb);
                    coverage.BeginSubRow();
                    coverage.AddSpan(xa, xb);
                }
                break;
            }
            active.MoveTo(s);
            coverage.BeginSubRow();
            if (!ForEachSpan(active, winding,
                             [&](int32_t xa, int32_t xb) { return coverage.AddSpan(xa, xb); })) {
                return kErrOddCrossings;
            }
        }
        const int runs = coverage.BuildRuns();
        if (runs > 0) {
            const CoverageRun* r = coverage.Runs();
            if (pipe.span) {
                pipe.span(y, r[0].x0, r[runs - 1].x1);
            }
            pipe.composite(y, r, runs);
        }
        if (pipe.rowEnd) {
            pipe.rowEnd(y);
        }
    }
    return 0;
}

// The pixel box of the outline, clipped: rounded to pixels, or with smoothing every pixel
// the outline's box touches.
bool OutlineBox(const EdgeCollector& edges, int32_t& left, int32_t& top, int32_t& right,
                int32_t& bottom) {
    if (edges.BoxEmpty()) {
        return false;
    }
    if (edges.Smooth()) {
        left = fixed::FloorToPixel(edges.MinX());
        top = fixed::FloorToPixel(edges.MinY());
        right = fixed::FloorToPixel(edges.MaxX()) + 1;
        bottom = fixed::FloorToPixel(edges.MaxY()) + 1;
    } else {
        left = fixed::RoundToPixel(edges.MinX());
        top = fixed::RoundToPixel(edges.MinY());
        right = fixed::RoundToPixel(edges.MaxX());
        bottom = fixed::RoundToPixel(edges.MaxY());
    }
    const ClipBox& clip = g_render.clip;
    left = std::max(left, clip.left);
    top = std::max(top, clip.top);
    right = std::min(right, clip.right);
    bottom = std::min(bottom, clip.bottom);
    return left < right && top < bottom;
}

int RunRows(const EdgeCollector& edges, int style, int32_t top, int32_t bottom) {
    const size_t n = EdgeCount();
    Edge* all = GatherEdges();
    auto** list = static_cast<Edge**>(EdgeWorkMemory(n * sizeof(Edge*)));
    if (!all || !list) {
        return kErrEdgeMemory;
    }
    SortEdgesByFirstRow(all, n);
    ActiveEdges active(all, n, list);
    const bool winding = (style & kStyleWinding) != 0;
    if (!edges.Smooth()) {
        return RunAliased(active, top, bottom, winding);
    }
    void* memory = EdgeWorkMemory(CoverageRow::MemoryFor(n));
    if (!memory) {
        return kErrEdgeMemory;
    }
    CoverageRow coverage(memory, n);
    return RunSmoothed(active, top, bottom, winding, coverage);
}

} // namespace

int FillCollectedEdges(const EdgeCollector& edges, int style) {
    int32_t left, top, right, bottom;
    if (EdgeCount() == 0 || !OutlineBox(edges, left, top, right, bottom)) {
        FreeEdgeMemory();
        return 0;
    }
    if (const int error = SelectPipeline(edges.Smooth())) {
        return RenderFail(error);
    }
    ExtendChangedBox(left, top, right, bottom);
    const SpanPipeline& pipe = g_render.pipe;
    if (pipe.begin) {
        pipe.begin();
    }
    if (const int error = RunRows(edges, style, top, bottom)) {
        return RenderFail(error);
    }
    if (pipe.end) {
        pipe.end();
    }
    FreeEdgeMemory();
    return 0;
}
