#include "SlotAssignment.h"

#include "app/Payload.h"

std::vector<int> SlotsForFiles(int target, int files, const bool occupied[6]) {
    std::vector<int> slots;
    if (files <= 0) {
        return slots;
    }
    if (target >= 0 && target < kPayloadFaceCount) {
        for (int slot = target; slot < kPayloadFaceCount && static_cast<int>(slots.size()) < files;
             ++slot) {
            slots.push_back(slot);
        }
        return slots;
    }
    for (int slot = 0; slot < kPayloadFaceCount && static_cast<int>(slots.size()) < files; ++slot) {
        if (!occupied[slot]) {
            slots.push_back(slot);
        }
    }
    if (slots.empty()) {
        return SlotsForFiles(0, files, occupied);
    }
    return slots;
}
