#include "platform/Threads.h"

#include "platform/Win32.h"

#include <new>

namespace threads {

struct Lock::State {
    CRITICAL_SECTION section;
};

Lock::Lock() : m_state(std::make_unique<State>()) {
    InitializeCriticalSection(&m_state->section);
}

Lock::~Lock() {
    DeleteCriticalSection(&m_state->section);
}

void Lock::Enter() {
    EnterCriticalSection(&m_state->section);
}

void Lock::Leave() {
    LeaveCriticalSection(&m_state->section);
}

struct Wake::State {
    HANDLE event = nullptr;
};

Wake::Wake() : m_state(std::make_unique<State>()) {
    m_state->event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

Wake::~Wake() {
    if (m_state->event) {
        CloseHandle(m_state->event);
    }
}

bool Wake::Ready() const {
    return m_state->event != nullptr;
}

void Wake::Set() {
    if (m_state->event) {
        SetEvent(m_state->event);
    }
}

bool Wake::Wait(unsigned milliseconds) {
    if (!m_state->event) {
        Sleep(milliseconds); // no event: waits out its time, never spins
        return false;
    }
    return WaitForSingleObject(m_state->event, milliseconds) == WAIT_OBJECT_0;
}

struct Thread::State {
    HANDLE thread = nullptr;
    void (*body)(void*) = nullptr;
    void* argument = nullptr;
};

namespace {
struct Start {
    void (*body)(void*);
    void* argument;
};

DWORD WINAPI ThreadMain(LPVOID start) {
    const Start s = *static_cast<Start*>(start);
    delete static_cast<Start*>(start);
    s.body(s.argument);
    return 0;
}
} // namespace

Thread::Thread() : m_state(std::make_unique<State>()) {}

Thread::~Thread() {
    Detach();
}

bool Thread::Start(void (*body)(void*), void* argument, Priority priority) {
    if (m_state->thread) {
        return false;
    }
    auto* start = new (std::nothrow) threads::Start{body, argument};
    if (!start) {
        return false;
    }
    m_state->thread = CreateThread(nullptr, 0, &ThreadMain, start, 0, nullptr);
    if (!m_state->thread) {
        delete start;
    } else if (priority == Priority::kBelowNormal) {
        SetThreadPriority(m_state->thread, THREAD_PRIORITY_BELOW_NORMAL);
    }
    return m_state->thread != nullptr;
}

bool Thread::Join(unsigned milliseconds) {
    if (!m_state->thread) {
        return true;
    }
    if (WaitForSingleObject(m_state->thread, milliseconds) != WAIT_OBJECT_0) {
        return false;
    }
    CloseHandle(m_state->thread);
    m_state->thread = nullptr;
    return true;
}

void Thread::Detach() {
    if (m_state->thread) {
        CloseHandle(m_state->thread);
        m_state->thread = nullptr;
    }
}

} // namespace threads
