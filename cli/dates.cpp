#include "cli/dates.h"

#include <cstdio>

namespace lw::cli {

namespace {

// Reads exactly `digits` decimal digits at text[pos].
std::optional<unsigned> number(std::string_view text, std::size_t& pos, std::size_t digits) {
    if (pos + digits > text.size()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    pos += digits;
    return value;
}

bool take(std::string_view text, std::size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

unsigned daysInMonth(std::int64_t year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

// Counted in eras of 400 years, which repeat exactly, so that every year works without a table
// of years and without the C library's time zone.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shifted = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    month = shifted < 10 ? shifted + 3 : shifted - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

std::optional<std::int64_t> parseIsoDate(std::string_view text) {
    std::size_t pos = 0;
    const auto year = number(text, pos, 4);
    if (!year || !take(text, pos, '-')) {
        return std::nullopt;
    }
    const auto month = number(text, pos, 2);
    if (!month || !take(text, pos, '-')) {
        return std::nullopt;
    }
    const auto day = number(text, pos, 2);
    if (!day || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month)) {
        return std::nullopt;
    }
    std::int64_t seconds = daysFromCivil(*year, *month, *day) * 86400;
    if (pos == text.size()) {
        return seconds;
    }
    if (!take(text, pos, 'T') && !take(text, pos, ' ')) {
        return std::nullopt;
    }
    const auto hour = number(text, pos, 2);
    if (!hour || !take(text, pos, ':')) {
        return std::nullopt;
    }
    const auto minute = number(text, pos, 2);
    std::optional<unsigned> second = 0;
    if (take(text, pos, ':')) {
        second = number(text, pos, 2);
    }
    if (!minute || !second || *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    seconds += *hour * 3600 + *minute * 60 + *second;
    if (pos == text.size()) {
        return seconds;
    }
    if (take(text, pos, 'Z')) {
        return pos == text.size() ? std::optional(seconds) : std::nullopt;
    }
    const bool ahead = take(text, pos, '+');
    if (!ahead && !take(text, pos, '-')) {
        return std::nullopt;
    }
    const auto offsetHours = number(text, pos, 2);
    std::optional<unsigned> offsetMinutes = 0;
    if (pos < text.size()) {
        take(text, pos, ':');
        offsetMinutes = number(text, pos, 2);
    }
    if (!offsetHours || !offsetMinutes || pos != text.size() || *offsetHours > 23 ||
        *offsetMinutes > 59) {
        return std::nullopt;
    }
    // 12:00+02:00 is 10:00 in UTC.
    const std::int64_t offset = *offsetHours * 3600 + *offsetMinutes * 60;
    return ahead ? seconds - offset : seconds + offset;
}

std::string formatIsoDate(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<long long>(year), month, day, static_cast<int>(rest / 3600),
                  static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return text;
}

}  // namespace lw::cli
