#pragma once
// Numbers as the program's locale writes them, in every calibration window.

#include <QString>

// `value` with `decimals` places and the locale's decimal point, no grouping.
QString fixed(double value, int decimals);

// The procedure and the record's texts write "2,50 %" and "1219,4 мВ"
// whatever the locale: their numbers before a unit take the locale's
// decimal point, so that a window writes numbers one way.
QString localized(QString text);

// A value kept in units of 1/`per` (a block's hundredths of a percent, its
// tenths of a millivolt) with the places those units have.
QString inUnits(int value, int per);
