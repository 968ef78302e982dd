#include "count/parallel_file_counter.h"

#include <algorithm>
#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace lw {

namespace {

// How many matches the workers may know of ahead of the run before they search no further:
// enough to keep them busy across directories of few files each, few enough that the paths held
// cost little memory.
constexpr std::size_t kMatchesAhead = 4096;

// The most jobs a worker takes in one turn of the lock. The lock was taken three times for each
// file, by threads on different processors; taking several jobs, and giving back their outcomes,
// in one turn saves most of that.
constexpr std::size_t kMostJobsAtOnce = 16;

// How often a thread tries for the lock before it sleeps until it is free: some microseconds.
constexpr int kSpinsBeforeSleep = 200;

}  // namespace

// The sections under the lock are short, and a thread that sleeps on it is woken by a system call
// and wakes later than the lock came free, on another processor that may have halted meanwhile:
// a little spinning first spares most of those sleeps.
void ParallelFileCounter::take(std::unique_lock<std::mutex>& lock) {
    for (int spin = 0; spin < kSpinsBeforeSleep; ++spin) {
        if (lock.try_lock()) {
            return;
        }
#if defined(__x86_64__) || defined(__i386__)
        _mm_pause();
#endif
    }
    lock.lock();
}

ParallelFileCounter::ParallelFileCounter(FileSystem& fileSystem, const CodePage& codePage,
                                         unsigned workers)
    : fileSystem_(fileSystem), codePage_(codePage), workers_(workers > 0 ? workers : 1) {
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

void ParallelFileCounter::searchAll(std::vector<std::string> entries,
                                    std::vector<std::string> patterns) {
    {
        const std::lock_guard lock(mutex_);
        searches_.clear();
        searches_.resize(entries.size());
        entries_ = std::move(entries);
        patterns_ = std::move(patterns);
        nextSearch_ = 0;
        released_ = 0;
        matchesUnreleased_ = 0;
    }
    jobAvailable_.notify_all();
}

std::vector<SearchResult> ParallelFileCounter::searched(std::size_t entry) {
    std::unique_lock lock(mutex_, std::defer_lock);
    take(lock);
    while (released_ <= entry) {
        if (!runSomething(lock)) {
            runWaiting_ = true;
            jobDone_.wait(lock);
            runWaiting_ = false;
        }
    }
    return std::move(searches_[entry].results);
}

FileOutcome ParallelFileCounter::count(const std::string& fullPath) {
    std::unique_lock lock(mutex_, std::defer_lock);
    take(lock);
    if (jobs_.empty() || jobs_.front().fullPath != fullPath) {
        // Not announced in this order: count it here rather than hand back another file's result.
        lock.unlock();
        return countFile(fileSystem_, codePage_, fullPath);
    }
    while (!jobs_.front().done) {
        if (!runSomething(lock)) {
            runWaiting_ = true;
            jobDone_.wait(lock);
            runWaiting_ = false;
        }
    }
    const FileOutcome outcome = std::move(jobs_.front().outcome);
    jobs_.pop_front();
    --nextToStart_;
    return outcome;
}

void ParallelFileCounter::work() {
    std::unique_lock lock(mutex_, std::defer_lock);
    take(lock);
    while (!stopping_) {
        if (!runSomething(lock)) {
            ++idleWorkers_;
            jobAvailable_.wait(lock);
            --idleWorkers_;
        }
    }
}

bool ParallelFileCounter::runSomething(std::unique_lock<std::mutex>& lock) {
    const bool jobWaiting = nextToStart_ < jobs_.size();
    // Searching ahead comes first while few matches are known, so that the files of the next
    // directories are ready when those before them are done; past that, counting does.
    if (nextSearch_ < searches_.size() &&
        (!jobWaiting || jobs_.size() + matchesUnreleased_ < kMatchesAhead)) {
        runSearches(lock, nextSearch_++);
        return true;
    }
    if (jobWaiting) {
        // Never more than a fair share of what waits, so that no worker sits idle while another
        // still holds jobs it has not begun, at the end of a run above all.
        const std::size_t waiting = jobs_.size() - nextToStart_;
        runJobs(lock, std::clamp<std::size_t>(waiting / (2 * workers_), 1, kMostJobsAtOnce));
        return true;
    }
    return false;
}

void ParallelFileCounter::runJobs(std::unique_lock<std::mutex>& lock, std::size_t count) {
    // A deque keeps references to its elements while others are added or taken from the front,
    // and count() never takes a job that is not done, so the paths can be read without the lock
    // and without a copy: nobody writes them once the jobs are queued.
    std::array<Job*, kMostJobsAtOnce> jobs{};
    for (std::size_t i = 0; i < count; ++i) {
        jobs[i] = &jobs_[nextToStart_++];
    }
    lock.unlock();
    // One after the other: a worker holds one file open at a time.
    std::array<FileOutcome, kMostJobsAtOnce> outcomes;
    for (std::size_t i = 0; i < count; ++i) {
        outcomes[i] = countFile(fileSystem_, codePage_, jobs[i]->fullPath);
    }
    take(lock);
    bool oldest = false;
    for (std::size_t i = 0; i < count; ++i) {
        jobs[i]->outcome = std::move(outcomes[i]);
        jobs[i]->done = true;
        oldest = oldest || jobs[i] == &jobs_.front();
    }
    // The run waits only for the oldest job; waking it for any other would be wasted.
    if (runWaiting_ && oldest) {
        jobDone_.notify_one();
    }
}

void ParallelFileCounter::runSearches(std::unique_lock<std::mutex>& lock, std::size_t entry) {
    // Nobody changes the entries and the patterns during a run, so they are read unlocked.
    const std::string& directory = entries_[entry];
    lock.unlock();
    std::vector<SearchResult> results = fileSystem_.enumerateEach(directory, patterns_);
    std::size_t matches = 0;
    for (const SearchResult& result : results) {
        matches += result.paths.size();
    }
    take(lock);
    searches_[entry].results = std::move(results);
    searches_[entry].done = true;
    matchesUnreleased_ += matches;
    release();
}

void ParallelFileCounter::release() {
    const std::size_t before = jobs_.size();
    const std::size_t releasedBefore = released_;
    while (released_ < searches_.size() && searches_[released_].done) {
        for (const SearchResult& result : searches_[released_].results) {
            for (const std::string& path : result.paths) {
                jobs_.push_back(Job{path, {}, false});
            }
            matchesUnreleased_ -= result.paths.size();
        }
        ++released_;
    }
    if (jobs_.size() > before && idleWorkers_ > 0) {
        jobAvailable_.notify_all();
    }
    if (released_ > releasedBefore && runWaiting_) {
        jobDone_.notify_one();
    }
}

}  // namespace lw
