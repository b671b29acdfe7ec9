#include "ChartText.h"

#include <charconv>

namespace {
void append(std::string &out, double value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, ec == std::errc() ? end : buffer);
}

bool parse(const char *&at, const char *end, double &value) {
    const auto [stop, ec] = std::from_chars(at, end, value);
    if (ec != std::errc())
        return false;
    at = stop;
    return true;
}
} // namespace

std::string chartToText(const std::vector<ChartPoint> &chart) {
    std::string text;
    text.reserve(chart.size() * 12);
    for (const ChartPoint &p : chart) {
        if (!text.empty())
            text += ';';
        append(text, p.seconds);
        text += ' ';
        append(text, p.value);
    }
    return text;
}

std::optional<std::vector<ChartPoint>> chartFromText(const std::string &text) {
    std::vector<ChartPoint> chart;
    const char *at = text.data();
    const char *const end = at + text.size();
    while (at != end) {
        if (!chart.empty() && *at++ != ';')
            return std::nullopt;
        ChartPoint p;
        if (!parse(at, end, p.seconds) || at == end || *at++ != ' ' || !parse(at, end, p.value))
            return std::nullopt;
        chart.push_back(p);
    }
    return chart;
}
