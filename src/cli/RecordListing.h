#pragma once
// The records command's three ways of showing the journal: a plain table
// (one line a record, the journal window's columns), JSON with every field of
// every record, and CSV with a heading row for a spreadsheet.

#include "calibration/CalibrationRecord.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <vector>

namespace RecordListing {
QString table(const std::vector<CalibrationRecord> &records);
QJsonObject json(const CalibrationRecord &record);
QJsonArray json(const std::vector<CalibrationRecord> &records);
// The journal window's CSV (JournalTable.h), decimals as the system writes them.
QByteArray csv(const std::vector<CalibrationRecord> &records);
} // namespace RecordListing
