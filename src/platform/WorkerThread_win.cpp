#include "platform/WorkerThread.h"

#include "platform/Win32.h"

// `go` wakes the thread for a job or to end; `done` is set when the job has run. Both reset
// themselves when a wait returns, and `pending` (touched by the owner only) says whether a
// `done` is owed.
struct WorkerThread::State {
    HANDLE thread = nullptr;
    HANDLE go = nullptr;
    HANDLE done = nullptr;
    Job job = nullptr;
    void* context = nullptr;
    volatile LONG quit = 0;
    bool pending = false;

    static DWORD WINAPI Run(LPVOID self) {
        auto* s = static_cast<State*>(self);
        for (;;) {
            WaitForSingleObject(s->go, INFINITE);
            if (InterlockedCompareExchange(&s->quit, 0, 0)) {
                return 0;
            }
            s->job(s->context);
            SetEvent(s->done);
        }
    }
};

WorkerThread::WorkerThread() : m_state(new State) {}

WorkerThread::~WorkerThread() {
    State& s = *m_state;
    if (s.thread) {
        Wait();
        InterlockedExchange(&s.quit, 1);
        SetEvent(s.go);
        WaitForSingleObject(s.thread, INFINITE);
        CloseHandle(s.thread);
    }
    if (s.go) {
        CloseHandle(s.go);
    }
    if (s.done) {
        CloseHandle(s.done);
    }
}

bool WorkerThread::Start() {
    State& s = *m_state;
    s.go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    s.done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (s.go && s.done) {
        s.thread = CreateThread(nullptr, 0, &State::Run, &s, 0, nullptr);
    }
    return s.thread != nullptr;
}

void WorkerThread::Post(Job job, void* context) {
    State& s = *m_state;
    s.job = job;
    s.context = context;
    s.pending = true;
    // Setting the event orders the writes above before the thread's wait returns.
    SetEvent(s.go);
}

void WorkerThread::Wait() {
    State& s = *m_state;
    if (s.pending) {
        WaitForSingleObject(s.done, INFINITE);
        s.pending = false;
    }
}
