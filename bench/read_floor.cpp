// The floor under any counter: open, read every byte and close every file of a tree, on one
// thread, with the reader's buffer (its size and place). Prints the number of files and bytes.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "count/line_source.h"

namespace {

const lw::ReadBuffer buffer(lw::FileLineSource::kDefaultBufferSize);
unsigned long long files = 0;
unsigned long long bytes = 0;

void readTree(const std::string& directory) {
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string path = directory + "/" + name;
        if (entry->d_type == DT_DIR) {
            readTree(path);
            continue;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        ssize_t got = 0;
        while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) {
            bytes += static_cast<unsigned long long>(got);
        }
        ::close(fd);
        ++files;
    }
    ::closedir(dir);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_floor DIR\n");
        return 2;
    }
    readTree(argv[1]);
    std::printf("%llu files, %llu bytes\n", files, bytes);
    return 0;
}
