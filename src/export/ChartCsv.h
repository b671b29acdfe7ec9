#pragma once
// A chart's 200 points as a table that a spreadsheet set up for Russian opens
// as it is: ';' between the columns and the locale's decimal separator, UTF-8
// with a byte-order mark (without one Excel takes the file for Windows-1251).
// A header line (the point number, then the heading of the values), then one
// line per point, 1 the oldest to 200 the newest, ends of line CR LF. A point
// that no value has reached yet has an empty cell instead of the 0 the chart
// draws for it. Values keep every digit that tells them apart: read back, they
// are the chart's own.

#include "charts/ChartHistory.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

QByteArray chartCsv(const QString &valueHeading, const ChartHistory &history,
                    QLocale locale = QLocale());
