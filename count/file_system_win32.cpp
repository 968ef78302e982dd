#include <windows.h>

#include <algorithm>

#include "count/file_system.h"
#include "count/path_text.h"

namespace lw {

namespace {

class Win32ReadableFile final : public ReadableFile {
  public:
    explicit Win32ReadableFile(HANDLE handle) : handle_(handle) {}
    ~Win32ReadableFile() override { CloseHandle(handle_); }
    Win32ReadableFile(const Win32ReadableFile&) = delete;
    Win32ReadableFile& operator=(const Win32ReadableFile&) = delete;

    ssize_t read(char* buffer, std::size_t size) override {
        // One ReadFile takes a DWORD; the line source asks for a large block, never for 4 GiB.
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD got = 0;
        if (ReadFile(handle_, buffer, wanted, &got, nullptr) == FALSE) {
            return -1;
        }
        return static_cast<ssize_t>(got);
    }

  private:
    HANDLE handle_;
};

// Closes the search on every way out.
class FindHandle {
  public:
    FindHandle(const std::string& searchPath, WIN32_FIND_DATAA& data)
        : handle_(FindFirstFileA(searchPath.c_str(), &data)) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            FindClose(handle_);
        }
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAA& data) { return FindNextFileA(handle_, &data) != FALSE; }

  private:
    HANDLE handle_;
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// GetFullPathNameA of `path`, and where its last component begins (path.size() when none does).
std::string fullPathName(const std::string& path, std::size_t* lastComponent) {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        char* filePart = nullptr;
        const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), &filePart);
        if (length == 0) {
            if (lastComponent != nullptr) {
                *lastComponent = path.size();
            }
            return path;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            if (lastComponent != nullptr) {
                *lastComponent = filePart != nullptr
                                     ? static_cast<std::size_t>(filePart - buffer.data())
                                     : buffer.size();
            }
            return buffer;
        }
        buffer.assign(length, '\0');
    }
}

// The searched directory made absolute, with one separator behind it. The system takes it from
// the whole search path, so "C:" + "\*.c" stands for the root of C:, not its working directory,
// and a pattern holding a '/' searches the directory the system searches.
std::string searchedDirectory(const std::string& searchPath) {
    std::size_t last = 0;
    std::string full = fullPathName(searchPath, &last);
    full.resize(last);
    return joinPath(full, "");
}

class Win32FileSystem final : public FileSystem {
  public:
    // The search path goes to the system as it is: its wildcards and its order, one search per
    // pattern. A matching directory ("." and ".." too) is passed over: it is no file to count.
    std::vector<std::string> enumerate(const std::string& searchPath) override {
        std::vector<std::string> matches;
        WIN32_FIND_DATAA data;
        FindHandle search(searchPath, data);
        if (!search.isOpen()) {
            return matches;
        }
        const std::string directory = searchedDirectory(searchPath);
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                matches.push_back(directory + data.cFileName);
            }
        } while (search.next(data));
        return matches;
    }

    std::unique_ptr<ReadableFile> openForReading(const std::string& fullPath) override {
        // Shared for writing and deleting too, so that a file another program holds open is
        // still counted, and counting never stands in that program's way.
        const HANDLE handle = CreateFileA(
            fullPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return nullptr;
        }
        // A name such as "CON.c" or "NUL.c" opens a device, which could block or never end.
        if (GetFileType(handle) != FILE_TYPE_DISK) {
            CloseHandle(handle);
            return nullptr;
        }
        return std::make_unique<Win32ReadableFile>(handle);
    }

    std::optional<std::vector<std::string>> subdirectories(const std::string& directory) override {
        // A search path of MAX_PATH bytes or more fails as the system refuses it to a program
        // that does not declare itself long-path aware; that also bounds the depth of a walk.
        const std::string searchPath = directory + kSeparator + "*.*";
        WIN32_FIND_DATAA data;
        FindHandle search(searchPath, data);
        if (!search.isOpen()) {
            return std::nullopt;
        }
        const std::string absolute = searchedDirectory(searchPath);
        std::vector<std::string> found;
        do {
            // Junctions and directory links are neither listed nor entered, so a cycle of them
            // cannot make a walk endless.
            const DWORD attributes = data.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
                !isDotOrDotDot(data.cFileName)) {
                found.push_back(absolute + data.cFileName);
            }
        } while (search.next(data));
        if (GetLastError() != ERROR_NO_MORE_FILES) {
            return std::nullopt;
        }
        return found;
    }

    std::string absolutePath(const std::string& path) override {
        return fullPathName(path.empty() ? std::string(".") : path, nullptr);
    }
};

}  // namespace

FileSystem& systemFileSystem() {
    static Win32FileSystem instance;
    return instance;
}

}  // namespace lw
