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
// the outcomes one by one in its own order. A worker takes several waiting matches at a time and
// counts them one after the other: it holds at most one open file, so no more than `workers`
// files are open at once. Over a file system that can be searched from several
// threads, the workers do the run's searches too, ahead of the run and in any order; the run
// still takes each directory's searches, and then the outcomes of their matches, in its order.
class ParallelFileCounter final : public FileCounter {
  public:
    ParallelFileCounter(FileSystem& fileSystem, const CodePage& codePage, unsigned workers);
    ~ParallelFileCounter() override;
    ParallelFileCounter(const ParallelFileCounter&) = delete;
    ParallelFileCounter& operator=(const ParallelFileCounter&) = delete;

    void upcoming(const std::vector<std::string>& fullPaths) override;
    FileOutcome count(const std::string& fullPath) override;
    bool countsAhead() const override { return true; }
    bool searchesAhead() const override { return fileSystem_.searchesInParallel(); }
    void searchAll(std::vector<std::string> entries, std::vector<std::string> patterns) override;
    std::vector<SearchResult> searched(std::size_t entry) override;

  private:
    struct Job {
        std::string fullPath;
        FileOutcome outcome;
        bool done = false;
    };
    // The searches of one directory entry, one per pattern.
    struct Searches {
        std::vector<SearchResult> results;
        bool done = false;
    };

    void work();
    // Takes the unlocked `lock`.
    void take(std::unique_lock<std::mutex>& lock);
    // Does one piece of work, with the lock released while it lasts; false when there is none.
    // Called with the lock held.
    bool runSomething(std::unique_lock<std::mutex>& lock);
    // Counts the next `count` jobs, at most kMostJobsAtOnce.
    void runJobs(std::unique_lock<std::mutex>& lock, std::size_t count);
    void runSearches(std::unique_lock<std::mutex>& lock, std::size_t entry);
    // Turns the matches of the searches done, in run order, into jobs; called with the lock held.
    void release();

    FileSystem& fileSystem_;
    CodePage codePage_;
    const std::size_t workers_;
    std::mutex mutex_;
    std::condition_variable jobAvailable_;
    std::condition_variable jobDone_;
    std::deque<Job> jobs_;         // announced and not yet taken by count(), in run order
    std::size_t nextToStart_ = 0;  // index into jobs_ of the first job no worker has begun
    // Of the run that searchAll() began; the entries and patterns do not change during it.
    std::vector<std::string> entries_;
    std::vector<std::string> patterns_;
    std::vector<Searches> searches_;
    std::size_t nextSearch_ = 0;  // the first entry whose searches no worker has begun
    std::size_t released_ = 0;    // the first entry whose matches are not jobs yet
    std::size_t matchesUnreleased_ = 0;
    bool stopping_ = false;
    unsigned idleWorkers_ = 0;  // workers waiting for work
    bool runWaiting_ = false;   // count() or searched() waits
    std::vector<std::thread> threads_;
};

// The number of workers a run uses unless told otherwise: the processors this process may run on.
unsigned defaultWorkerCount();

}  // namespace lw
