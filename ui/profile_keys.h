#pragma once

// Where the window keeps its settings in the application profile: the company key that the
// start-up sets, the one section, and its values.

namespace lw {

inline constexpr char kCompanyKey[] = "Ferrowick";
inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kExtensionsKey[] = "Extensions";
inline constexpr char kLastDirectoryKey[] = "LastDirectory";
inline constexpr char kRecurseKey[] = "Recurse";

}  // namespace lw
