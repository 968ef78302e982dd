// The floor under a count of a tree: walk it (readdir, d_type, no stat), pick the names that end
// as the default patterns ask, and open, read every byte of and close each of those files, with
// the reader's buffer (its size, and its place in a page); on one thread, or on N that share the
// directories still to read.
// Usage: walk_read_floor [-j N] DIR. Prints the number of files and bytes.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "count/line_source.h"

namespace {

bool wanted(std::string_view name) {
    for (const std::string_view suffix : {".c", ".cpp", ".h", ".hxx", ".cxx", ".inl"}) {
        if (name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix) {
            return true;
        }
    }
    return false;
}

std::mutex mutex;
std::condition_variable available;
std::vector<std::string> pending;  // directories found and not yet read
std::size_t unfinished = 0;        // directories found and not yet read to the end
unsigned long long files = 0;
unsigned long long bytes = 0;

void work() {
    const lw::ReadBuffer buffer(lw::FileLineSource::kDefaultBufferSize);
    unsigned long long myFiles = 0;
    unsigned long long myBytes = 0;
    std::unique_lock lock(mutex);
    for (;;) {
        available.wait(lock, [] { return !pending.empty() || unfinished == 0; });
        if (pending.empty()) {
            break;
        }
        const std::string directory = std::move(pending.back());
        pending.pop_back();
        lock.unlock();
        std::vector<std::string> found;
        if (DIR* dir = ::opendir(directory.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const char* name = entry->d_name;
                if (entry->d_type == DT_DIR) {
                    if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
                        found.push_back(directory + "/" + name);
                    }
                    continue;
                }
                if (!wanted(name)) {
                    continue;
                }
                const int fd = ::openat(::dirfd(dir), name, O_RDONLY | O_CLOEXEC);
                if (fd < 0) {
                    continue;
                }
                ssize_t got = 0;
                while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) {
                    myBytes += static_cast<unsigned long long>(got);
                }
                ::close(fd);
                ++myFiles;
            }
            ::closedir(dir);
        }
        lock.lock();
        unfinished += found.size();
        --unfinished;
        for (std::string& path : found) {
            pending.push_back(std::move(path));
        }
        available.notify_all();
    }
    files += myFiles;
    bytes += myBytes;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned threads = 1;
    int arg = 1;
    if (argc == 4 && std::strcmp(argv[1], "-j") == 0) {
        threads = static_cast<unsigned>(std::max(1, std::atoi(argv[2])));
        arg = 3;
    }
    if (argc != arg + 1) {
        std::fprintf(stderr, "usage: walk_read_floor [-j N] DIR\n");
        return 2;
    }
    pending.emplace_back(argv[arg]);
    unfinished = 1;
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads; ++i) {
        helpers.emplace_back(work);
    }
    work();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    std::printf("%llu files, %llu bytes\n", files, bytes);
    return 0;
}
