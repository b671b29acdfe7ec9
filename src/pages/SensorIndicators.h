#pragma once
// The status bits every sensor block reports the same way, with the texts and
// colours its indicators show for them.

#include "BitIndicator.h"
#include "protocol/SensorCodes.h"

#include <QString>

namespace SensorIndicators {
using Colour = IndicatorPanel::Colour;

using namespace SensorStatus;

inline BitIndicator power(IndicatorPanel *p) {
    return {p, On, "Сенсор выключен", Colour::Red, "Сенсор включен", Colour::Face};
}
inline BitIndicator mode(IndicatorPanel *p) {
    return {p, SetUp, "Рабочий режим", Colour::Face, "Режим настройки", Colour::Yellow};
}
inline BitIndicator settings(IndicatorPanel *p) {
    return {
        p, SettingsError, "Настройки в норме", Colour::Face, "Ошибка настройки", Colour::Yellow};
}
inline BitIndicator circuit(IndicatorPanel *p) {
    return {p, CircuitFault, "Сенсор в норме", Colour::Face, "КЗ или обрыв сенсора", Colour::Red};
}
inline BitIndicator alarm1(IndicatorPanel *p) {
    return {p,          Threshold1, "Нет превышения порога 1", Colour::Face, "Превышение порога 1",
            Colour::Red};
}
inline BitIndicator alarm2(IndicatorPanel *p) {
    return {p,          Threshold2, "Нет превышения порога 2", Colour::Face, "Превышение порога 2",
            Colour::Red};
}
inline BitIndicator alarm3(IndicatorPanel *p) {
    return {p,          Threshold3, "Нет превышения порога 3", Colour::Face, "Превышение порога 3",
            Colour::Red};
}
inline BitIndicator offAlarm(IndicatorPanel *p) {
    return {p,
            OffThreshold,
            "Нет превышения порога откл.",
            Colour::Face,
            "Превышение порога откл.",
            Colour::Red};
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
            a.panel->set(QString(), Colour::Face);
        else
            a.panel->setText(QString());
    }
}
} // namespace SensorIndicators
