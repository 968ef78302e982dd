#include "count/subdirectory_walk.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "count/code_page.h"
#include "count/path_text.h"

namespace lw {

namespace {

// Enough to show where a walk went wrong; a failing tree of thousands stays one readable box.
constexpr std::size_t kFailuresShown = 20;

void walk(FileSystem& fileSystem, const std::string& directory,
          const std::function<void(const std::string&)>& append,
          std::vector<SearchFailure>& failures) {
    SearchResult children = fileSystem.subdirectories(directory);
    if (children.failure) {
        failures.push_back({directory, std::move(*children.failure)});
    }
    // Depth is bounded: every level adds at least two bytes to a path that must stay within
    // PATH_MAX, and links to directories are never entered.
    for (const std::string& child : children.paths) {
        append(child);
        walk(fileSystem, child, append, failures);
    }
}

// A directory of a walk and what its search found, filled in by whichever thread searched it.
struct Node {
    std::string path;
    std::optional<std::string> failure;
    std::vector<std::unique_ptr<Node>> children;
};

// Searches the directories of a tree on several threads, each directory once.
class ParallelWalk {
  public:
    ParallelWalk(FileSystem& fileSystem, std::vector<Node*> roots) : fileSystem_(fileSystem) {
        pending_ = roots.size();
        stack_ = std::move(roots);
    }

    void run(unsigned workers) {
        std::vector<std::thread> helpers;
        for (unsigned i = 1; i < workers; ++i) {
            helpers.emplace_back([this] { work(); });
        }
        work();
        for (std::thread& helper : helpers) {
            helper.join();
        }
    }

  private:
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            while (stack_.empty() && pending_ > 0) {
                available_.wait(lock);
            }
            if (pending_ == 0) {
                return;
            }
            // The directory found last first: the tree is taken depth first, so few directories
            // wait to be searched at any time.
            Node* node = stack_.back();
            stack_.pop_back();
            lock.unlock();
            SearchResult found = fileSystem_.subdirectories(node->path);
            node->failure = std::move(found.failure);
            node->children.reserve(found.paths.size());
            for (std::string& path : found.paths) {
                node->children.push_back(std::make_unique<Node>(Node{std::move(path), {}, {}}));
            }
            lock.lock();
            for (auto child = node->children.rbegin(); child != node->children.rend(); ++child) {
                stack_.push_back(child->get());
            }
            pending_ += node->children.size();
            --pending_;
            if (pending_ == 0 || !node->children.empty()) {
                available_.notify_all();
            }
        }
    }

    FileSystem& fileSystem_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::vector<Node*> stack_;  // found and not yet searched
    std::size_t pending_ = 0;   // found and not yet searched to the end
};

void collect(Node& node, Walk& walk) {
    if (node.failure) {
        walk.failures.push_back({node.path, std::move(*node.failure)});
    }
    for (const std::unique_ptr<Node>& child : node.children) {
        walk.subdirectories.push_back(child->path);
        collect(*child, walk);
    }
}

}  // namespace

std::vector<Walk> walkSubdirectoriesOf(FileSystem& fileSystem,
                                       const std::vector<std::string>& directories,
                                       unsigned workers) {
    std::vector<Walk> walks(directories.size());
    if (workers <= 1 || !fileSystem.searchesInParallel()) {
        for (std::size_t i = 0; i < directories.size(); ++i) {
            walks[i].failures = walkSubdirectories(
                fileSystem, directories[i],
                [&](const std::string& p) { walks[i].subdirectories.push_back(p); });
        }
        return walks;
    }
    std::vector<Node> roots;
    roots.reserve(directories.size());
    std::vector<Node*> start;
    for (const std::string& directory : directories) {
        roots.push_back(Node{directory, {}, {}});
    }
    for (auto root = roots.rbegin(); root != roots.rend(); ++root) {
        start.push_back(&*root);
    }
    ParallelWalk(fileSystem, std::move(start)).run(workers);
    for (std::size_t i = 0; i < roots.size(); ++i) {
        collect(roots[i], walks[i]);
    }
    return walks;
}

std::vector<SearchFailure> walkSubdirectories(
    FileSystem& fileSystem, const std::string& directory,
    const std::function<void(const std::string&)>& append) {
    std::vector<SearchFailure> failures;
    walk(fileSystem, directory, append, failures);
    return failures;
}

std::string searchFailureReport(const std::vector<SearchFailure>& failures) {
    std::string text = kFindNextFileMessage;
    text += "\n\n";
    const std::size_t shown = std::min(failures.size(), kFailuresShown);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) {
            text += '\n';
        }
        // The empty entry stands for the root, which an empty line would hide.
        text += failures[i].directory.empty() ? std::string(1, kSeparator) : failures[i].directory;
        text += ": ";
        text += failures[i].reason;
    }
    if (failures.size() > shown) {
        text += '\n';
        text += kEllipsis;
        text += " and " + std::to_string(failures.size() - shown) + " more";
    }
    return text;
}

}  // namespace lw
