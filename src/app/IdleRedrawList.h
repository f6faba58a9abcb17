// The idle redraw list: the animation windows that the application's idle passes repaint
// once their frame interval has elapsed. A doubly linked list of records, newest at the
// head; each record keeps its window, the interval, the tick of its last redraw and how
// many redraws it has had.
//
// The redraw itself is a synchronous repaint of the window, supplied as a function so the
// bookkeeping runs without a window system; the process-wide list (TheIdleRedrawList, in
// the Windows build) repaints with RedrawWindow.
#pragma once

#include "platform/Win32.h"

#include <optional>

class CCAnimationWnd;

struct IdleRedrawTimer {
    IdleRedrawTimer* next;
    IdleRedrawTimer* previous;
    CCAnimationWnd* window; // null once removed while the list was being serviced
    DWORD interval;         // milliseconds
    DWORD lastTick;         // tick of the last redraw; 0 before the first
    DWORD count;            // redraws done
};

class IdleRedrawList {
  public:
    using RedrawFunction = void (*)(CCAnimationWnd* window);

    explicit IdleRedrawList(RedrawFunction redraw) : m_redraw(redraw) {}
    ~IdleRedrawList() { FreeAll(); }
    IdleRedrawList(const IdleRedrawList&) = delete;
    IdleRedrawList& operator=(const IdleRedrawList&) = delete;

    // Enters the window with this interval; a window already in the list only gets the new
    // interval. False when no record could be allocated.
    bool Add(CCAnimationWnd* window, DWORD interval);
    // Takes the window's first record out of the list.
    void Remove(CCAnimationWnd* window);
    // Redraws every window whose interval has elapsed at tick `now`, and every window not
    // yet redrawn at all. True when the list holds any record.
    bool Service(DWORD now);
    void FreeAll();
    // Milliseconds from `now` until Service would redraw a window: 0 when one is due, none
    // for an empty list.
    std::optional<DWORD> TicksToNextRedraw(DWORD now) const;

    const IdleRedrawTimer* Head() const { return m_head; }
    const IdleRedrawTimer* Find(const CCAnimationWnd* window) const;

  private:
    IdleRedrawTimer* FindRecord(const CCAnimationWnd* window) const;
    void Unlink(IdleRedrawTimer* record);
    void FreeRemoved();

    IdleRedrawTimer* m_head = nullptr;
    RedrawFunction m_redraw;
    bool m_servicing = false;    // a redraw may remove windows while the walk runs
    bool m_removedWhile = false; // records emptied during the walk await freeing
};

// The process-wide list, whose redraw paints the window synchronously. Windows only.
IdleRedrawList& TheIdleRedrawList();
