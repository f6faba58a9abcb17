// Ordering collected edges for the row loops.
#pragma once

#include <cstddef>

struct Edge;

// Sorts edges by first row (quicksort, median-of-three pivot, fixed sequences for six or
// fewer entries).
void SortEdgesByFirstRow(Edge* edges, size_t count);
