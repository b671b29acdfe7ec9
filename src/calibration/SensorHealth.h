#pragma once
// How a sensor ages over its calibrations: from each record the sensitivity
// and the zero point the block was left with, and from an instrument's records
// the verdict whether the sensor nears the end of its life, judged against the
// first calibration kept. One row per sensor block in SensorHealth.cpp holds
// the rule's defaults. The catalytic and oxygen blocks are judged by their
// points (U zero and U gas), the ПГС block by its thresholds; the optical
// block and the semiconductor sensor of the two-sensor blocks keep no such
// points, and get no verdict.

#include "CalibrationRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SensorHealthRule {
    std::uint8_t block;
    enum class Style {
        Span,       // sensitivity (U gas − U zero per %) and zero drift, in mV
        Thresholds, // the ПГС thresholds' drift, as a share of the first ones
    } style;
    // Span: the sensor nears the end of its life once its sensitivity falls
    // below this share of the first record's, in percent.
    int minSensitivityPercent;
    // Span: the zero point's allowed drift from the first record, in the
    // points' units (tenths of a millivolt). Thresholds: each threshold's
    // allowed drift, in percent of its first value.
    int driftLimit;
    // The points the record names: the zero and the gas ones (Span), or
    // threshold 1 and threshold 2.
    const char *firstPoint;
    const char *secondPoint;
};

// The row of a block; nullptr for a block whose records hold no sensor points.
const SensorHealthRule *findSensorHealthRule(std::uint8_t block);

// One calibration as the sensor left it.
struct HealthSample {
    std::int64_t number = 0;
    std::string when; // YYYY-MM-DDTHH:MM:SS
    // Span: mV per % of gas, and the zero point in mV. Thresholds: threshold 1
    // and threshold 2 in the block's raw units.
    double first = 0;
    double second = 0;
    bool operator==(const HealthSample &) const = default;
};

// The sample of a record, from its points after adjustment (before where
// nothing was adjusted); none for an interrupted record, one without the
// points, or (Span) one whose cylinder has no concentration and whose block is
// not spanned in air.
std::optional<HealthSample> healthSample(const CalibrationRecord &record);

struct HealthVerdict {
    enum class State {
        NoVerdict, // no rule for the block, or no record to judge
        Ok,
        NearsEndOfLife,
    } state = State::NoVerdict;
    std::string reason; // in the technician's words
    // The newest sample against the first, as judged: Span: sensitivity in
    // percent of the first and the zero's drift in mV; Thresholds: the larger
    // drift of the two thresholds in percent.
    std::optional<double> sensitivityPercent;
    std::optional<double> drift;
};

struct SensorHistory {
    const SensorHealthRule *rule = nullptr;
    std::vector<HealthSample> samples; // oldest first
    HealthVerdict verdict;
};

// `records` are one instrument's, oldest first (RecordStore::list({serial})).
// The block is the newest record's; records of another block are left out.
// The verdict writes its decimals with `decimalPoint` ("1,0 мВ").
SensorHistory sensorHistory(const std::vector<CalibrationRecord> &records,
                            const std::string &decimalPoint = ",");
