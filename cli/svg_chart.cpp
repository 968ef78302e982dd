#include "cli/svg_chart.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "cli/dates.h"

namespace lw::cli {

namespace {

constexpr double kWidth = 800;
constexpr double kHeight = 400;
constexpr double kLeft = 70;
constexpr double kRight = kWidth - 70;
constexpr double kTop = 50;
constexpr double kBottom = kHeight - 50;
constexpr char kCodeColour[] = "#1f5fa8";
constexpr char kFixmeColour[] = "#c8321e";
constexpr std::int64_t kDay = 86400;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// "1500", "40k", "1.2M": short enough for the axis.
std::string countLabel(std::int64_t value) {
    char text[32];
    if (value >= 1000000 && value % 100000 == 0) {
        std::snprintf(text, sizeof text, "%.1fM", static_cast<double>(value) / 1e6);
    } else if (value >= 10000 && value % 1000 == 0) {
        std::snprintf(text, sizeof text, "%lldk", static_cast<long long>(value / 1000));
    } else {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    }
    std::string label = text;
    if (const std::size_t point = label.find(".0M"); point != std::string::npos) {
        label.erase(point, 2);
    }
    return label;
}

void text(std::string& out, double x, double y, const char* anchor, const std::string& content,
          const char* colour = "#333333") {
    out += "<text x=\"" + number(x) + "\" y=\"" + number(y) + "\" text-anchor=\"" + anchor +
           "\" fill=\"" + colour + "\">" + content + "</text>\n";
}

void line(std::string& out, double x1, double y1, double x2, double y2, const char* colour,
          double width = 1) {
    out += "<line x1=\"" + number(x1) + "\" y1=\"" + number(y1) + "\" x2=\"" + number(x2) +
           "\" y2=\"" + number(y2) + "\" stroke=\"" + colour + "\" stroke-width=\"" +
           number(width) + "\"/>\n";
}

std::int64_t startOfMonth(std::int64_t year, unsigned month) {
    return daysFromCivil(year, month, 1) * kDay;
}

}  // namespace

AxisScale axisScale(std::int64_t most) {
    if (most <= 0) {
        return {1, 5};
    }
    std::int64_t power = 1;
    while (power * 10 <= most / 5 + 1 && power <= INT64_MAX / 100) {
        power *= 10;
    }
    for (;;) {
        for (const std::int64_t factor : {1, 2, 5}) {
            const std::int64_t step = factor * power;
            if ((most + step - 1) / step <= 6) {
                return {step, (most + step - 1) / step * step};
            }
        }
        power *= 10;
    }
}

std::vector<DateTick> dateTicks(std::int64_t first, std::int64_t last) {
    std::vector<DateTick> ticks;
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civilFromDays(first / kDay - (first % kDay < 0 ? 1 : 0), year, month, day);
    const std::int64_t span = last - first;
    if (span >= 3 * 365 * kDay) {
        // Years, every 1, 2, 5, 10 ... of them, so that at most about eight show.
        std::int64_t every = 1;
        for (const std::int64_t candidate : {1, 2, 5, 10, 20, 50, 100}) {
            every = candidate;
            if (span / (365 * kDay) / candidate <= 8) {
                break;
            }
        }
        for (std::int64_t y = (year + every) / every * every;; y += every) {
            const std::int64_t time = startOfMonth(y, 1);
            if (time > last) {
                break;
            }
            ticks.push_back({time, std::to_string(y)});
        }
    } else if (span >= 60 * kDay) {
        std::int64_t every = 1;
        for (const std::int64_t candidate : {1, 2, 3, 6}) {
            every = candidate;
            if (span / (30 * kDay) / candidate <= 8) {
                break;
            }
        }
        // Months counted from year 0, so that a step of 3 or 6 keeps to quarters and halves.
        std::int64_t months = year * 12 + month;  // the month after the first
        months = (months + every - 1) / every * every;
        for (;; months += every) {
            const std::int64_t y = months / 12;
            const auto m = static_cast<unsigned>(months % 12 + 1);
            const std::int64_t time = startOfMonth(y, m);
            if (time > last) {
                break;
            }
            char label[32];
            std::snprintf(label, sizeof label, "%04lld-%02u", static_cast<long long>(y), m);
            ticks.push_back({time, label});
        }
    } else {
        std::int64_t every = kDay;
        for (const std::int64_t candidate :
             {kDay / 24, kDay / 4, kDay / 2, kDay, 2 * kDay, 7 * kDay, 14 * kDay}) {
            every = candidate;
            // Fewer ticks here: their labels are the widest.
            if (span / candidate <= 6) {
                break;
            }
        }
        for (std::int64_t time = (first / every + 1) * every; time <= last; time += every) {
            std::string label = formatIsoDate(time);  // 2024-01-31T12:00:00Z
            label = every < kDay ? label.substr(5, 11).replace(5, 1, " ") : label.substr(0, 10);
            ticks.push_back({time, label});
        }
    }
    return ticks;
}

std::string historyChart(const std::vector<HistoryRow>& rows) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"400\" "
        "viewBox=\"0 0 800 400\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\" "
        "font-size=\"12\">\n";
    const std::string title = "Code and FIXMEs over " + std::to_string(rows.size()) +
                              (rows.size() == 1 ? " commit" : " commits");
    out += "<title>" + title + "</title>\n";
    out += "<rect width=\"800\" height=\"400\" fill=\"#ffffff\"/>\n";
    out += "<text x=\"" + number(kLeft) + "\" y=\"24\" font-size=\"15\" font-weight=\"bold\" " +
           "fill=\"#222222\">" + title + "</text>\n";
    // The legend, at the top right.
    line(out, 470, 20, 494, 20, kCodeColour, 2.5);
    text(out, 500, 24, "start", "Code (left axis)");
    line(out, 610, 20, 634, 20, kFixmeColour, 2.5);
    text(out, 640, 24, "start", "FIXMEs (right axis)");

    if (rows.empty()) {
        text(out, kWidth / 2, kHeight / 2, "middle", "No commits");
        out += "</svg>\n";
        return out;
    }
    // Oldest first, as time runs left to right.
    std::vector<const HistoryRow*> points;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        points.push_back(&*it);
    }
    std::int64_t first = points.front()->time;
    std::int64_t last = first;
    std::int64_t mostCode = 0;
    std::int64_t mostFixmes = 0;
    for (const HistoryRow* row : points) {
        first = std::min(first, row->time);
        last = std::max(last, row->time);
        mostCode = std::max<std::int64_t>(mostCode, row->totals.code);
        mostFixmes = std::max<std::int64_t>(mostFixmes, row->totals.fixmes);
    }
    if (last == first) {
        first -= kDay;
        last += kDay;
    }
    const AxisScale code = axisScale(mostCode);
    const AxisScale fixmes = axisScale(mostFixmes);
    const auto x = [&](std::int64_t time) {
        return kLeft + (kRight - kLeft) * static_cast<double>(time - first) /
                           static_cast<double>(last - first);
    };
    const auto y = [&](std::int64_t value, const AxisScale& scale) {
        return kBottom -
               (kBottom - kTop) * static_cast<double>(value) / static_cast<double>(scale.top);
    };

    // Grid and left axis (code), right axis (FIXMEs) with their own ticks.
    for (std::int64_t value = 0; value <= code.top; value += code.step) {
        line(out, kLeft, y(value, code), kRight, y(value, code), "#e4e4e4");
        text(out, kLeft - 6, y(value, code) + 4, "end", countLabel(value), kCodeColour);
    }
    for (std::int64_t value = 0; value <= fixmes.top; value += fixmes.step) {
        line(out, kRight, y(value, fixmes), kRight + 4, y(value, fixmes), kFixmeColour);
        text(out, kRight + 7, y(value, fixmes) + 4, "start", countLabel(value), kFixmeColour);
    }
    line(out, kLeft, kTop, kLeft, kBottom, "#888888");
    line(out, kRight, kTop, kRight, kBottom, "#888888");
    line(out, kLeft, kBottom, kRight, kBottom, "#888888");
    for (const DateTick& tick : dateTicks(first, last)) {
        line(out, x(tick.time), kBottom, x(tick.time), kBottom + 5, "#888888");
        text(out, x(tick.time), kBottom + 19, "middle", tick.label);
    }
    text(out, (kLeft + kRight) / 2, kHeight - 8, "middle", "committer date (UTC)", "#666666");

    // The two series; a single commit is a dot, as a line needs two.
    const auto series = [&](const AxisScale& scale, const char* colour, auto value) {
        if (points.size() == 1) {
            out += "<circle cx=\"" + number(x(points.front()->time)) + "\" cy=\"" +
                   number(y(value(*points.front()), scale)) + "\" r=\"3\" fill=\"" + colour +
                   "\"/>\n";
            return;
        }
        out += "<polyline fill=\"none\" stroke=\"" + std::string(colour) +
               "\" stroke-width=\"2\" stroke-linejoin=\"round\" points=\"";
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i > 0) {
                out += ' ';
            }
            out += number(x(points[i]->time));
            out += ',';
            out += number(y(value(*points[i]), scale));
        }
        out += "\"/>\n";
    };
    series(code, kCodeColour, [](const HistoryRow& row) { return row.totals.code; });
    series(fixmes, kFixmeColour, [](const HistoryRow& row) { return row.totals.fixmes; });
    out += "</svg>\n";
    return out;
}

}  // namespace lw::cli
