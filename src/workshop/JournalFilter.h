#pragma once
// Which records of the calibration journal the journal window shows: an
// instrument by serial number, a model and its sensor block, a range of days,
// an outcome, a part of the technician's name and a stand's batch. An empty
// field lets every record through.

#include "calibration/CalibrationRecord.h"

#include <QDate>
#include <QString>

#include <cstdint>

#include <optional>
#include <vector>

struct JournalFilter {
    std::optional<int> serial;
    QString model; // as InstrumentKind names it; empty for any
    // With the model, the sensor block: one kind where several share a model.
    std::optional<std::uint8_t> block;
    QDate from, to; // the days of the calibration, both included; null for open
    std::optional<CalibrationOutcome> outcome;
    QString technician; // a part of the name, in any case
    QString batch;      // the whole batch, as its report names it

    bool matches(const CalibrationRecord &r) const;
};

// The records that pass, newest first (the store lists them oldest first).
std::vector<CalibrationRecord> filtered(const std::vector<CalibrationRecord> &oldestFirst,
                                        const JournalFilter &filter);

// A record whose outcome wants attention on `today`: failed, interrupted, or
// the instrument's newest record with its next due day gone by.
bool wantsAttention(const CalibrationRecord &r, bool newestOfInstrument, const QDate &today);
