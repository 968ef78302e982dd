#include "count/parallel_file_counter.h"

namespace lw {

ParallelFileCounter::ParallelFileCounter(FileSystem& fileSystem, const CodePage& codePage,
                                         unsigned workers)
    : fileSystem_(fileSystem), codePage_(codePage) {
    // The thread that takes the outcomes counts too while it would otherwise wait, so it is one
    // of the `workers`: fewer hand-offs between threads, and still at most `workers` open files.
    const unsigned helpers = workers > 1 ? workers - 1 : 0;
    threads_.reserve(helpers);
    for (unsigned i = 0; i < helpers; ++i) {
        threads_.emplace_back([this] { work(); });
    }
}

ParallelFileCounter::~ParallelFileCounter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    jobAvailable_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void ParallelFileCounter::upcoming(const std::vector<std::string>& fullPaths) {
    if (fullPaths.empty()) {
        return;
    }
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        for (const std::string& path : fullPaths) {
            jobs_.push_back(Job{path, {}, false});
        }
        // Waking a thread costs far more than a job's hand-off; a busy worker finds the new jobs
        // by itself.
        wake = idleWorkers_ > 0;
    }
    if (wake) {
        jobAvailable_.notify_all();
    }
}

FileOutcome ParallelFileCounter::count(const std::string& fullPath) {
    std::unique_lock lock(mutex_);
    if (jobs_.empty() || jobs_.front().fullPath != fullPath) {
        // Not announced in this order: count it here rather than hand back another file's result.
        lock.unlock();
        return countFile(fileSystem_, codePage_, fullPath);
    }
    while (!jobs_.front().done) {
        if (nextToStart_ < jobs_.size()) {
            runJob(lock, jobs_[nextToStart_++]);
        } else {
            runWaiting_ = true;
            jobDone_.wait(lock);
            runWaiting_ = false;
        }
    }
    const FileOutcome outcome = jobs_.front().outcome;
    jobs_.pop_front();
    --nextToStart_;
    return outcome;
}

void ParallelFileCounter::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        while (!stopping_ && nextToStart_ == jobs_.size()) {
            ++idleWorkers_;
            jobAvailable_.wait(lock);
            --idleWorkers_;
        }
        if (stopping_) {
            return;
        }
        runJob(lock, jobs_[nextToStart_++]);
    }
}

void ParallelFileCounter::runJob(std::unique_lock<std::mutex>& lock, Job& job) {
    // A deque keeps references to its elements while others are added or taken from the front,
    // and count() never takes a job that is not done.
    const std::string path = job.fullPath;
    lock.unlock();
    const FileOutcome outcome = countFile(fileSystem_, codePage_, path);
    lock.lock();
    job.outcome = outcome;
    job.done = true;
    // The run waits only for the oldest job; waking it for any other would be wasted.
    if (runWaiting_ && &job == &jobs_.front()) {
        jobDone_.notify_one();
    }
}

}  // namespace lw
