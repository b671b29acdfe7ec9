#include "CalibrationRecord.h"

#include "protocol/Frame.h"

#include <chrono>
#include <cstdio>

namespace {
struct OutcomeName {
    CalibrationOutcome outcome;
    const char *key;
    const char *text;
};

constexpr OutcomeName Names[] = {
    {CalibrationOutcome::PassedAsFound, "passed-as-found", "Годен без настройки"},
    {CalibrationOutcome::Adjusted, "adjusted", "Настроен, годен"},
    {CalibrationOutcome::Failed, "failed", "Не годен"},
    {CalibrationOutcome::Interrupted, "interrupted", "Прервана"},
};

const OutcomeName &named(CalibrationOutcome outcome) {
    for (const OutcomeName &n : Names)
        if (n.outcome == outcome)
            return n;
    return Names[3];
}
} // namespace

std::string outcomeText(CalibrationOutcome outcome) {
    return named(outcome).text;
}

std::string outcomeKey(CalibrationOutcome outcome) {
    return named(outcome).key;
}

std::optional<CalibrationOutcome> outcomeFromKey(const std::string &key) {
    for (const OutcomeName &n : Names)
        if (key == n.key)
            return n.outcome;
    return std::nullopt;
}

std::string nextDueDate(const std::string &when, int intervalDays) {
    using namespace std::chrono;
    int y = 0;
    unsigned m = 0, d = 0;
    if (when.size() < 10 || std::sscanf(when.c_str(), "%4d-%2u-%2u", &y, &m, &d) != 3)
        return {};
    const year_month_day date{year{y}, month{m}, day{d}};
    if (!date.ok())
        return {};
    const year_month_day due{sys_days{date} + days{intervalDays}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(due.year()),
                  static_cast<unsigned>(due.month()), static_cast<unsigned>(due.day()));
    return text;
}

const Cylinder *cylinderFor(const CalibrationRecord &r, TestGas gas) {
    const bool pgs = r.block == Block::Pgs;
    if (gas == TestGas::Cylinder || (pgs && gas == TestGas::Threshold1))
        return r.cylinder.number.empty() && r.cylinder.concentration <= 0 ? nullptr : &r.cylinder;
    for (const GasCylinder &g : r.gases)
        if (g.gas == gas)
            return &g.cylinder;
    return nullptr;
}
