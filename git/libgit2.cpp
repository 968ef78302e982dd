#define LW_LIBGIT2_LOADER
#include "git/libgit2.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <string>

#include "git/repository.h"

namespace lw::git {

namespace {

// Loads the library and every function once; nullptr and the reason when something is missing.
const Libgit2* load(std::string& failure) {
    static Libgit2 functions;
    // Kept loaded until the process ends: its global state lives that long.
    void* const library = ::dlopen(LINEWRIGHT_LIBGIT2_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = ::dlerror();
        failure = reason != nullptr ? reason : LINEWRIGHT_LIBGIT2_SONAME;
        return nullptr;
    }
#define LW_LIBGIT2_LOAD(name)                                                             \
    functions.name = reinterpret_cast<decltype(functions.name)>(::dlsym(library, #name)); \
    if (functions.name == nullptr) {                                                      \
        failure = std::string(LINEWRIGHT_LIBGIT2_SONAME ": no function ") + #name;        \
        return nullptr;                                                                   \
    }
    LW_LIBGIT2_FUNCTIONS(LW_LIBGIT2_LOAD)
#undef LW_LIBGIT2_LOAD
    return &functions;
}

}  // namespace

const Libgit2& libgit2() {
    // The workers call in parallel; once loaded, a call costs one load of the pointer.
    static std::atomic<const Libgit2*> loaded{nullptr};
    if (const Libgit2* functions = loaded.load(std::memory_order_acquire)) {
        return *functions;
    }
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    if (loaded.load(std::memory_order_relaxed) == nullptr) {
        std::string failure;
        const Libgit2* functions = load(failure);
        if (functions == nullptr) {
            throw GitError("cannot load libgit2: " + failure, false);
        }
        loaded.store(functions, std::memory_order_release);
    }
    return *loaded.load(std::memory_order_relaxed);
}

}  // namespace lw::git
