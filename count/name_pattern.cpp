#include "count/name_pattern.h"

#include <fnmatch.h>
#include <langinfo.h>

#include <cstdlib>
#include <cstring>

namespace lw {

namespace {

// Whether a byte below 0x80 is always a whole character of the locale's character set, so that
// the literal ASCII bytes of a pattern can only match whole characters of a name. True of UTF-8
// and of every single-byte set; not of Shift_JIS and its kind, whose trail bytes include letters.
bool asciiIsAlwaysWhole() {
    if (MB_CUR_MAX == 1) {
        return true;
    }
    const char* codeset = ::nl_langinfo(CODESET);
    return codeset != nullptr &&
           (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

NamePattern::NamePattern(std::string pattern) : pattern_(std::move(pattern)) {
    for (const char c : pattern_) {
        // '?', '[' and '\' need the character-aware matcher, and so does any byte that may
        // belong to a multi-byte character.
        if (c == '?' || c == '[' || c == '\\' || static_cast<unsigned char>(c) >= 0x80) {
            return;
        }
    }
    if (!asciiIsAlwaysWhole()) {
        return;
    }
    kind_ = Kind::Segments;
    std::size_t from = 0;
    for (;;) {
        const std::size_t star = pattern_.find('*', from);
        segments_.push_back(pattern_.substr(from, star - from));
        if (star == std::string::npos) {
            break;
        }
        from = star + 1;
    }
    // "*.c" and its kind, the patterns nearly every run has: one compare of the name's end.
    if (segments_.size() == 2 && segments_.front().empty()) {
        kind_ = Kind::Suffix;
    }
}

bool NamePattern::matches(const char* name) const {
    if (kind_ == Kind::Library) {
        return ::fnmatch(pattern_.c_str(), name, 0) == 0;
    }
    return matchesBytes(name);
}

bool NamePattern::matches(const std::string& name) const {
    return matches(name.c_str(), name.size());
}

bool NamePattern::matches(const char* name, std::size_t length) const {
    if (kind_ == Kind::Library) {
        return ::fnmatch(pattern_.c_str(), name, 0) == 0;
    }
    return matchesBytes(std::string_view(name, length));
}

bool NamePattern::matchesBytes(std::string_view name) const {
    if (kind_ == Kind::Suffix) {
        const std::string& suffix = segments_.back();
        return name.size() >= suffix.size() &&
               std::memcmp(name.data() + name.size() - suffix.size(), suffix.data(),
                           suffix.size()) == 0;
    }
    return matchesSegments(name);
}

bool NamePattern::matchesSegments(std::string_view name) const {
    const std::string& first = segments_.front();
    if (segments_.size() == 1) {
        return name == first;
    }
    const std::string& last = segments_.back();
    if (name.size() < first.size() + last.size() || !name.starts_with(first) ||
        !name.ends_with(last)) {
        return false;
    }
    // Each middle segment at its first place after the one before: taking the earliest match
    // leaves the most room to the rest, so no other choice can succeed where this one fails.
    std::size_t at = first.size();
    const std::size_t end = name.size() - last.size();
    for (std::size_t i = 1; i + 1 < segments_.size(); ++i) {
        const std::string& segment = segments_[i];
        const std::size_t found = name.substr(0, end).find(segment, at);
        if (found == std::string_view::npos) {
            return false;
        }
        at = found + segment.size();
    }
    return true;
}

}  // namespace lw
