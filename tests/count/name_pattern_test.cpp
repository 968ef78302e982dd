#include <fnmatch.h>

#include <clocale>
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

}  // namespace
}  // namespace lw
