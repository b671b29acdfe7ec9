#include "CylinderFit.h"

#include "protocol/Frame.h"

#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

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
    // A certificate's year: no cylinder is older than the calendar's 1900.
    return y >= 1900 && year_month_day{year{y}, month{m}, day{d}}.ok();
}

namespace {
// A control character (a line feed, a tab, ...) in UTF-8 text: C0, DEL, C1 or
// the line and paragraph separators.
bool hasControl(const std::string &text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f)
            return true;
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c == 0xc2 && next >= 0x80 && next <= 0x9f)
            return true;
        if (c == 0xe2 && next == 0x80 && i + 2 < text.size() &&
            (static_cast<unsigned char>(text[i + 2]) == 0xa8 ||
             static_cast<unsigned char>(text[i + 2]) == 0xa9))
            return true;
    }
    return false;
}

// Cyrillic letters that read as Latin ones, and the Latin letter each stands for.
constexpr std::pair<const char *, char> LookAlikes[] = {
    {"А", 'A'}, {"В", 'B'}, {"Е", 'E'}, {"К", 'K'}, {"М", 'M'}, {"Н", 'H'}, {"О", 'O'},
    {"Р", 'P'}, {"С", 'C'}, {"Т", 'T'}, {"У", 'Y'}, {"Х", 'X'}, {"а", 'a'}, {"е", 'e'},
    {"о", 'o'}, {"р", 'p'}, {"с", 'c'}, {"у", 'y'}, {"х", 'x'}, {"к", 'k'}};
} // namespace

std::string lookAlikeKey(const std::string &number) {
    std::string key = number;
    for (const auto &[cyrillic, latin] : LookAlikes) {
        const std::string from = cyrillic;
        for (std::size_t at = key.find(from); at != std::string::npos; at = key.find(from, at + 1))
            key.replace(at, from.size(), 1, latin);
    }
    return key;
}

std::optional<std::string> lookAlikeOf(const std::string &number,
                                       const std::vector<std::string> &registered) {
    const std::string key = lookAlikeKey(number);
    for (const std::string &r : registered)
        if (r != number && lookAlikeKey(r) == key)
            return r;
    return std::nullopt;
}

std::optional<std::string> entryFault(const RegisteredCylinder &c) {
    if (c.number.empty())
        return "Укажите номер или партию баллона.";
    for (const auto &[text, what] :
         {std::pair{&c.number, "номере"}, std::pair{&c.gas, "названии газа"},
          std::pair{&c.balance, "газе-основе"}, std::pair{&c.supplier, "поставщике"}})
        if (hasControl(*text))
            return std::string("В ") + what +
                   " баллона есть управляющий символ (перевод строки, табуляция): наберите его "
                   "одной строкой.";
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
    if (c.balance.empty())
        return "Укажите газ-основу баллона, например «воздух» или «азот».";
    if (c.supplier.empty())
        return "Укажите поставщика баллона.";
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
