// Sorting edges by their first row: quicksort with a median-of-three pivot, and fixed
// comparison sequences for partitions of six or fewer entries.
#include "render/raster/EdgeStore.h"
#include "render/raster/EdgeSort.h"

#include <utility>

namespace {

inline void Order(Edge& a, Edge& b) {
    if (b.firstRow < a.firstRow) {
        std::swap(a, b);
    }
}

// Sorting networks: a fixed sequence of compare-exchanges per size.
void SortSmall(Edge* e, size_t n) {
    switch (n) {
    case 2:
        Order(e[0], e[1]);
        break;
    case 3:
        Order(e[0], e[1]);
        Order(e[1], e[2]);
        Order(e[0], e[1]);
        break;
    case 4:
        Order(e[0], e[1]);
        Order(e[2], e[3]);
        Order(e[0], e[2]);
        Order(e[1], e[3]);
        Order(e[1], e[2]);
        break;
    case 5:
        Order(e[0], e[1]);
        Order(e[3], e[4]);
        Order(e[2], e[4]);
        Order(e[2], e[3]);
        Order(e[1], e[4]);
        Order(e[0], e[3]);
        Order(e[0], e[2]);
        Order(e[1], e[3]);
        Order(e[1], e[2]);
        break;
    case 6:
        Order(e[1], e[2]);
        Order(e[4], e[5]);
        Order(e[0], e[2]);
        Order(e[3], e[5]);
        Order(e[0], e[1]);
        Order(e[3], e[4]);
        Order(e[1], e[4]);
        Order(e[0], e[3]);
        Order(e[2], e[5]);
        Order(e[1], e[3]);
        Order(e[2], e[4]);
        Order(e[2], e[3]);
        break;
    default:
        break;
    }
}

} // namespace

void SortEdgesByFirstRow(Edge* edges, size_t count) {
    // Recursion on the smaller part, iteration on the larger: depth stays below log2(n).
    while (count > 6) {
        Edge* lo = edges;
        Edge* hi = edges + count - 1;
        Edge* mid = edges + count / 2;
        Order(*lo, *mid);
        Order(*mid, *hi);
        Order(*lo, *mid);
        const int32_t pivot = mid->firstRow;
        Edge* i = lo;
        Edge* j = hi;
        while (i <= j) {
            while (i->firstRow < pivot) {
                ++i;
            }
            while (j->firstRow > pivot) {
                --j;
            }
            if (i <= j) {
                std::swap(*i, *j);
                ++i;
                --j;
            }
        }
        const size_t left = static_cast<size_t>(j - edges + 1);
        const size_t right = static_cast<size_t>(edges + count - i);
        if (left < right) {
            SortEdgesByFirstRow(edges, left);
            edges = i;
            count = right;
        } else {
            SortEdgesByFirstRow(i, right);
            count = left;
        }
    }
    SortSmall(edges, count);
}
