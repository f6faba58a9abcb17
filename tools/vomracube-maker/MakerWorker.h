// The maker's worker thread: face preparation, Open, Save and Try's copy run here, one at a
// time in the order given, so that the window answers and its preview moves meanwhile. A
// piece of work runs on the worker and then finishes on the window thread, which alone
// touches the window and the project: the worker posts the finished piece to the window
// as a message. Cancel ends the piece running (a converter at once) and drops the ones
// waiting; each still finishes, told that it was cancelled.
#pragma once

#include "platform/Win32.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>

struct WorkPiece {
    std::string what; // for the progress text: "Preparing face 2 from clip.mp4"
    // On the worker; `cancel` turns true when the user cancels.
    std::function<void(const std::atomic<bool>& cancel)> run;
    // On the window thread, after run (or instead of it, when cancelled while waiting).
    std::function<void(bool cancelled)> finish;
    bool cancelled = false;
    bool outOfMemory = false; // run ended for want of memory (it finishes as cancelled)
};

class MakerWorker {
  public:
    MakerWorker();
    // Cancels everything and waits for the thread.
    ~MakerWorker();
    MakerWorker(const MakerWorker&) = delete;
    MakerWorker& operator=(const MakerWorker&) = delete;

    // Finished pieces go to `window` as `message` with the piece in lParam (see Finish).
    bool Start(HWND window, UINT message);
    // Ends the thread: the piece running is cancelled; pieces not finished are dropped.
    void Stop();
    void Queue(std::unique_ptr<WorkPiece> piece);
    void Cancel();
    // The window's handler of the message: takes the piece back from the message.
    static std::unique_ptr<WorkPiece> Take(LPARAM piece);

    // Pieces queued or running, and what the one running does and since when (GetTickCount).
    bool Busy() const;
    std::string Running(DWORD& since) const;
    // The share of the running piece done, from the worker (0 to 1); Done() gives it in
    // thousandths, or -1 while the piece has told none.
    void SetDone(double share);
    int Done() const { return m_done.load(); }

  private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Loop();

    mutable CRITICAL_SECTION m_lock;
    HANDLE m_wake = nullptr;
    HANDLE m_thread = nullptr;
    HWND m_window = nullptr;
    UINT m_message = 0;
    std::deque<std::unique_ptr<WorkPiece>> m_waiting;
    std::string m_running; // empty when idle
    DWORD m_runningSince = 0;
    int m_unfinished = 0; // queued, running or posted and not yet finished
    bool m_stopping = false;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_done{-1};
};
