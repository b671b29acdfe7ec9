#pragma once
// What a guided calibration of each sensor block asks for and how it judges:
// one row per sensor block in CalibrationRules.cpp. Readings are in the
// block's own units (hundredths of a percent, tenths for oxygen); the rule
// for "steady" and the tolerances are defaults the technician may change in
// the calibration window.

#include <cstdint>
#include <optional>
#include <string>

// What the technician puts on the sensor for a step; the virtual instruments
// take the same names for the gas control they offer under --simulate.
enum class TestGas {
    Ambient,    // nothing on the sensor: the room
    CleanAir,   // clean (zero) air
    ZeroGas,    // nitrogen, for the oxygen sensor
    Cylinder,   // the calibration gas from the cylinder
    Threshold1, // the ПГС block's threshold-1 gas
    Threshold2, // and its threshold-2 gas
};

// A reading is steady when over the last `windowSeconds` it moved by less
// than `band` (block units).
struct SteadyRule {
    int windowSeconds = 30;
    int band = 5;
    // At least this many readings, spanning the window: a stand reads each
    // position once a round, so a window may hold one reading or none.
    int readings = 1;
    bool operator==(const SteadyRule &) const = default;
};

enum class CalibrationStyle {
    ZeroAndSpan, // catalytic and oxygen: check, set both points, check again
    Thresholds,  // ПГС: do the alarms trip at the threshold gases
    CheckOnly,   // optical: checked here, adjusted only in service
};

struct CalibrationRules {
    std::uint8_t block;
    CalibrationStyle style;
    // Units of a reading per percent: 100 (hundredths) or 10 (tenths).
    int perPercent;
    SteadyRule steady;
    // The same rule for the raw signal the block gives in set-up mode (the
    // catalytic mid-point voltage, tenths of a millivolt); steady.band is
    // used where the block keeps measuring in set-up mode.
    SteadyRule signalSteady;
    // A wait that is not steady after this long tells the technician so.
    int maxWaitSeconds;
    // Days from a calibration to the next one due.
    int intervalDays;
    // The span gas when no cylinder is used (oxygen: air, 20.9 %), block units.
    std::optional<int> airSpan;
    // The workshop's procedure this block is calibrated by, as the
    // certificate names it.
    const char *method;
};

const CalibrationRules *findCalibrationRules(std::uint8_t block);

// Gases a sensor is judged in, each with its tolerance.
enum class SensorGas { Methane, Propane, Hydrogen, Oxygen };
// Allowed deviation of a reading from the gas applied, in the block's units
// of that gas (hundredths of a percent; tenths for oxygen).
int defaultTolerance(SensorGas gas);
std::string gasName(SensorGas gas); // "метан", "пропан", "водород", "кислород"
std::string gasFormula(SensorGas gas); // "CH4", "C3H8", "H2", "O2"
// A value in units of 1/perPercent of a percent as the technician reads it:
// "2,50" (hundredths), "20,9" (tenths).
std::string percentText(int value, int perPercent);
