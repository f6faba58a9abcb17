#include "platform/Threads.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace threads {

struct Lock::State {
    std::mutex mutex;
};

Lock::Lock() : m_state(std::make_unique<State>()) {}
Lock::~Lock() = default;

void Lock::Enter() {
    m_state->mutex.lock();
}

void Lock::Leave() {
    m_state->mutex.unlock();
}

struct Wake::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool set = false;
};

Wake::Wake() : m_state(std::make_unique<State>()) {}
Wake::~Wake() = default;

bool Wake::Ready() const {
    return true;
}

void Wake::Set() {
    {
        std::lock_guard<std::mutex> hold(m_state->mutex);
        m_state->set = true;
    }
    m_state->changed.notify_one();
}

bool Wake::Wait(unsigned milliseconds) {
    std::unique_lock<std::mutex> hold(m_state->mutex);
    const bool set = m_state->changed.wait_for(hold, std::chrono::milliseconds(milliseconds),
                                               [&] { return m_state->set; });
    m_state->set = false;
    return set;
}

// The ended flag is shared with the thread, which may outlive this object once detached.
struct Thread::State {
    struct Ended {
        std::mutex mutex;
        std::condition_variable changed;
        bool ended = false;
    };
    std::shared_ptr<Ended> ended;
    std::thread thread;
};

Thread::Thread() : m_state(std::make_unique<State>()) {}

Thread::~Thread() {
    Detach();
}

bool Thread::Start(void (*body)(void*), void* argument, Priority) {
    if (m_state->thread.joinable()) {
        return false;
    }
    try {
        auto ended = std::make_shared<State::Ended>();
        m_state->thread = std::thread([ended, body, argument] {
            body(argument);
            std::lock_guard<std::mutex> hold(ended->mutex);
            ended->ended = true;
            ended->changed.notify_all();
        });
        m_state->ended = std::move(ended);
        return true;
    } catch (...) {
        return false;
    }
}

bool Thread::Join(unsigned milliseconds) {
    if (!m_state->thread.joinable()) {
        return true;
    }
    {
        std::unique_lock<std::mutex> hold(m_state->ended->mutex);
        if (!m_state->ended->changed.wait_for(hold, std::chrono::milliseconds(milliseconds),
                                              [&] { return m_state->ended->ended; })) {
            return false;
        }
    }
    m_state->thread.join();
    return true;
}

void Thread::Detach() {
    if (m_state->thread.joinable()) {
        m_state->thread.detach();
    }
}

} // namespace threads
