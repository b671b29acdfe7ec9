#pragma once
// The due list: for each instrument its newest record, and whether its next
// calibration falls within the days asked or is past. An instrument whose
// newest calibration failed or was interrupted has no next date: it is due now.

#include "calibration/CalibrationRecord.h"

#include <QDate>
#include <QJsonArray>
#include <QString>

#include <optional>
#include <vector>

namespace DueList {
struct Entry {
    CalibrationRecord last;
    std::optional<int> daysLeft; // negative when past; none when due now
};

// `records` oldest first, as the journal lists them; the most urgent first.
std::vector<Entry> within(const std::vector<CalibrationRecord> &records, QDate today, int days);
// When it is due, in words: "сейчас: не годен", "01.03.2027, через 12 дн.".
QString when(const Entry &entry);
QString table(const std::vector<Entry> &entries);
QJsonArray json(const std::vector<Entry> &entries);
} // namespace DueList
