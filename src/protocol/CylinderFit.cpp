#include "CylinderFit.h"

#include "Frame.h"

#include <chrono>
#include <cstdio>
#include <utility>

namespace {
struct ComponentName {
    CylinderComponent component;
    const char *key;
    const char *name;
    const char *with;  // "баллон с метаном"
    const char *ofGas; // "датчик метана"; empty for a zero gas
};

constexpr ComponentName Components[] = {
    {CylinderComponent::Methane, "methane", "метан", "метаном", "метана"},
    {CylinderComponent::Propane, "propane", "пропан", "пропаном", "пропана"},
    {CylinderComponent::Hydrogen, "hydrogen", "водород", "водородом", "водорода"},
    {CylinderComponent::Oxygen, "oxygen", "кислород", "кислородом", "кислорода"},
    {CylinderComponent::Nitrogen, "nitrogen", "азот", "азотом", ""},
    {CylinderComponent::ZeroAir, "zero-air", "нулевой воздух", "нулевым воздухом", ""},
};

const ComponentName &named(CylinderComponent c) {
    for (const ComponentName &n : Components)
        if (n.component == c)
            return n;
    return Components[0];
}

bool contains(const std::string &text, const char *part) {
    return text.find(part) != std::string::npos;
}

std::string percentOf(int hundredths) {
    return percentText(hundredths, 100) + " %";
}
} // namespace

std::string componentKey(CylinderComponent c) {
    return named(c).key;
}

std::optional<CylinderComponent> componentFromKey(const std::string &key) {
    for (const ComponentName &n : Components)
        if (key == n.key)
            return n.component;
    return std::nullopt;
}

std::string componentName(CylinderComponent c) {
    return named(c).name;
}

CylinderComponent componentOf(SensorGas gas) {
    switch (gas) {
    case SensorGas::Methane:
        return CylinderComponent::Methane;
    case SensorGas::Propane:
        return CylinderComponent::Propane;
    case SensorGas::Hydrogen:
        return CylinderComponent::Hydrogen;
    case SensorGas::Oxygen:
        return CylinderComponent::Oxygen;
    }
    return CylinderComponent::Methane;
}

Balance balanceOf(const std::string &text) {
    // Cyrillic has no case folding here: the word's first letter either way.
    for (const char *air : {"воздух", "Воздух", "ВОЗДУХ", "air", "Air", "AIR"})
        if (contains(text, air))
            return Balance::Air;
    for (const char *nitrogen : {"азот", "Азот", "АЗОТ", "N2", "nitrogen", "Nitrogen"})
        if (contains(text, nitrogen))
            return Balance::Nitrogen;
    return Balance::Unknown;
}

bool isDate(const std::string &text) {
    using namespace std::chrono;
    int y = 0;
    unsigned m = 0, d = 0;
    char tail = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        std::sscanf(text.c_str(), "%4d-%2u-%2u%c", &y, &m, &d, &tail) != 3)
        return false;
    return year_month_day{year{y}, month{m}, day{d}}.ok();
}

std::optional<std::string> entryFault(const RegisteredCylinder &c) {
    if (c.number.empty())
        return "Укажите номер или партию баллона.";
    if (!componentFromKey(c.component))
        return "Неизвестно, для какого газа баллон («" + c.component +
               "»): метан, пропан, водород, кислород, азот или нулевой воздух.";
    if (c.gas.empty())
        return "Укажите газ баллона, как он написан на баллоне, например «CH4 в воздухе».";
    if (c.concentration <= 0 || c.concentration > 10000)
        return "Концентрация газа в баллоне — число процентов больше 0 и не больше 100, например "
               "2,50.";
    if (c.uncertainty < 0)
        return "Погрешность концентрации не может быть меньше нуля.";
    if (c.uncertainty >= c.concentration)
        return "Погрешность концентрации (" + percentOf(c.uncertainty) +
               ") должна быть меньше самой концентрации (" + percentOf(c.concentration) + ").";
    if (!isDate(c.certified))
        return "Укажите дату паспорта баллона (ГГГГ-ММ-ДД).";
    if (!isDate(c.expiry))
        return "Укажите, до какого дня баллон годен (ГГГГ-ММ-ДД).";
    if (c.expiry < c.certified)
        return "Баллон годен до " + c.expiry + ", а паспорт на него выдан позже, " + c.certified +
               ": проверьте даты.";
    return std::nullopt;
}

// The catalytic sensor burns its gas and the semiconductor one (ПГС) reacts
// with it through the oxygen of air.
bool spanNeedsAir(const CalibrationRules &rules) {
    return rules.style == CalibrationStyle::Thresholds ||
           (rules.style == CalibrationStyle::ZeroAndSpan && rules.block != Block::Oxygen);
}

std::optional<int> inBlockUnits(int hundredths, int perPercent) {
    if (perPercent <= 0 || perPercent > 100 || 100 % perPercent != 0 ||
        hundredths % (100 / perPercent) != 0)
        return std::nullopt;
    return hundredths / (100 / perPercent);
}

std::optional<std::string> cylinderMisfit(const RegisteredCylinder &c,
                                          const CalibrationRules &rules, SensorGas gas) {
    const std::optional<CylinderComponent> component = componentFromKey(c.component);
    const ComponentName &sensor = named(componentOf(gas));
    const std::string toSensor = std::string(" не подходит датчику ") + sensor.ofGas;
    if (!component)
        return "Неизвестно, для какого газа баллон № " + c.number + ": он" + toSensor + ".";
    const ComponentName &held = named(*component);
    const std::string cylinder = std::string("Баллон с ") + held.with;
    if (*component != componentOf(gas))
        return cylinder + toSensor + ".";
    if (spanNeedsAir(rules) && balanceOf(c.balance) != Balance::Air)
        return cylinder + (c.balance.empty() ? std::string() : " в «" + c.balance + "»") +
               toSensor + ": ему нужен газ в воздухе.";
    const char *units = rules.perPercent == 10 ? "десятыми" : "сотыми";
    for (const auto &[value, what] : {std::pair{c.concentration, "Концентрацию"},
                                      std::pair{c.uncertainty, "Погрешность концентрации"}})
        if (!inBlockUnits(value, rules.perPercent))
            return std::string(what) + " баллона " + percentOf(value) +
                   " блок не запишет точно (он считает " + units +
                   " долями процента): баллон ему не подходит.";
    return std::nullopt;
}

std::optional<std::string> gasMisfit(const RegisteredCylinder &c, const CalibrationRules &rules,
                                     SensorGas gas, TestGas role) {
    if (role != TestGas::ZeroGas)
        return cylinderMisfit(c, rules, gas);
    const std::optional<CylinderComponent> component = componentFromKey(c.component);
    if (component == CylinderComponent::Nitrogen)
        return std::nullopt;
    const std::string held =
        component ? std::string("с ") + named(*component).with : "№ " + c.number;
    return "Баллон " + held + " не годится нулевым газом датчику " + named(componentOf(gas)).ofGas +
           ": нужен азот.";
}

std::optional<int> hundredthsOf(const std::string &text) {
    // Digits, then at most two after one comma or point, spaces around.
    const std::size_t from = text.find_first_not_of(' ');
    const std::size_t to = text.find_last_not_of(' ');
    if (from == std::string::npos)
        return std::nullopt;
    const std::string t = text.substr(from, to - from + 1);
    int whole = 0, fraction = 0, digits = 0, decimals = -1;
    for (char ch : t) {
        if ((ch == ',' || ch == '.') && decimals < 0) {
            decimals = 0;
        } else if (ch >= '0' && ch <= '9' && decimals < 2 && whole <= 100) {
            if (decimals < 0) {
                whole = whole * 10 + (ch - '0');
                ++digits;
            } else {
                fraction = fraction * 10 + (ch - '0');
                ++decimals;
            }
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || decimals == 0)
        return std::nullopt;
    const int value = whole * 100 + (decimals == 1 ? fraction * 10 : fraction);
    if (value > 10000)
        return std::nullopt;
    return value;
}

Cylinder recordCylinder(const RegisteredCylinder &c, int perPercent) {
    Cylinder r;
    r.number = c.number;
    r.gas = c.gas;
    r.concentration = inBlockUnits(c.concentration, perPercent).value_or(0);
    r.expiry = c.expiry;
    r.uncertainty = inBlockUnits(c.uncertainty, perPercent).value_or(0);
    r.balance = c.balance;
    r.supplier = c.supplier;
    r.certified = c.certified;
    return r;
}
