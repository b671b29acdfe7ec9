#pragma once
// One wait of a calibration drawn as a strip chart for the certificate: its
// readings (in percent, as the procedure charts them) over the seconds since
// the wait began, the band the reading had to end in shaded, and the moment
// it counted as steady marked.

#include "calibration/CalibrationRecord.h"

#include <QRectF>
#include <QString>

class QPainter;

// `area` holds the title, the axes with their labels and the curve;
// `dotsPerMm` sizes the lines and the text.
void drawWaitChart(QPainter &painter, const QRectF &area, double dotsPerMm, const Measurement &m,
                   int perPercent, const QString &title);
