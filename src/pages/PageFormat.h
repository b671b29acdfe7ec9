#pragma once
// How the block pages write numbers: integers plain, scaled readings in general
// format without trailing zeros (or with exactly one decimal on the oxygen
// page), always with the decimal separator of the regional settings and no
// thousands separator.

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

namespace PageFormat {
// Shown instead of a concentration that is not valid.
inline const QString NotValid = " XXXX";

// The program's locale (the system's unless set otherwise) without its
// thousands separator: what every window writes its decimals in.
QLocale numbers();

// 123.4, 75, -1, 6553.5
QString general(double value);
// 20.0, -3.5
QString fixed1(double value);
// With `decimals` decimals: fixed(412.34, 2) is 412.34 (412,34 in Russian).
QString fixed(double value, int decimals);
// "Версия 2.3" from 0x23
QString version(std::uint8_t packed);

// A masked field's text as a 16-bit value, blanks around it ignored. Empty or
// not a whole number gives nothing; the error text for the technician is
// notAnInteger(text).
std::optional<std::int32_t> integer(const QString &text);
QString notAnInteger(const QString &text);
} // namespace PageFormat
