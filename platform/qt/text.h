#pragma once

#include <QString>
#include <string>

namespace lw {

// The engine works on bytes in the locale's encoding; Qt on QString. These two are the only
// crossing between them, so that every control shows and returns the same bytes.
QString fromBytes(const std::string& bytes);
std::string toBytes(const QString& text);

}  // namespace lw
