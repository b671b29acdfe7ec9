#include "CalibrationRules.h"

#include "protocol/Frame.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr int MaxWaitSeconds = 180;
constexpr int HalfYear = 182;
constexpr int Year = 365;

// Catalytic readings in hundredths of a percent settle within 0.05 %; the
// optical ones, noisier by a count or two of the detector, within 0.1 %; the catalytic mid-point
// voltage within 2 mV; oxygen, in tenths, within 0.2 %. The ПГС block's alarms count as settled
// once unchanged for 10 s, its converter value (raw units) once within 20.
constexpr SteadyRule Hundredths{30, 5};
constexpr SteadyRule OpticalHundredths{30, 10};
constexpr SteadyRule MidPointVoltage{20, 20};
constexpr SteadyRule OxygenTenths{30, 2};
constexpr SteadyRule PgsAlarms{10, 1};
constexpr SteadyRule PgsConverter{20, 20};

// The workshop's procedures, one for each way of calibrating.
constexpr const char *CatalyticMethod =
    "МК ЗЭ-23-01: термокаталитические датчики, нуль по чистому воздуху и чувствительность по ПГС";
constexpr const char *OxygenMethod =
    "МК ЗЭ-23-02: датчики кислорода, нуль по азоту и чувствительность по воздуху";
constexpr const char *PgsMethod = "МК ЗЭ-23-03: блок ПГС, срабатывание порогов по ПГС";
constexpr const char *OpticalMethod =
    "МК ЗЭ-23-04: оптические датчики, проверка по чистому воздуху и ПГС";

CalibrationRules catalytic(std::uint8_t block) {
    return {block,
            CalibrationStyle::ZeroAndSpan,
            100,
            Hundredths,
            MidPointVoltage,
            MaxWaitSeconds,
            HalfYear,
            std::nullopt,
            CatalyticMethod};
}

const CalibrationRules Table[] = {
    catalytic(Block::Tks),
    catalytic(Block::TksPgs),
    catalytic(Block::Hydrogen),
    {Block::Oxygen, CalibrationStyle::ZeroAndSpan, 10, OxygenTenths, OxygenTenths, MaxWaitSeconds,
     Year, 209, OxygenMethod},
    {Block::Pgs, CalibrationStyle::Thresholds, 100, PgsAlarms, PgsConverter, MaxWaitSeconds,
     HalfYear, std::nullopt, PgsMethod},
    {Block::OpticMethane, CalibrationStyle::CheckOnly, 100, OpticalHundredths, OpticalHundredths,
     MaxWaitSeconds, HalfYear, std::nullopt, OpticalMethod},
};
} // namespace

const CalibrationRules *findCalibrationRules(std::uint8_t block) {
    for (const CalibrationRules &r : Table)
        if (r.block == block)
            return &r;
    return nullptr;
}

int defaultTolerance(SensorGas gas) {
    switch (gas) {
    case SensorGas::Methane:
        return 20; // ±0.20 %
    case SensorGas::Propane:
        return 10;
    case SensorGas::Hydrogen:
        return 20;
    case SensorGas::Oxygen:
        return 5; // ±0.5 %
    }
    return 0;
}

std::string gasName(SensorGas gas) {
    switch (gas) {
    case SensorGas::Methane:
        return "метан";
    case SensorGas::Propane:
        return "пропан";
    case SensorGas::Hydrogen:
        return "водород";
    case SensorGas::Oxygen:
        return "кислород";
    }
    return {};
}

std::string gasFormula(SensorGas gas) {
    switch (gas) {
    case SensorGas::Methane:
        return "CH4";
    case SensorGas::Propane:
        return "C3H8";
    case SensorGas::Hydrogen:
        return "H2";
    case SensorGas::Oxygen:
        return "O2";
    }
    return {};
}

std::string percentText(int value, int perPercent) {
    const int decimals = perPercent >= 100 ? 2 : perPercent >= 10 ? 1 : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value) / perPercent);
    std::string s = text;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}
