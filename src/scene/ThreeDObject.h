// A scene object and its per-frame protocol. Each frame an object is updated (moved to the
// clock value, its corners projected, its depth found), erases the screen box it covered
// last frame, draws itself and reports the box to copy to the window. Boxes are RECTs in
// device pixels as the renderer's changed box reports them.
#pragma once

#include "framework/Object.h"
#include "platform/Win32.h"
#include "scene/Matrix.h"

class RastelRegion;
class ThreeDObjectList;

// All four coordinates 0 is empty. Otherwise right ≥ left and bottom ≥ top is not empty,
// even with zero width or height; anything else is set to all zeros and is empty.
bool IsEmpty(RECT* box);

class ThreeDObject : public CObject {
    DECLARE_DYNAMIC(ThreeDObject)
  public:
    ThreeDObject() = default;
    // Unlinks the object from its neighbours; the owning list's ends are not touched.
    ~ThreeDObject() override;
    ThreeDObject(const ThreeDObject&) = delete;
    ThreeDObject& operator=(const ThreeDObject&) = delete;

    // Virtual slots after CObject's three, in this order.

    // Starts a frame: nothing to copy yet, depth 0, the current box becomes the previous.
    // Subclasses call this first, then build their model matrix and project.
    virtual void Update(double time, const Matrix* view, const Matrix* projection);
    // Clears the previous box to black; 1 when something was cleared.
    virtual BOOL Erase(RastelRegion* region);
    virtual const RECT* Draw(RastelRegion* region);
    // The box to copy this frame, or null when there is none.
    virtual const RECT* GetUpdateRect();

    const RECT& GetCurrentRect() const { return m_current; }
    const RECT& GetPreviousRect() const { return m_previous; }
    double GetDepth() const { return m_depth; }
    const Matrix& GetModel() const { return m_model; }
    ThreeDObject* GetPrev() const { return m_prev; }
    ThreeDObject* GetNext() const { return m_next; }

  protected:
    // Erase without the clearing: the previous box joins the update box. False when there
    // is no previous box (an inverted one is emptied first).
    bool TakePreviousBox();

    // The drawing subclasses' frame: reset the changed box, draw the faces (DrawFaces),
    // take the changed box as the current box and add it to the update box.
    const RECT* DrawTracked(RastelRegion* region);
    virtual void DrawFaces(RastelRegion*) {}

    RECT m_current{};
    RECT m_previous{};
    RECT m_update{};
    int m_noUpdate = 1;
    double m_depth = 0;
    ThreeDObject* m_prev = nullptr;
    ThreeDObject* m_next = nullptr;
    Matrix m_model;

    friend class ThreeDObjectList;
};
