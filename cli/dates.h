#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lw::cli {

// Seconds since 1970-01-01T00:00:00Z of an ISO 8601 date: "2024-01-31" (its midnight),
// "2024-01-31T12:30" or "2024-01-31 12:30:15" (a space for the T), each optionally followed by
// "Z" or an offset "+02:00", "-0500", "+02". Without an offset the time is UTC. Nothing for any
// other text, or a day the calendar lacks.
std::optional<std::int64_t> parseIsoDate(std::string_view text);

// "2024-01-31T12:30:15Z": the time in UTC.
std::string formatIsoDate(std::int64_t seconds);

// Days since 1970-01-01 of a day of the proleptic Gregorian calendar, and back.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day);

}  // namespace lw::cli
