#pragma once
// The status bits every sensor block reports the same way, with the texts and
// colours its indicators show for them.

#include "BitIndicator.h"
#include "protocol/SensorCodes.h"

#include <QString>

namespace SensorIndicators {
using C = IndicatorPanel::Colour;

using namespace SensorStatus;

inline BitIndicator power(IndicatorPanel *p) {
    return {p, On, "Сенсор выключен", C::Red, "Сенсор включен", C::Face};
}
inline BitIndicator mode(IndicatorPanel *p) {
    return {p, SetUp, "Рабочий режим", C::Face, "Режим настройки", C::Yellow};
}
inline BitIndicator settings(IndicatorPanel *p) {
    return {p, SettingsError, "Настройки в норме", C::Face, "Ошибка настройки", C::Yellow};
}
inline BitIndicator circuit(IndicatorPanel *p) {
    return {p, CircuitFault, "Сенсор в норме", C::Face, "КЗ или обрыв сенсора", C::Red};
}
inline BitIndicator alarm1(IndicatorPanel *p) {
    return {p, Threshold1, "Нет превышения порога 1", C::Face, "Превышение порога 1", C::Red};
}
inline BitIndicator alarm2(IndicatorPanel *p) {
    return {p, Threshold2, "Нет превышения порога 2", C::Face, "Превышение порога 2", C::Red};
}
inline BitIndicator alarm3(IndicatorPanel *p) {
    return {p, Threshold3, "Нет превышения порога 3", C::Face, "Превышение порога 3", C::Red};
}
inline BitIndicator offAlarm(IndicatorPanel *p) {
    return {p,     OffThreshold, "Нет превышения порога откл.", C::Face, "Превышение порога откл.",
            C::Red};
}

// The gas the block is set for.
inline QString gasName(std::uint8_t status) {
    return status & Propane ? "ПРОПАН" : "МЕТАН";
}

// Alarm panels speak only while `shown`; otherwise their texts are emptied,
// their colours kept or, with `faceWhenEmpty`, put back to the face colour.
inline void showAlarms(std::initializer_list<BitIndicator> alarms, std::uint8_t status, bool shown,
                       bool faceWhenEmpty = false) {
    for (const BitIndicator &a : alarms) {
        if (shown)
            a.apply(status);
        else if (faceWhenEmpty)
            a.panel->set(QString(), C::Face);
        else
            a.panel->setText(QString());
    }
}
} // namespace SensorIndicators
