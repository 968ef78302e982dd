#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "count/code_page.h"
#include "count/count_run.h"
#include "count/file_system.h"

namespace lw {

// Counts the announced matches ahead on a fixed set of worker threads, while the count run takes
// the outcomes one by one in its own order. Each worker holds at most one open file, so no more
// than `workers` files are open at once.
class ParallelFileCounter final : public FileCounter {
  public:
    ParallelFileCounter(FileSystem& fileSystem, const CodePage& codePage, unsigned workers);
    ~ParallelFileCounter() override;
    ParallelFileCounter(const ParallelFileCounter&) = delete;
    ParallelFileCounter& operator=(const ParallelFileCounter&) = delete;

    void upcoming(const std::vector<std::string>& fullPaths) override;
    FileOutcome count(const std::string& fullPath) override;
    bool countsAhead() const override { return true; }

  private:
    struct Job {
        std::string fullPath;
        FileOutcome outcome;
        bool done = false;
    };

    void work();
    // Counts one claimed job with the lock released; called with the lock held.
    void runJob(std::unique_lock<std::mutex>& lock, Job& job);

    FileSystem& fileSystem_;
    CodePage codePage_;
    std::mutex mutex_;
    std::condition_variable jobAvailable_;
    std::condition_variable jobDone_;
    std::deque<Job> jobs_;         // announced and not yet taken by count(), in run order
    std::size_t nextToStart_ = 0;  // index into jobs_ of the first job no worker has begun
    bool stopping_ = false;
    unsigned idleWorkers_ = 0;  // workers waiting for a job
    bool runWaiting_ = false;   // count() waits for the oldest job to be done
    std::vector<std::thread> threads_;
};

// The number of workers a run uses unless told otherwise: the processors this process may run on.
unsigned defaultWorkerCount();

}  // namespace lw
