#pragma once
// The journal of calibrations as a table: the columns the journal window
// shows, `ze23-cli records` prints and both write as CSV for a spreadsheet,
// so that each names a record the same way.

#include "calibration/CalibrationRecord.h"

#include <QByteArray>
#include <QLocale>
#include <QStringList>

#include <vector>

namespace JournalTable {
enum Column { Number, When, Serial, Model, SensorBlock, Outcome, NextDue, Technician, Stand };

// "№", "Дата", "Прибор №", "Модель", "Блок датчика", "Итог", "Следующая", "Выполнил",
// "Стенд" (a stand's position and its sensor's label: "поз. 7, DTK-001"; empty
// for a calibration on the desk).
QStringList headings();
// A record in those columns; the outcome says which record it corrects.
QStringList cells(const CalibrationRecord &r);
// The records as CSV: UTF-8 with its byte-order mark, the headings and the
// cylinder's columns, then the stand's batch, position and label each a
// column of its own (last, so that the older columns keep their places),
// every field quoted, ";" between them and CRLF after
// each line, decimals as `numbers` writes them.
QByteArray csv(const std::vector<CalibrationRecord> &records, const QLocale &numbers);
} // namespace JournalTable
