#include "count/path_text.h"

#include <vector>

namespace lw {

std::string RemoveTrailingSeparators(std::string text, const CodePage& codePage, char separator) {
    std::size_t runStart = std::string::npos;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = codePage.charLength(text, pos);
        if (length == 1 && text[pos] == separator) {
            if (runStart == std::string::npos) {
                runStart = pos;
            }
        } else {
            runStart = std::string::npos;
        }
        pos += length;
    }
    if (runStart != std::string::npos) {
        text.resize(runStart);
    }
    return text;
}

namespace {

// Whether an absolute path is already in the form lexicallyAbsolute gives: no empty or "."
// component and no separator at the end, but for the root itself.
bool isLexicallyAbsolute(std::string_view path) {
    if (path.empty() || path.front() != kSeparator) {
        return false;
    }
    if (path.size() == 1) {
        return true;
    }
    std::size_t start = 1;  // of the current component
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == kSeparator) {
            const std::size_t length = pos - start;
            if (length == 0 || (length == 1 && path[start] == '.')) {
                return false;
            }
            start = pos + 1;
        }
    }
    return true;
}

}  // namespace

std::string lexicallyAbsolute(std::string_view path, std::string_view workingDirectory) {
    // Every search and walk step asks this of a path that is nearly always in that form already.
    if (isLexicallyAbsolute(path)) {
        return std::string(path);
    }
    std::vector<std::string_view> components;
    const auto collect = [&components](std::string_view text) {
        std::size_t pos = 0;
        while (pos <= text.size()) {
            std::size_t next = text.find(kSeparator, pos);
            if (next == std::string_view::npos) {
                next = text.size();
            }
            const std::string_view component = text.substr(pos, next - pos);
            if (!component.empty() && component != ".") {
                components.push_back(component);
            }
            pos = next + 1;
        }
    };
    if (path.empty() || path.front() != kSeparator) {
        collect(workingDirectory);
    }
    collect(path);

    std::string result;
    result.reserve(path.size() + workingDirectory.size() + 1);
    for (const std::string_view component : components) {
        result += kSeparator;
        result += component;
    }
    if (result.empty()) {
        result = kSeparator;
    }
    return result;
}

std::string searchPathOf(std::string_view entry, std::string_view pattern) {
    std::string searchPath;
    searchPath.reserve(entry.size() + 1 + pattern.size());
    searchPath += entry;
    searchPath += kSeparator;
    searchPath += pattern;
    return searchPath;
}

std::string searchDirectory(std::string_view searchPath) {
    const std::size_t last = searchPath.rfind(kSeparator);
    if (last == std::string_view::npos) {
        return ".";
    }
    if (last == 0) {
        return std::string(1, kSeparator);
    }
    return std::string(searchPath.substr(0, last));
}

std::string joinPath(std::string_view directory, std::string_view name) {
    std::string result(directory);
    if (result.empty() || result.back() != kSeparator) {
        result += kSeparator;
    }
    result += name;
    return result;
}

bool isFullPath(std::string_view path) {
    if (!path.empty() && path.front() == kSeparator) {
        return true;
    }
#if defined(_WIN32)
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return path.size() >= 2 && isLetter(path[0]) && path[1] == ':';
#else
    return false;
#endif
}

std::string relativePath(const std::string& fullPath, const std::string& basePath) {
    if (!basePath.empty() && fullPath.size() > basePath.size() &&
        fullPath.compare(0, basePath.size(), basePath) == 0) {
        return fullPath.substr(basePath.size());
    }
    return fullPath;
}

}  // namespace lw
