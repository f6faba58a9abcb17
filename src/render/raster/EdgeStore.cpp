#include "render/raster/EdgeStore.h"

#include "render/core/Context.h"

#include <cstring>

namespace {

constexpr size_t kChunkBytes = 32 * 1024;
constexpr size_t kEdgesPerChunk = kChunkBytes / sizeof(Edge);
// 8192 chunks = 256 MB of edges: beyond that a path is hostile, not complex.
constexpr size_t kMaxChunks = 8192;

struct Chunk {
    Chunk* next;
    Edge edges[kEdgesPerChunk];
};

Edge g_static[kEdgesPerChunk];
size_t g_count = 0;
Chunk* g_first = nullptr;
Chunk* g_last = nullptr;
size_t g_chunks = 0;

// Work blocks: a static reserve used front to back, then allocated blocks in a list.
alignas(16) unsigned char g_reserve[384 * 1024];
size_t g_reserveUsed = 0;
struct WorkBlock {
    WorkBlock* next;
    alignas(16) unsigned char data[1];
};
WorkBlock* g_work = nullptr;

} // namespace

void ResetEdges() {
    FreeEdgeMemory();
}

int AddEdge(const Edge& edge) {
    if (g_count >= kEdgesPerChunk && (g_count - kEdgesPerChunk) % kEdgesPerChunk == 0) {
        if (!g_render.allocate || !g_render.release) {
            return kErrNoMemoryHandlers;
        }
        if (g_chunks >= kMaxChunks) {
            return kErrEdgeMemory;
        }
        auto* chunk = static_cast<Chunk*>(g_render.allocate(sizeof(Chunk)));
        if (!chunk) {
            return kErrEdgeMemory;
        }
        chunk->next = nullptr;
        (g_last ? g_last->next : g_first) = chunk;
        g_last = chunk;
        ++g_chunks;
    }
    Edge* slot = g_count < kEdgesPerChunk
                     ? &g_static[g_count]
                     : &g_last->edges[(g_count - kEdgesPerChunk) % kEdgesPerChunk];
    *slot = edge;
    ++g_count;
    return 0;
}

size_t EdgeCount() {
    return g_count;
}

Edge* GatherEdges() {
    if (g_count <= kEdgesPerChunk) {
        return g_static;
    }
    auto* all = static_cast<Edge*>(EdgeWorkMemory(g_count * sizeof(Edge)));
    if (!all) {
        return nullptr;
    }
    std::memcpy(all, g_static, sizeof g_static);
    size_t done = kEdgesPerChunk;
    for (Chunk* c = g_first; c; c = c->next) {
        const size_t n = g_count - done < kEdgesPerChunk ? g_count - done : kEdgesPerChunk;
        std::memcpy(all + done, c->edges, n * sizeof(Edge));
        done += n;
    }
    return all;
}

void* EdgeWorkMemory(size_t bytes) {
    bytes = (bytes + 15) & ~size_t{15};
    if (bytes <= sizeof g_reserve - g_reserveUsed) {
        void* p = g_reserve + g_reserveUsed;
        g_reserveUsed += bytes;
        return p;
    }
    if (!g_render.allocate || !g_render.release || bytes > SIZE_MAX / 2) {
        return nullptr;
    }
    auto* block = static_cast<WorkBlock*>(g_render.allocate(offsetof(WorkBlock, data) + bytes));
    if (!block) {
        return nullptr;
    }
    block->next = g_work;
    g_work = block;
    return block->data;
}

void FreeEdgeMemory() {
    while (g_first) {
        Chunk* next = g_first->next;
        g_render.release(g_first);
        g_first = next;
    }
    while (g_work) {
        WorkBlock* next = g_work->next;
        g_render.release(g_work);
        g_work = next;
    }
    g_last = nullptr;
    g_chunks = 0;
    g_count = 0;
    g_reserveUsed = 0;
}
