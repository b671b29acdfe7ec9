#pragma once
// The records command's three ways of showing the journal: a plain table
// (one line a record), JSON with every field of every record, and CSV with a
// heading row for a spreadsheet.

#include "protocol/CalibrationRecord.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <vector>

namespace RecordListing {
QString table(const std::vector<CalibrationRecord> &records);
QJsonObject json(const CalibrationRecord &record);
QJsonArray json(const std::vector<CalibrationRecord> &records);
// Fields separated by ";" as the tool's other CSV files, text quoted.
QString csv(const std::vector<CalibrationRecord> &records);
} // namespace RecordListing
