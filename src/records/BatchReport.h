#pragma once
// The report of a stand's batch as a PDF: the instrument, who calibrated,
// the cylinder and the rules; a line for each position with its sensor's
// label, its readings as found and as left in the cylinder's gas and in
// clean air, its verdict and its record; the empty positions; the totals.

#include "calibration/CalibrationRecord.h"

#include <QString>

#include <optional>
#include <vector>

namespace BatchReport {
struct Position {
    int position = 0;
    std::string label;
    // Its record (numbered once the journal keeps it); none for a position
    // whose block never answered.
    std::optional<CalibrationRecord> record;
};

// Written whole or not at all; false with the reason in the technician's words.
// `note`, where given, is printed under the totals (a report made again from
// the journal says that the empty positions are not in it).
bool write(const QString &batch, const std::vector<Position> &positions, const QString &path,
           QString *error, const QString &note = QString());

// The batch's positions as the journal holds them, by position: each
// position's newest record of the batch (`oldestFirst` as the journal lists
// its records). The journal keeps no record of an empty position.
std::vector<Position> fromJournal(const QString &batch,
                                  const std::vector<CalibrationRecord> &oldestFirst);

// What a report made from the journal says of the positions it cannot show.
QString journalNote();
} // namespace BatchReport
