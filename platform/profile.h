#pragma once

#include <string>

namespace lw {

// The per-user application profile: company key, application key (the executable's name),
// section, value, in the platform's own store for user settings. Never throws; a corrupt or
// unreadable store reads as empty.
class Profile {
  public:
    static void SetCompanyKey(const std::string& company);

    // The stored text (an empty stored text gives the empty text), or the default when absent.
    static std::string GetString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue);
    // The stored integer, or the default when absent or not an integer.
    static int GetInt(const std::string& section, const std::string& key, int defaultValue);

    static void WriteString(const std::string& section, const std::string& key,
                            const std::string& value);
    static void WriteInt(const std::string& section, const std::string& key, int value);
};

}  // namespace lw
