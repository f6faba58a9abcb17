// Work memory for the edges of one fill: a static 32 KB store of edge records, extended
// by 32 KB chunks (plus a link word) from the installed allocate function, and released
// after every fill. Running out is error 12, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>

// One non-horizontal edge inside the clip rows (16 bytes).
struct Edge {
    int32_t x;        // 18.14: where the edge crosses the centre of its current (sub-)row
    int32_t step;     // 18.14: change of x from one (sub-)row to the next
    int32_t firstRow; // first (sub-)row whose centre the edge crosses
    // Bits 0-23: the last such (sub-)row; top byte: +1 when the edge was given from
    // smaller to larger device y, -1 when its ends were swapped.
    uint32_t lastAndDirection;

    int32_t LastRow() const { return static_cast<int32_t>(lastAndDirection & 0xFFFFFF); }
    int32_t Direction() const { return static_cast<int8_t>(lastAndDirection >> 24); }
    static uint32_t Pack(int32_t lastRow, int32_t direction) {
        return (static_cast<uint32_t>(lastRow) & 0xFFFFFF) |
               static_cast<uint32_t>(static_cast<uint8_t>(direction)) << 24;
    }
};
static_assert(sizeof(Edge) == 16);

constexpr int32_t kMaxEdgeRow = 0x7FFFFF; // a last row must fit in 24 bits

// Forgets every edge (keeps no memory).
void ResetEdges();
// Appends an edge; returns 0 or a RenderError code (12 out of memory, 16 no handlers).
int AddEdge(const Edge& edge);
size_t EdgeCount();
// All edges in one array (the static store, or a block from the allocate function when
// chunks were used); null when that block cannot be had.
Edge* GatherEdges();
// A block of work memory that lives until FreeEdgeMemory: from a static reserve when it
// fits, else from the allocate function; null when neither can give it.
void* EdgeWorkMemory(size_t bytes);
// Returns every chunk and work block to the free function.
void FreeEdgeMemory();
