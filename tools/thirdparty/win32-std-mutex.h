// Forced into every source file of the cross-built HEVC and HEIF libraries. They lock a
// std::mutex around library set-up and file reads, which MinGW's win32 thread model (the
// one the program links, needing no pthread library) does not define. This mutex spins on
// an atomic flag and gives its time slice away while another thread holds it; the
// sections it guards are a few statements long.
#pragma once
#include <atomic>
#include <mutex>

#if !defined(_GLIBCXX_HAS_GTHREADS)
extern "C" __declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);

namespace std {
class mutex {
  public:
    constexpr mutex() noexcept = default;
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;

    void lock() noexcept {
        while (m_held.exchange(true, std::memory_order_acquire)) {
            Sleep(0);
        }
    }
    bool try_lock() noexcept { return !m_held.exchange(true, std::memory_order_acquire); }
    void unlock() noexcept { m_held.store(false, std::memory_order_release); }

  private:
    std::atomic<bool> m_held{false};
};
} // namespace std
#endif
