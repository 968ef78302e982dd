#include "count/spin_shared_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

namespace lw {
namespace {

// Writers and readers at once, more threads than most machines have processors, so that holders
// are preempted too: no reader sees a writer inside, and no writer's increment is lost.
TEST(SpinSharedMutex, WritersExcludeEveryoneAndReadersOnlyWriters) {
    SpinSharedMutex mutex;
    long counter = 0;  // written under the exclusive lock only
    std::atomic<int> writersInside{0};
    std::atomic<int> readersInside{0};
    std::atomic<bool> fault{false};
    constexpr int kThreads = 6;
    constexpr int kRounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                if ((i + t) % 3 == 0) {
                    const std::unique_lock lock(mutex);
                    if (writersInside.fetch_add(1) != 0 || readersInside.load() != 0) {
                        fault = true;
                    }
                    ++counter;
                    writersInside.fetch_sub(1);
                } else {
                    const std::shared_lock lock(mutex);
                    readersInside.fetch_add(1);
                    if (writersInside.load() != 0) {
                        fault = true;
                    }
                    readersInside.fetch_sub(1);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_FALSE(fault.load());
    long expected = 0;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kRounds; ++i) {
            expected += (i + t) % 3 == 0;
        }
    }
    EXPECT_EQ(counter, expected);
}

}  // namespace
}  // namespace lw
