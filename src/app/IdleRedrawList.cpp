#include "app/IdleRedrawList.h"

#include "app/CurrentTick.h"

#include <new>

IdleRedrawTimer* IdleRedrawList::FindRecord(const CCAnimationWnd* window) const {
    for (IdleRedrawTimer* record = m_head; record; record = record->next) {
        if (record->window == window) {
            return record;
        }
    }
    return nullptr;
}

const IdleRedrawTimer* IdleRedrawList::Find(const CCAnimationWnd* window) const {
    return window ? FindRecord(window) : nullptr;
}

bool IdleRedrawList::Add(CCAnimationWnd* window, DWORD interval) {
    if (!window) {
        return false;
    }
    if (IdleRedrawTimer* record = FindRecord(window)) {
        record->interval = interval;
        return true;
    }
    auto* record = new (std::nothrow) IdleRedrawTimer{m_head, nullptr, window, interval, 0, 0};
    if (!record) {
        return false;
    }
    if (m_head) {
        m_head->previous = record;
    }
    m_head = record;
    return true;
}

void IdleRedrawList::Unlink(IdleRedrawTimer* record) {
    if (record->previous) {
        record->previous->next = record->next;
    } else {
        m_head = record->next;
    }
    if (record->next) {
        record->next->previous = record->previous;
    }
}

void IdleRedrawList::Remove(CCAnimationWnd* window) {
    IdleRedrawTimer* record = window ? FindRecord(window) : nullptr;
    if (!record) {
        return;
    }
    if (m_servicing) {
        // The walk may be standing on this record: empty it now, free it after the walk.
        record->window = nullptr;
        m_removedWhile = true;
        return;
    }
    Unlink(record);
    delete record;
}

// A record's first redraw is due at once, whatever the tick: a new record's last tick is
// 0, and soon after the tick counter wraps `now` itself can be below the interval.
bool IdleRedrawList::Service(DWORD now) {
    m_servicing = true;
    for (IdleRedrawTimer* record = m_head; record; record = record->next) {
        if (!record->window) {
            continue;
        }
        if (record->count != 0 && TicksSince(now, record->lastTick) < record->interval) {
            continue;
        }
        ++record->count;
        record->lastTick = now;
        if (m_redraw) {
            m_redraw(record->window);
        }
    }
    m_servicing = false;
    FreeRemoved();
    return m_head != nullptr;
}

std::optional<DWORD> IdleRedrawList::TicksToNextRedraw(DWORD now) const {
    std::optional<DWORD> next;
    for (const IdleRedrawTimer* record = m_head; record; record = record->next) {
        if (!record->window) {
            continue;
        }
        const DWORD since = TicksSince(now, record->lastTick);
        const DWORD left =
            record->count == 0 || since >= record->interval ? 0 : record->interval - since;
        if (!next || left < *next) {
            next = left;
        }
    }
    return next;
}

void IdleRedrawList::FreeRemoved() {
    if (!m_removedWhile) {
        return;
    }
    m_removedWhile = false;
    for (IdleRedrawTimer* record = m_head; record;) {
        IdleRedrawTimer* next = record->next;
        if (!record->window) {
            Unlink(record);
            delete record;
        }
        record = next;
    }
}

void IdleRedrawList::FreeAll() {
    while (IdleRedrawTimer* record = m_head) {
        m_head = record->next;
        delete record;
    }
}
