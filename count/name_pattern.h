#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lw {

// A wildcard pattern of a directory search, matched against entry names exactly as fnmatch with
// no flags matches them in the current locale. Patterns of literal characters and '*' alone,
// which is nearly every pattern a user types, are matched byte by byte where the locale's
// character set allows it; the library's matcher, which in a multi-byte locale converts pattern
// and name to wide characters for every call, is left the rest.
class NamePattern {
  public:
    explicit NamePattern(std::string pattern);

    bool matches(const char* name) const;
    bool matches(const std::string& name) const;
    // `name[length]` is the NUL that ends the name.
    bool matches(const char* name, std::size_t length) const;

  private:
    enum class Kind : unsigned char { Library, Suffix, Segments };

    bool matchesBytes(std::string_view name) const;
    bool matchesSegments(std::string_view name) const;

    std::string pattern_;
    Kind kind_ = Kind::Library;
    std::vector<std::string> segments_;  // the literal text between the '*'s, empty ones included
};

}  // namespace lw
