// The scene: objects chained through their own prev/next links, kept far to near (largest
// depth at the head) so that drawing head to tail paints nearer objects over farther ones.
// The list owns its objects.
#pragma once

#include "framework/Object.h"
#include "scene/ThreeDObject.h"

#include <vector>

class ThreeDObjectList : public CObject {
    DECLARE_DYNAMIC(ThreeDObjectList)
  public:
    ThreeDObjectList() = default;
    ~ThreeDObjectList() override;
    ThreeDObjectList(const ThreeDObjectList&) = delete;
    ThreeDObjectList& operator=(const ThreeDObjectList&) = delete;

    void AddHead(ThreeDObject* object);
    void DeleteAll();
    // Updates every object head to tail and moves each to its depth place right after its
    // update: one incremental insertion pass, not a full sort.
    void UpdateAll(double time, const Matrix* view, const Matrix* projection);
    // Makes the next EraseAll clear the whole region once: the head's previous box becomes
    // the region's rectangle and every other previous box is emptied.
    void ResetRects(RastelRegion* region);
    // Erases every object's previous box. Overlapping boxes may be cleared together (see
    // ClearErasedBoxes); what each object copies to the window is unchanged.
    void EraseAll(RastelRegion* region);
    // Draws far to near, merges overlapping update boxes and copies each remaining box.
    void DrawAll(RastelRegion* region);

    bool IsEmpty() const { return m_head == nullptr; }
    ThreeDObject* GetHead() const { return m_head; }
    ThreeDObject* GetTail() const { return m_tail; }

  private:
    void Unlink(ThreeDObject* object);
    void Reposition(ThreeDObject* object);
    void MergeUpdateRects();
    void ClearErasedBoxes();

    ThreeDObject* m_head = nullptr;
    ThreeDObject* m_tail = nullptr;
    // The boxes EraseAll clears; kept between frames so that steady frames do not allocate.
    std::vector<RECT> m_clearBoxes;
};
