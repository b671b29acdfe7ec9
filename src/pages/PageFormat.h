#pragma once
// How the block pages write numbers: integers plain, scaled readings in general
// format without trailing zeros (or with exactly one decimal on the oxygen
// page), always with the decimal separator of the regional settings and no
// thousands separator.

#include <QString>

#include <cstdint>
#include <optional>

namespace PageFormat {
// Shown instead of a concentration that is not valid.
inline const QString NotValid = " XXXX";

// 123.4, 75, -1, 6553.5
QString general(double value);
// 20.0, -3.5
QString fixed1(double value);
// "Версия 2.3" from 0x23
QString version(std::uint8_t packed);

// A masked field's text as a 16-bit value, blanks around it ignored. Empty or
// not a whole number gives nothing; the error text for the technician is
// notAnInteger(text).
std::optional<std::int32_t> integer(const QString &text);
QString notAnInteger(const QString &text);
} // namespace PageFormat
