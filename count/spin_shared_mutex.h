#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace lw {

// A reader-writer lock for sections that last about one system call. A thread that must wait
// spins a little and then yields its processor instead of sleeping in the kernel: a sleep and a
// wake-up cost several times such a section, and with every worker opening files under the shared
// lock while another takes it exclusively now and then, sleeping made thousands of them a run.
// A waiting writer keeps new readers out, so that a stream of them cannot starve it.
// Meets the standard's SharedMutex requirements for std::unique_lock and std::shared_lock.
class SpinSharedMutex {
  public:
    void lock() {
        // First the writer's bit, which turns readers away, then the readers still inside leave.
        for (unsigned spins = 0;; ++spins) {
            std::uint32_t state = state_.load(std::memory_order_relaxed);
            if ((state & kWriter) == 0 &&
                state_.compare_exchange_weak(state, state | kWriter, std::memory_order_acquire)) {
                break;
            }
            pause(spins);
        }
        for (unsigned spins = 0; state_.load(std::memory_order_acquire) != kWriter; ++spins) {
            pause(spins);
        }
    }
    void unlock() { state_.store(0, std::memory_order_release); }

    void lock_shared() {
        for (unsigned spins = 0;; ++spins) {
            std::uint32_t state = state_.load(std::memory_order_relaxed);
            if ((state & kWriter) == 0 &&
                state_.compare_exchange_weak(state, state + 1, std::memory_order_acquire)) {
                return;
            }
            pause(spins);
        }
    }
    void unlock_shared() { state_.fetch_sub(1, std::memory_order_release); }

  private:
    static constexpr std::uint32_t kWriter = 0x80000000u;

    static void pause(unsigned spins) {
        // The holder is on another processor most of the time; when it is not (more threads
        // than processors), yielding lets it run.
        if (spins < 64) {
#if defined(__x86_64__) || defined(__i386__)
            _mm_pause();
#endif
        } else {
            std::this_thread::yield();
        }
    }

    std::atomic<std::uint32_t> state_{0};  // the writer's bit and the number of readers inside
};

}  // namespace lw
