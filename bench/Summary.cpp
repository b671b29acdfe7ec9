#include "Summary.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include <unistd.h>

namespace {
double toMs(double value, benchmark::TimeUnit unit) {
    switch (unit) {
    case benchmark::kNanosecond:
        return value / 1e6;
    case benchmark::kMicrosecond:
        return value / 1e3;
    case benchmark::kMillisecond:
        return value;
    case benchmark::kSecond:
        return value * 1e3;
    }
    return value;
}

std::string format(const char *pattern, double v, const char *unit) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, v, unit);
    return text;
}

std::string milliseconds(double ms) {
    return format(ms < 1 ? "%.3f %s" : ms < 100 ? "%.2f %s" : "%.0f %s", ms, "ms");
}

// "2 841", "41.2 M".
std::string count(double n) {
    if (n >= 1e6)
        return format("%.1f %s", n / 1e6, "M");
    std::string digits = std::to_string(static_cast<long long>(n + 0.5));
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), " ");
    return digits;
}

std::string framesPerSecond(double fps) {
    return count(fps) + " frames/s";
}

std::string margin(double ratio) {
    if (ratio < 1)
        return format("short ×%.1f%s", 1 / ratio, "");
    return "×" + (ratio < 10 ? format("%.1f%s", ratio, "") : count(ratio)) + " headroom";
}
} // namespace

SummaryReporter::SummaryReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

void SummaryReporter::budget(const std::string &benchmark, std::string what, double budgetMs) {
    rows_.push_back({benchmark, std::move(what), Compare::Budget, budgetMs, {}, {}});
}

void SummaryReporter::rate(const std::string &benchmark, std::string what, std::string counter,
                           double needed) {
    rows_.push_back({benchmark, std::move(what), Compare::Rate, needed, std::move(counter), {}});
}

void SummaryReporter::plain(const std::string &benchmark, std::string what) {
    rows_.push_back({benchmark, std::move(what), Compare::None, 0, {}, {}});
}

void SummaryReporter::fill(const std::string &benchmark, double ms) {
    for (Row &row : rows_)
        if (row.benchmark == benchmark)
            row.value = ms;
}

void SummaryReporter::ReportRuns(const std::vector<Run> &runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        // With repetitions the median stands for the run.
        if (run.error_occurred ||
            (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median"))
            continue;
        for (Row &row : rows_) {
            if (row.benchmark != run.run_name.function_name)
                continue;
            if (row.compare != Compare::Rate)
                row.value = toMs(run.GetAdjustedRealTime(), run.time_unit);
            else if (auto c = run.counters.find(row.counter); c != run.counters.end())
                row.value = c->second.value;
        }
    }
}

void SummaryReporter::printTable(std::ostream &out) const {
    std::vector<std::array<std::string, 4>> lines{{"", "measured", "line", "margin"}};
    for (const Row &row : rows_) {
        if (!row.value)
            continue;
        const double v = *row.value;
        switch (row.compare) {
        case Compare::Budget:
            lines.push_back(
                {row.what, milliseconds(v), "< " + milliseconds(row.line), margin(row.line / v)});
            break;
        case Compare::Rate:
            lines.push_back({row.what, framesPerSecond(v), "> " + framesPerSecond(row.line),
                             margin(v / row.line)});
            break;
        case Compare::None:
            lines.push_back({row.what, milliseconds(v), "—", ""});
            break;
        }
    }
    if (lines.size() == 1)
        return;
    // Widths in characters, not bytes: the texts are UTF-8.
    auto width = [](const std::string &s) {
        std::size_t n = 0;
        for (unsigned char c : s)
            n += (c & 0xC0) != 0x80;
        return n;
    };
    std::array<std::size_t, 4> widths{};
    for (const auto &line : lines)
        for (std::size_t i = 0; i < 4; ++i)
            widths[i] = std::max(widths[i], width(line[i]));
    out << "\nThe line: " << count(Line::Baud) << " baud, " << Line::BitsPerByte
        << " bits a byte, an 8-byte frame every " << Line::FrameMicroseconds << " µs ("
        << framesPerSecond(Line::FramesPerSecond) << "); a reply may take "
        << Line::ReplyShare * 100 << " % of its page's poll interval.\n\n";
    for (const auto &line : lines) {
        for (std::size_t i = 0; i < 3; ++i)
            out << line[i] << std::string(widths[i] - width(line[i]) + 3, ' ');
        out << line[3] << '\n';
    }
}
