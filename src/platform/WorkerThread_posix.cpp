#include "platform/WorkerThread.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

struct WorkerThread::State {
    std::mutex lock;
    std::condition_variable changed;
    Job job = nullptr;
    void* context = nullptr;
    bool quit = false;
    std::thread thread;

    void Run() {
        std::unique_lock<std::mutex> held(lock);
        for (;;) {
            changed.wait(held, [this] { return job || quit; });
            if (job) {
                const Job now = job;
                held.unlock();
                now(context);
                held.lock();
                job = nullptr;
                changed.notify_all();
            } else {
                return;
            }
        }
    }
};

WorkerThread::WorkerThread() : m_state(new State) {}

WorkerThread::~WorkerThread() {
    if (!m_state->thread.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> held(m_state->lock);
        m_state->quit = true;
    }
    m_state->changed.notify_all();
    m_state->thread.join();
}

bool WorkerThread::Start() {
    try {
        m_state->thread = std::thread([state = m_state.get()] { state->Run(); });
    } catch (const std::system_error&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void WorkerThread::Post(Job job, void* context) {
    {
        std::lock_guard<std::mutex> held(m_state->lock);
        m_state->job = job;
        m_state->context = context;
    }
    m_state->changed.notify_all();
}

void WorkerThread::Wait() {
    std::unique_lock<std::mutex> held(m_state->lock);
    m_state->changed.wait(held, [this] { return m_state->job == nullptr; });
}
