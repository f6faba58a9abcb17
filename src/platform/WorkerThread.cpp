#include "platform/WorkerThread.h"

#include "platform/Threads.h"

namespace {
// Waits are unbounded by contract (a job always ends); the slice only keeps each system
// wait finite.
constexpr unsigned kWaitSliceMilliseconds = 60000;
} // namespace

// `go` wakes the thread for a job or to end; `done` is set when the job has run. Setting a
// signal orders the writes before it ahead of the wait it ends, so job, context and quit
// need no lock. `pending` (the owner's alone) says whether a `done` is owed.
struct WorkerThread::State {
    threads::Wake go;
    threads::Wake done;
    threads::Thread thread;
    Job job = nullptr;
    void* context = nullptr;
    bool quit = false;
    bool started = false;
    bool pending = false;

    static void Run(void* self) {
        auto* s = static_cast<State*>(self);
        for (;;) {
            if (!s->go.Wait(kWaitSliceMilliseconds)) {
                continue;
            }
            if (s->quit) {
                return;
            }
            s->job(s->context);
            s->done.Set();
        }
    }
};

WorkerThread::WorkerThread() : m_state(std::make_unique<State>()) {}

WorkerThread::~WorkerThread() {
    State& s = *m_state;
    if (!s.started) {
        return;
    }
    Wait();
    s.quit = true;
    s.go.Set();
    // The thread uses the state, so it must end before the state goes.
    while (!s.thread.Join(kWaitSliceMilliseconds)) {
    }
}

bool WorkerThread::Start() {
    State& s = *m_state;
    // Without working signals Wait would never return; the owner reads frames itself then.
    // Read-ahead frames feed the window thread, so the thread runs at its priority.
    s.started = s.go.Ready() && s.done.Ready() &&
                s.thread.Start(&State::Run, &s, threads::Thread::Priority::kNormal);
    return s.started;
}

void WorkerThread::Post(Job job, void* context) {
    State& s = *m_state;
    s.job = job;
    s.context = context;
    s.pending = true;
    s.go.Set();
}

void WorkerThread::Wait() {
    State& s = *m_state;
    if (!s.pending) {
        return;
    }
    while (!s.done.Wait(kWaitSliceMilliseconds)) {
    }
    s.pending = false;
}
