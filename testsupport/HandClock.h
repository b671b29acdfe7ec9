#pragma once
// The main window's ticks as its timers would run them (transmit every
// 350 ms, receive every 100 ms) over `ms` of a clock the caller moves by hand,
// the one the virtual instruments read; what the ticks queued for the event
// loop once a second of that clock and at the end.

#include "ui/TForm1.h"

#include <QApplication>

#include <cstdint>

inline void runTicks(TForm1 &form, std::int64_t &nowMs, int ms) {
    for (int t = 0; t < ms; t += 50) {
        nowMs += 50;
        if (nowMs % 350 == 0)
            form.Timer1Timer();
        if (nowMs % 100 == 0)
            form.Timer2Timer();
        if (nowMs % 1000 == 0)
            QApplication::processEvents();
    }
    QApplication::processEvents();
}
