#include "scene/ThreeDObjectList.h"

#include "render/region/RastelRegion.h"
#include "scene/SceneRenderer.h"

#include <cstdint>
#include <new>

IMPLEMENT_DYNAMIC(ThreeDObjectList, CObject)

ThreeDObjectList::~ThreeDObjectList() {
    DeleteAll();
}

void ThreeDObjectList::AddHead(ThreeDObject* object) {
    if (!object) {
        return;
    }
    if (object->m_next) {
        object->m_next->m_prev = object->m_prev;
    }
    if (object->m_prev) {
        object->m_prev->m_next = object->m_next;
    }
    object->m_prev = nullptr;
    object->m_next = m_head;
    if (m_head) {
        m_head->m_prev = object;
    }
    m_head = object;
    if (!m_tail) {
        m_tail = object;
    }
}

void ThreeDObjectList::DeleteAll() {
    for (ThreeDObject* object = m_head; object;) {
        ThreeDObject* next = object->m_next;
        delete object;
        object = next;
    }
    m_head = m_tail = nullptr;
}

// Takes an object out of the chain, moving the list's ends past it where it was one.
void ThreeDObjectList::Unlink(ThreeDObject* object) {
    if (object->m_next) {
        object->m_next->m_prev = object->m_prev;
    } else {
        m_tail = object->m_prev;
    }
    if (object->m_prev) {
        object->m_prev->m_next = object->m_next;
    } else {
        m_head = object->m_next;
    }
}

// Moves a freshly updated object toward the tail while it is nearer than its successor,
// or toward the head while it is farther than its predecessor. The comparisons are strict,
// so equal depths keep their order and a not-a-number depth never moves.
void ThreeDObjectList::Reposition(ThreeDObject* object) {
    const double depth = object->m_depth;
    ThreeDObject* next = object->m_next;
    ThreeDObject* prev = object->m_prev;
    if (next && depth < next->m_depth) {
        Unlink(object);
        ThreeDObject* n = next;
        while (n->m_next && depth < n->m_next->m_depth) {
            n = n->m_next;
        }
        object->m_prev = n;
        object->m_next = n->m_next;
    } else if (prev && depth > prev->m_depth) {
        Unlink(object);
        ThreeDObject* p = prev;
        while (p->m_prev && depth > p->m_prev->m_depth) {
            p = p->m_prev;
        }
        object->m_next = p;
        object->m_prev = p->m_prev;
    } else {
        return;
    }
    if (object->m_next) {
        object->m_next->m_prev = object;
    } else {
        m_tail = object;
    }
    if (object->m_prev) {
        object->m_prev->m_next = object;
    } else {
        m_head = object;
    }
}

void ThreeDObjectList::UpdateAll(double time, const Matrix* view, const Matrix* projection) {
    for (ThreeDObject* object = m_head; object;) {
        ThreeDObject* next = object->m_next;
        object->Update(time, view, projection);
        Reposition(object);
        object = next;
    }
}

void ThreeDObjectList::ResetRects(RastelRegion* region) {
    if (!region || !m_head) {
        return;
    }
    m_head->m_previous = region->GetRect();
    for (ThreeDObject* object = m_head->m_next; object; object = object->m_next) {
        object->m_previous = RECT{};
    }
}

void ThreeDObjectList::EraseAll(RastelRegion*) {
    m_clearBoxes.clear();
    for (ThreeDObject* object = m_head; object; object = object->m_next) {
        if (!object->TakePreviousBox()) {
            continue;
        }
        // The list only grows in the first frames of a scene. Should it fail to, the box is
        // cleared at once: merging saves time but changes no pixel.
        try {
            m_clearBoxes.push_back(object->m_previous);
        } catch (const std::bad_alloc&) {
            GetSceneRenderer().ClearBox(object->m_previous);
        }
    }
    ClearErasedBoxes();
}

namespace {

int64_t Area(const RECT& r) {
    return int64_t{r.right - r.left} * (r.bottom - r.top);
}

// Beyond this many boxes the pairwise merging would cost more than it saves.
constexpr size_t kMaxMergedBoxes = 512;

} // namespace

// Every pixel drawn last frame lies inside some object's previous box (its changed box),
// the rest of the region is black, and all clearing comes before any drawing. So any set of
// boxes that covers the union of the previous boxes clears exactly the same pixels. Two
// overlapping boxes are cleared as their bounding box when that is no larger than the two
// apart, which never adds work and saves the overlap (large, when big objects crowd).
void ThreeDObjectList::ClearErasedBoxes() {
    std::vector<RECT>& boxes = m_clearBoxes;
    bool merged = boxes.size() <= kMaxMergedBoxes;
    while (merged) {
        merged = false;
        for (size_t i = 0; i < boxes.size(); ++i) {
            for (size_t j = i + 1; j < boxes.size();) {
                RECT overlap, bounds;
                if (IntersectRect(&overlap, &boxes[i], &boxes[j]) &&
                    UnionRect(&bounds, &boxes[i], &boxes[j]) &&
                    Area(bounds) <= Area(boxes[i]) + Area(boxes[j])) {
                    boxes[i] = bounds;
                    boxes[j] = boxes.back();
                    boxes.pop_back();
                    merged = true;
                } else {
                    ++j;
                }
            }
        }
    }
    SceneRenderer& renderer = GetSceneRenderer();
    for (const RECT& box : boxes) {
        renderer.ClearBox(box);
    }
}

void ThreeDObjectList::MergeUpdateRects() {
    bool changed = true;
    while (changed) {
        changed = false;
        for (ThreeDObject* a = m_head; a; a = a->m_next) {
            if (!a->GetUpdateRect()) {
                continue;
            }
            for (ThreeDObject* b = a->m_next; b; b = b->m_next) {
                const RECT* boxB = b->GetUpdateRect();
                RECT overlap;
                if (!boxB || !IntersectRect(&overlap, &a->m_update, boxB)) {
                    continue;
                }
                UnionRect(&a->m_update, &a->m_update, boxB);
                b->m_noUpdate = 1;
                changed = true;
            }
        }
    }
}

void ThreeDObjectList::DrawAll(RastelRegion* region) {
    for (ThreeDObject* object = m_head; object; object = object->m_next) {
        object->Draw(region);
    }
    MergeUpdateRects();
    for (ThreeDObject* object = m_head; object; object = object->m_next) {
        if (const RECT* box = object->GetUpdateRect()) {
            region->Blit(box);
        }
    }
}
