#include "MakerWorker.h"

#include <new>

namespace {
// The lock held for a scope.
class Locked {
  public:
    explicit Locked(CRITICAL_SECTION& lock) : m_lock(lock) { EnterCriticalSection(&m_lock); }
    ~Locked() { LeaveCriticalSection(&m_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

  private:
    CRITICAL_SECTION& m_lock;
};
} // namespace

MakerWorker::MakerWorker() {
    InitializeCriticalSection(&m_lock);
}

MakerWorker::~MakerWorker() {
    Stop();
    DeleteCriticalSection(&m_lock);
}

bool MakerWorker::Start(HWND window, UINT message) {
    m_window = window;
    m_message = message;
    m_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_thread = m_wake ? CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr) : nullptr;
    return m_thread != nullptr;
}

void MakerWorker::Stop() {
    if (m_thread) {
        {
            Locked lock(m_lock);
            m_stopping = true;
            m_cancel = true;
            m_waiting.clear();
        }
        SetEvent(m_wake);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_wake) {
        CloseHandle(m_wake);
        m_wake = nullptr;
    }
}

void MakerWorker::Queue(std::unique_ptr<WorkPiece> piece) {
    {
        Locked lock(m_lock);
        ++m_unfinished;
        m_waiting.push_back(std::move(piece));
    }
    SetEvent(m_wake);
}

void MakerWorker::Cancel() {
    Locked lock(m_lock);
    if (!m_running.empty()) {
        m_cancel = true;
    }
    for (std::unique_ptr<WorkPiece>& piece : m_waiting) {
        piece->cancelled = true;
    }
}

std::unique_ptr<WorkPiece> MakerWorker::Take(LPARAM lParam) {
    return std::unique_ptr<WorkPiece>(reinterpret_cast<WorkPiece*>(lParam));
}

bool MakerWorker::Busy() const {
    Locked lock(m_lock);
    return m_unfinished > 0;
}

std::string MakerWorker::Running(DWORD& since) const {
    Locked lock(m_lock);
    since = m_runningSince;
    return m_running;
}

void MakerWorker::SetDone(double share) {
    m_done = share >= 0.0 && share <= 1.0 ? static_cast<int>(share * 1000.0) : -1;
}

DWORD WINAPI MakerWorker::ThreadMain(LPVOID self) {
    static_cast<MakerWorker*>(self)->Loop();
    return 0;
}

void MakerWorker::Loop() {
    for (;;) {
        std::unique_ptr<WorkPiece> piece;
        {
            Locked lock(m_lock);
            if (m_stopping) {
                return;
            }
            if (!m_waiting.empty()) {
                piece = std::move(m_waiting.front());
                m_waiting.pop_front();
                m_cancel = false;
                m_running = piece->cancelled ? std::string() : piece->what;
                m_runningSince = GetTickCount();
                m_done = -1;
            }
        }
        if (!piece) {
            WaitForSingleObject(m_wake, INFINITE);
            continue;
        }
        if (!piece->cancelled && piece->run) {
            try {
                piece->run(m_cancel);
            } catch (const std::bad_alloc&) {
                // The making library reports its own failures; memory that ran out
                // elsewhere (a thumbnail, the preview's copy) is told by the window.
                piece->outOfMemory = true;
                piece->cancelled = true;
            }
            piece->cancelled = piece->cancelled || m_cancel;
        }
        Locked lock(m_lock);
        m_running.clear();
        --m_unfinished;
        WorkPiece* posted = piece.release();
        if (m_stopping || !PostMessageW(m_window, m_message, 0, reinterpret_cast<LPARAM>(posted))) {
            delete posted;
        }
    }
}
