#pragma once
// The status every sensor block reports the same way, with the texts and
// colours its indicators show for it. Each takes the fact as the block's
// reply decoder gives it.

#include "BitIndicator.h"

#include <QString>

namespace SensorIndicators {
using Colour = IndicatorPanel::Colour;

inline BitIndicator power(IndicatorPanel *p, bool on) {
    return {p, on, "Сенсор выключен", Colour::Red, "Сенсор включен", Colour::Face};
}
inline BitIndicator mode(IndicatorPanel *p, bool setUp) {
    return {p, setUp, "Рабочий режим", Colour::Face, "Режим настройки", Colour::Yellow};
}
inline BitIndicator settings(IndicatorPanel *p, bool error) {
    return {p, error, "Настройки в норме", Colour::Face, "Ошибка настройки", Colour::Yellow};
}
inline BitIndicator circuit(IndicatorPanel *p, bool fault) {
    return {p, fault, "Сенсор в норме", Colour::Face, "КЗ или обрыв сенсора", Colour::Red};
}
inline BitIndicator alarm1(IndicatorPanel *p, bool exceeded) {
    return {p,          exceeded, "Нет превышения порога 1", Colour::Face, "Превышение порога 1",
            Colour::Red};
}
inline BitIndicator alarm2(IndicatorPanel *p, bool exceeded) {
    return {p,          exceeded, "Нет превышения порога 2", Colour::Face, "Превышение порога 2",
            Colour::Red};
}
inline BitIndicator alarm3(IndicatorPanel *p, bool exceeded) {
    return {p,          exceeded, "Нет превышения порога 3", Colour::Face, "Превышение порога 3",
            Colour::Red};
}
inline BitIndicator offAlarm(IndicatorPanel *p, bool exceeded) {
    return {p,
            exceeded,
            "Нет превышения порога откл.",
            Colour::Face,
            "Превышение порога откл.",
            Colour::Red};
}

// The gas the block is set for.
inline QString gasName(bool propane) {
    return propane ? "ПРОПАН" : "МЕТАН";
}

// Alarm panels speak only while `shown`; otherwise their texts are emptied,
// their colours kept or, with `faceWhenEmpty`, put back to the face colour.
inline void showAlarms(std::initializer_list<BitIndicator> alarms, bool shown,
                       bool faceWhenEmpty = false) {
    for (const BitIndicator &a : alarms) {
        if (shown)
            a.apply();
        else if (faceWhenEmpty)
            a.panel->set(QString(), Colour::Face);
        else
            a.panel->setText(QString());
    }
}
} // namespace SensorIndicators
