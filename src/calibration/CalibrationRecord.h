#pragma once
// Everything one calibration leaves on record: what was found before any
// adjustment, what was adjusted, what was left, the gas it was done with and
// the verdict. The procedure fills in what it measured; the window adds who,
// where and with which cylinder, and the record store keeps it unchanged.
// Readings and tolerances are in the block's units (perPercent per percent).

#include "CalibrationRules.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct Cylinder {
    std::string number;    // number or lot
    std::string gas;       // as written on it, "CH4 в воздухе"
    int concentration = 0; // block units
    std::string expiry;    // YYYY-MM-DD
    int uncertainty = 0;   // of the concentration, block units; 0 when not known
    std::string balance;   // the gas it is mixed in, "воздух", "азот"
    std::string supplier;
    std::string certified; // the date of its certificate, YYYY-MM-DD
    bool operator==(const Cylinder &) const = default;
};

// A gas of the calibration other than the span's, with the cylinder it came
// from: the oxygen sensor's zero gas (nitrogen), the ПГС threshold-2 gas.
// Its concentration and uncertainty are in hundredths of a percent, as the
// register keeps them, whatever the block's units (nitrogen of 99,99 % is no
// value an oxygen block could hold).
struct GasCylinder {
    TestGas gas = TestGas::ZeroGas;
    Cylinder cylinder;
    bool operator==(const GasCylinder &) const = default;
};

// A point of the curve a wait drew: seconds since the wait began, reading.
struct ChartPoint {
    double seconds = 0;
    double value = 0;
    bool operator==(const ChartPoint &) const = default;
};

// One reading judged: a steady reading in one gas, or (ПГС, optical) whether
// the alarms tripped.
struct Measurement {
    enum class Phase { AsFound, AsLeft };
    Phase phase = Phase::AsFound;
    TestGas gas = TestGas::CleanAir;
    std::string point; // "Чистый воздух", "Газ из баллона", "Порог 1"
    int expected = 0;  // what the gas should read
    int tolerance = 0; // allowed deviation
    std::optional<int> reading; // none for an alarm check
    // Alarm checks: the alarms expected to trip and those that did (bit 0
    // threshold 1, bit 1 threshold 2, bit 2 threshold 3).
    std::optional<int> alarmsExpected, alarmsSeen;
    std::optional<double> secondsToSteady;
    std::optional<double> secondsTo90; // to 90 % of the steady change
    bool acceptedEarly = false;        // taken before it counted as steady
    bool passed = false;
    std::vector<ChartPoint> chart;
    bool operator==(const Measurement &) const = default;
};

// A point of the block before and after adjustment: U air, U gas (tenths of
// a millivolt), the ПГС thresholds, the calibration-gas setting.
struct AdjustedPoint {
    std::string name; // "U воздух, мВ"
    int perUnit = 10; // the value's divisor for display
    std::optional<int> before, after;
    bool operator==(const AdjustedPoint &) const = default;
};

enum class CalibrationOutcome {
    PassedAsFound, // within tolerance before anything was touched
    Adjusted,      // adjusted and passed
    Failed,
    Interrupted, // aborted, or the line went, before the end
};
std::string outcomeText(CalibrationOutcome outcome); // "Годен без настройки", ...
std::string outcomeKey(CalibrationOutcome outcome);  // "passed-as-found", ...
std::optional<CalibrationOutcome> outcomeFromKey(const std::string &key);
// The day a calibration done at `when` (YYYY-MM-DD, a time may follow) is
// next due, as YYYY-MM-DD; empty when `when` holds no valid date.
std::string nextDueDate(const std::string &when, int intervalDays);

// The room the calibration was done in, as the technician measured it:
// temperature in tenths of a degree Celsius, pressure in tenths of a
// kilopascal, relative humidity in percent; none when not measured.
struct Ambient {
    std::optional<int> temperature, pressure, humidity;
    bool operator==(const Ambient &) const = default;
};

struct CalibrationRecord;
// The cylinder `gas` came from in the calibration `r`: the span's (and the
// ПГС threshold-1 gas's) is the record's cylinder, the others are among its
// gases; nothing for clean air, the room, and a gas the record names no
// cylinder for. The record's cylinder is in the block's units, the others
// in hundredths of a percent.
const Cylinder *cylinderFor(const CalibrationRecord &r, TestGas gas);

struct CalibrationRecord {
    // Given by the store when kept; 0 before.
    std::int64_t number = 0;
    // Who wrote it: the bench's id (its own journal's) and the bench's own
    // running number, which together name the record in every journal it is
    // sent to. Given by the store when kept unless the record comes from
    // another bench's journal with them.
    std::string bench;
    std::int64_t benchNumber = 0;
    std::optional<std::int64_t> corrects; // the record this one corrects

    int deviceType = 0;
    std::string model;
    int serial = 0;
    std::uint8_t block = 0;
    std::map<std::string, int> versions; // "base", "pump", "sensor": version byte
    std::optional<int> standPosition;    // 1 to 32
    // On a stand: the sensor's label as typed or scanned, and the batch that
    // links the records of one pass of gas; empty on the desk.
    std::string sensorLabel, batch;
    std::string technician;
    std::string approvedBy; // who approved the result; empty when left to sign by hand
    std::string when;       // local date and time, YYYY-MM-DDTHH:MM:SS
    // The laboratory that calibrated, its address, the method's reference
    // (the rules' for the block) and the room.
    std::string laboratory, laboratoryAddress, method;
    Ambient ambient;
    // The span gas's cylinder; for the ПГС block the threshold-1 gas's.
    Cylinder cylinder;
    // The other gases' cylinders, in the order they are applied.
    std::vector<GasCylinder> gases;
    SensorGas sensorGas = SensorGas::Methane;
    int perPercent = 100;
    SteadyRule steady;
    int tolerance = 0;

    std::vector<Measurement> measurements;
    std::vector<AdjustedPoint> points;
    std::map<std::string, int> settingsAfter; // the block's settings by name
    CalibrationOutcome outcome = CalibrationOutcome::Interrupted;
    std::string remark;  // why it was interrupted or failed, in plain words
    std::string nextDue; // YYYY-MM-DD; empty when not calibrated
    std::string toolVersion;
    // Given by a server journal when kept: the database login that kept it
    // (the bench's sender for a bench's record); empty in a file.
    std::string login;
    // Given by the store when kept: the record's check sum chained to the one
    // before it (lowercase hex); empty before.
    std::string hash;
    bool operator==(const CalibrationRecord &) const = default;
};
