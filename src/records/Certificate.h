#pragma once
// A calibration record as a certificate: an A4 PDF in Russian with the
// instrument, the calibration's conditions, every measurement, the adjusted
// points and settings, the verdict, the charts of the waits and lines for
// the signatures. Needs a QGuiApplication (fonts); any platform will do,
// offscreen included.

#include "calibration/CalibrationRecord.h"

#include <QString>

namespace Certificate {
// Written whole or not at all: a file already at `path` stays as it was when
// anything fails, and `error` says why.
bool write(const CalibrationRecord &r, const QString &path, QString *error);
} // namespace Certificate
