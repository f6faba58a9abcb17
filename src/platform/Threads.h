// The few threading pieces the saver's background work needs, on every system it runs on:
// the Windows build's compiler has no standard threads, and the saver still starts on
// systems without slim locks or condition variables, so Windows gets critical sections,
// events and CreateThread; natively the standard library stands in.
#pragma once

#include <memory>

namespace threads {

// A mutual-exclusion lock; not recursive.
class Lock {
  public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void Enter();
    void Leave();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

class Hold {
  public:
    explicit Hold(Lock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~Hold() { m_lock.Leave(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

  private:
    Lock& m_lock;
};

// An auto-resetting signal: Set wakes one Wait (or the next one to come).
class Wake {
  public:
    Wake();
    ~Wake();
    Wake(const Wake&) = delete;
    Wake& operator=(const Wake&) = delete;
    // False when the system gave no signal: Wait then only waits out its time.
    bool Ready() const;
    void Set();
    // True when set within `milliseconds`.
    bool Wait(unsigned milliseconds);

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

// One thread running `body(argument)`. The object may go before the thread ends (Detach):
// whatever the body uses must then be its own (shared ownership), not the object's.
class Thread {
  public:
    Thread();
    ~Thread(); // detaches a thread still running
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Background work that can wait runs below normal priority, so that the window thread's
    // frames come first on a busy processor; work the window thread waits for runs at its
    // priority. Only Windows heeds the choice.
    enum class Priority { kBelowNormal, kNormal };

    bool Start(void (*body)(void*), void* argument, Priority priority = Priority::kBelowNormal);
    // Waits at most `milliseconds` for the thread to end; true when it has.
    bool Join(unsigned milliseconds);
    // Lets the thread run on alone; it ends with the process at the latest.
    void Detach();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace threads
