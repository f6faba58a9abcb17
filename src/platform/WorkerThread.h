// One thread that runs one job at a time for its owner: Post hands it a job, Wait returns once
// the job has run. The owner touches what the job uses only while the thread is idle, so
// nothing else is shared. Built on the threads pieces (platform/Threads.h), so it runs
// wherever they do.
#pragma once

#include <memory>

class WorkerThread {
  public:
    using Job = void (*)(void* context);

    WorkerThread();
    // Waits for the job in hand, then ends the thread.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // False when no thread could be made: the owner then runs its jobs itself.
    bool Start();
    // Runs job(context) on the thread; only after Start succeeded and while idle.
    void Post(Job job, void* context);
    // Returns once the posted job has run; at once when there is none.
    void Wait();

    struct State;

  private:
    std::unique_ptr<State> m_state;
};
