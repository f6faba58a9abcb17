// How much a saver being made may hold in memory, the same for the maker and the pack tool
// and for every way a face arrives (a file, a converter's output, a saver opened). The
// faces' bytes are what a project holds; Save streams them and holds nothing more. The
// 32-bit Windows build has about 2 GiB of address space, shared with the template, a face
// being prepared beside the one it replaces, the preview's decoded pictures and the heap's
// fragments, and each face needs one unbroken block.
#pragma once

#include <cstdint>
#include <string>

constexpr uint64_t kLargestFaceBytes = uint64_t{256} << 20;
constexpr uint64_t kProjectFaceBytes = uint64_t{512} << 20;

// Empty when a face of `bytes` fits beside `otherFaces` bytes of the other faces; else
// why not, naming the limit ("the file is 600 MiB; faces of up to 256 MiB are taken").
std::string FaceBudgetRefusal(uint64_t bytes, uint64_t otherFaces);
