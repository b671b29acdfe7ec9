#include "SensorHealth.h"

#include "protocol/Frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
using Style = SensorHealthRule::Style;
using State = HealthVerdict::State;

// A catalytic bead loses sensitivity as it is poisoned and sintered; makers
// replace it once its signal is down to about half of a new one's, by when the
// block's span barely covers the alarm thresholds. Its bridge zero drifts with
// the beads' ageing: 10 mV is a good share of a 2,5 % methane span (some 25 to
// 30 mV), so a zero gone further says the pair no longer matches.
constexpr SensorHealthRule Catalytic(std::uint8_t block) {
    return {block, Style::Span, 50, 100, "U воздух, мВ", "U газ, мВ"};
}

const SensorHealthRule Table[] = {
    Catalytic(Block::Tks),
    Catalytic(Block::TksPgs),
    Catalytic(Block::Hydrogen),
    // A galvanic oxygen cell's output falls as its anode is used up and then
    // drops off quickly: at 60 % of a new cell's output it has months left.
    // In nitrogen it gives next to nothing, so a zero 5 mV away says the
    // cell leaks or the front end has moved.
    {Block::Oxygen, Style::Span, 60, 50, "U ноль, мВ", "U газ, мВ"},
    // The ПГС thresholds are the converter values taken in the threshold
    // gases; a sensor whose response has moved by a third since its first
    // calibration no longer holds the thresholds between calibrations.
    {Block::Pgs, Style::Thresholds, 0, 30, "Порог 1", "Порог 2"},
};

// "12,0" with `point` ",": one decimal.
std::string decimal(double value, int decimals, const std::string &point = ",") {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s = text;
    if (s == "-0" || s == "-0.0")
        s = s.substr(1);
    if (const std::size_t dot = s.find('.'); dot != std::string::npos)
        s.replace(dot, 1, point);
    return s;
}

// Shares are compared and written as whole percent: a ratio that is 45 % on
// paper must not come out as 44,999... .
double cleaned(double percent) {
    return std::round(percent * 1e6) / 1e6;
}

const AdjustedPoint *findPoint(const CalibrationRecord &r, const char *name) {
    for (const AdjustedPoint &p : r.points)
        if (p.name == name)
            return &p;
    return nullptr;
}

// The value the block was left with: after adjustment, else as found.
std::optional<double> leftWith(const AdjustedPoint *p) {
    if (!p)
        return std::nullopt;
    const std::optional<int> v = p->after ? p->after : p->before;
    if (!v)
        return std::nullopt;
    return double(*v) / std::max(1, p->perUnit);
}

// The gas the span point was taken in, in percent; none when unknown.
std::optional<double> spanPercent(const CalibrationRecord &r) {
    int concentration = r.cylinder.concentration;
    if (concentration <= 0)
        if (const CalibrationRules *rules = findCalibrationRules(r.block); rules && rules->airSpan)
            concentration = *rules->airSpan;
    if (concentration <= 0 || r.perPercent <= 0)
        return std::nullopt;
    return double(concentration) / r.perPercent;
}

HealthVerdict judgeSpan(const SensorHealthRule &rule, const HealthSample &first,
                        const HealthSample &last, const std::string &point) {
    HealthVerdict v;
    const double limitMv = rule.driftLimit / 10.0;
    v.drift = cleaned(std::abs(last.second - first.second));
    std::vector<std::string> reasons;
    if (first.first > 0) {
        v.sensitivityPercent = cleaned(100.0 * last.first / first.first);
        if (*v.sensitivityPercent < rule.minSensitivityPercent)
            reasons.push_back("Чувствительность датчика упала до " +
                              decimal(std::floor(*v.sensitivityPercent), 0) +
                              " % от первой калибровки (порог " +
                              std::to_string(rule.minSensitivityPercent) + " %)");
    }
    if (*v.drift > limitMv)
        reasons.push_back(std::string(reasons.empty() ? "Ноль" : "ноль") + " датчика ушёл на " +
                          decimal(*v.drift, 1, point) + " мВ от первой калибровки (предел " +
                          decimal(limitMv, 1, point) + " мВ)");
    if (!reasons.empty()) {
        v.state = State::NearsEndOfLife;
        for (std::size_t i = 0; i < reasons.size(); ++i)
            v.reason += (i ? "; " : "") + reasons[i];
        v.reason += ".";
        return v;
    }
    v.state = State::Ok;
    v.reason = (v.sensitivityPercent
                    ? "Чувствительность — " + decimal(std::round(*v.sensitivityPercent), 0) +
                          " % от первой калибровки, ноль"
                    : std::string("Ноль")) +
               " ушёл на " + decimal(*v.drift, 1, point) + " мВ.";
    return v;
}

HealthVerdict judgeThresholds(const SensorHealthRule &rule, const HealthSample &first,
                              const HealthSample &last) {
    HealthVerdict v;
    const auto drift = [](double from, double to) {
        return from != 0 ? 100.0 * std::abs(to - from) / std::abs(from) : 0.0;
    };
    const double d1 = drift(first.first, last.first);
    const double d2 = drift(first.second, last.second);
    v.drift = cleaned(std::max(d1, d2));
    if (*v.drift > rule.driftLimit) {
        v.state = State::NearsEndOfLife;
        v.reason = std::string(d1 >= d2 ? rule.firstPoint : rule.secondPoint) + " ушёл на " +
                   decimal(std::floor(*v.drift), 0) + " % от первой калибровки (предел " +
                   std::to_string(rule.driftLimit) + " %).";
        return v;
    }
    v.state = State::Ok;
    v.reason = "Пороги ушли от первой калибровки не более чем на " +
               decimal(std::round(*v.drift), 0) + " %.";
    return v;
}
} // namespace

const SensorHealthRule *findSensorHealthRule(std::uint8_t block) {
    for (const SensorHealthRule &r : Table)
        if (r.block == block)
            return &r;
    return nullptr;
}

std::optional<HealthSample> healthSample(const CalibrationRecord &record) {
    const SensorHealthRule *rule = findSensorHealthRule(record.block);
    if (!rule || record.outcome == CalibrationOutcome::Interrupted)
        return std::nullopt;
    const std::optional<double> a = leftWith(findPoint(record, rule->firstPoint));
    const std::optional<double> b = leftWith(findPoint(record, rule->secondPoint));
    if (!a || !b)
        return std::nullopt;
    HealthSample s{record.number, record.when, *a, *b};
    if (rule->style == Style::Span) {
        const std::optional<double> gas = spanPercent(record);
        if (!gas)
            return std::nullopt;
        s.first = (*b - *a) / *gas;
        s.second = *a;
    }
    return s;
}

SensorHistory sensorHistory(const std::vector<CalibrationRecord> &records,
                            const std::string &decimalPoint) {
    SensorHistory h;
    if (records.empty()) {
        h.verdict.reason = "Калибровок этого прибора в журнале нет.";
        return h;
    }
    const std::uint8_t block = records.back().block;
    h.rule = findSensorHealthRule(block);
    if (!h.rule) {
        h.verdict.reason = "Блок этого прибора не хранит точек настройки датчика: ресурс "
                           "датчика по ним не оценивается.";
        return h;
    }
    for (const CalibrationRecord &r : records)
        if (r.block == block)
            if (std::optional<HealthSample> s = healthSample(r))
                h.samples.push_back(std::move(*s));
    if (h.samples.empty()) {
        h.verdict.reason = "Нет законченных калибровок с точками датчика.";
        return h;
    }
    if (h.samples.size() == 1) {
        h.verdict.state = State::Ok;
        h.verdict.reason = "Одна калибровка: сравнивать пока не с чем.";
        return h;
    }
    h.verdict = h.rule->style == Style::Span
                    ? judgeSpan(*h.rule, h.samples.front(), h.samples.back(), decimalPoint)
                    : judgeThresholds(*h.rule, h.samples.front(), h.samples.back());
    return h;
}
