#include <windows.h>

#include <algorithm>
#include <limits>
#include <optional>

#include "count/file_system.h"
#include "count/path_text.h"
#include "count/windows_error.h"

namespace lw {

std::string windowsErrorText(unsigned long error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length > 0 ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason.empty() ? "error " + std::to_string(error) : reason;
}

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
            error_ = GetLastError();
            return -1;
        }
        return static_cast<ssize_t>(got);
    }

    std::string readFailure() const override { return windowsErrorText(error_); }

  private:
    HANDLE handle_;
    DWORD error_ = ERROR_SUCCESS;
};

// Closes the search on every way out.
class FindHandle {
  public:
    FindHandle(const std::string& searchPath, WIN32_FIND_DATAA& data)
        : handle_(findFirst(searchPath, data)),
          error_(handle_ == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            FindClose(handle_);
        }
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // The next entry; false at the end of the search or on a failure, which failure() then tells.
    bool next(WIN32_FIND_DATAA& data) {
        if (FindNextFileA(handle_, &data) != FALSE) {
            return true;
        }
        error_ = GetLastError();
        return false;
    }

    // Why the search did not begin or did not go on; none when it ended normally, or when it
    // found nothing in a directory that exists (ERROR_FILE_NOT_FOUND from FindFirstFileA).
    std::optional<std::string> failure() const {
        if (error_ == ERROR_SUCCESS || error_ == ERROR_NO_MORE_FILES ||
            (!isOpen() && error_ == ERROR_FILE_NOT_FOUND)) {
            return std::nullopt;
        }
        return windowsErrorText(error_);
    }

  private:
    // Without the short names, which nothing here reads (the patterns still match them), and in
    // larger batches from the system. A system older than these options refuses them as an
    // invalid parameter; it gets the plain search.
    static HANDLE findFirst(const std::string& searchPath, WIN32_FIND_DATAA& data) {
        const HANDLE handle =
            FindFirstFileExA(searchPath.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                             nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER) {
            return FindFirstFileA(searchPath.c_str(), &data);
        }
        return handle;
    }

    HANDLE handle_;
    DWORD error_;
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
    SearchResult enumerate(const std::string& searchPath) override {
        SearchResult result;
        WIN32_FIND_DATAA data;
        FindHandle search(searchPath, data);
        if (search.isOpen()) {
            const std::string directory = searchedDirectory(searchPath);
            do {
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                    result.paths.push_back(directory + data.cFileName);
                }
            } while (search.next(data));
        }
        result.failure = search.failure();
        return result;
    }

    OpenResult openForReading(const std::string& fullPath) override {
        // Shared for writing and deleting too, so that a file another program holds open is
        // still counted, and counting never stands in that program's way.
        const HANDLE handle = CreateFileA(
            fullPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return {nullptr, windowsErrorText(GetLastError())};
        }
        // A name such as "CON.c" or "NUL.c" opens a device, which could block or never end.
        if (GetFileType(handle) != FILE_TYPE_DISK) {
            CloseHandle(handle);
            return {nullptr, kNotARegularFile};
        }
        return {std::make_unique<Win32ReadableFile>(handle), {}};
    }

    SearchResult subdirectories(const std::string& directory) override {
        // A search path of MAX_PATH bytes or more fails as the system refuses it to a program
        // that does not declare itself long-path aware; that also bounds the depth of a walk.
        const std::string searchPath = directory + kSeparator + "*.*";
        SearchResult result;
        WIN32_FIND_DATAA data;
        FindHandle search(searchPath, data);
        if (search.isOpen()) {
            const std::string absolute = searchedDirectory(searchPath);
            do {
                // Junctions and directory links are neither listed nor entered, so a cycle of
                // them cannot make a walk endless.
                const DWORD attributes = data.dwFileAttributes;
                if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                    (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
                    !isDotOrDotDot(data.cFileName)) {
                    result.paths.push_back(absolute + data.cFileName);
                }
            } while (search.next(data));
        }
        result.failure = search.failure();
        return result;
    }

    std::string absolutePath(const std::string& path) override {
        return fullPathName(path.empty() ? std::string(".") : path, nullptr);
    }

    // Every operation is the system's own, with nothing kept between calls.
    bool searchesInParallel() const override { return true; }
};

}  // namespace

FileSystem& systemFileSystem() {
    static Win32FileSystem instance;
    return instance;
}

// Handles have no per-process limit of the kind POSIX descriptors have.
std::size_t openFileBudget() {
    return std::numeric_limits<std::size_t>::max();
}

// The system matches the patterns itself, long and short (8.3) names alike, which a listing of
// the long names could not reproduce; and no descriptors are scarce. So every search is the
// system's own, as in systemFileSystem().
std::unique_ptr<FileSystem> makeListingFileSystem(std::size_t /*keepOpen*/) {
    return std::make_unique<Win32FileSystem>();
}

}  // namespace lw
