#include "make/ProjectBudget.h"

namespace {
// Whole MiB, rounded up, so that a file just over a limit never reads as the limit itself.
std::string MiB(uint64_t bytes) {
    return std::to_string((bytes + (uint64_t{1} << 20) - 1) >> 20) + " MiB";
}
} // namespace

std::string FaceBudgetRefusal(uint64_t bytes, uint64_t otherFaces) {
    if (bytes > kLargestFaceBytes) {
        return "the file is " + MiB(bytes) + "; faces of up to " + MiB(kLargestFaceBytes) +
               " are taken";
    }
    if (bytes + otherFaces > kProjectFaceBytes) {
        return "the faces would come to " + MiB(bytes + otherFaces) + "; a saver holds at most " +
               MiB(kProjectFaceBytes) + " of faces (this one is " + MiB(bytes) + ")";
    }
    return {};
}
