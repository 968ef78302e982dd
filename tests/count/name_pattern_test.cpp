#include <fnmatch.h>

#include <clocale>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "count/name_pattern.h"

namespace lw {
namespace {

// The pattern must agree with the library's matcher on every pair, in each locale the machine
// has: the byte matcher is only a faster way to the same answers.
TEST(NamePattern, AgreesWithFnmatch) {
    const std::vector<std::string> patterns = {
        "*.c",     "*.cpp", "*.h",        "*",     "**",     "a*",   "*a",      "a*a",
        "a*b*c",   "*.*",   "x*.c*",      "abc",   "",       ".*",   "*.c;*.h", "?.c",
        "[ab]*.c", "\\*.c", "*\xc3\xa9*", "\xff*", "*c*c*c", "a**b", "*ab*ab"};
    const std::vector<std::string> names = {
        "a.c",         "a.cpp", "a.c.c",  ".c",  "c",     "",   ".hidden.c", "x\xff.c",
        "\xff.c",      "abc",   "aXbYc",  "acb", "a",     "aa", "aba",       "\xc3\xa9t\xc3\xa9.c",
        "a.C",         "ab",    "ababab", "*.c", "a;b.h", "cc", "ccc",       "name with spaces.h",
        "tab\there.c", "x.cxx"};
    for (const char* locale : {"C", "C.UTF-8"}) {
        if (std::setlocale(LC_ALL, locale) == nullptr) {
            continue;
        }
        for (const std::string& pattern : patterns) {
            const NamePattern compiled(pattern);
            for (const std::string& name : names) {
                EXPECT_EQ(compiled.matches(name.c_str()),
                          ::fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
                    << locale << ": '" << pattern << "' against '" << name << "'";
            }
        }
    }
    std::setlocale(LC_ALL, "C");
}

// Random names and patterns over the characters that matter to a matcher, half of the patterns of
// the "*.ext" shape that nearly every run uses, in both locales.
TEST(NamePattern, AgreesWithFnmatchOnRandomNamesAndPatterns) {
    const std::vector<std::string> pieces = {"a",    "b",  ".",        "c",    "*", "?",
                                             "[ab]", "\\", "\xc3\xa9", "\xff", "[", "]"};
    std::mt19937 random(20261209);
    const auto text = [&](std::size_t most) {
        std::string t;
        const std::size_t length = random() % (most + 1);
        for (std::size_t i = 0; i < length; ++i) {
            t += pieces[random() % pieces.size()];
        }
        return t;
    };
    for (const char* locale : {"C", "C.UTF-8"}) {
        if (std::setlocale(LC_ALL, locale) == nullptr) {
            continue;
        }
        for (int round = 0; round < 400; ++round) {
            const std::string pattern = round % 2 ? "*." + text(3) : text(6);
            const NamePattern compiled(pattern);
            for (int n = 0; n < 50; ++n) {
                std::string name = text(8);
                if (name.empty()) {
                    name = "a";
                }
                ASSERT_EQ(compiled.matches(name), ::fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
                    << locale << ": '" << pattern << "' against '" << name << "'";
                ASSERT_EQ(compiled.matches(name.c_str()), compiled.matches(name));
            }
        }
    }
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace lw
