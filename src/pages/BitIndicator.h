#pragma once
// An indicator driven by one status bit: a text and colour for the bit clear,
// another pair for the bit set.

#include "IndicatorPanel.h"

#include <cstdint>
#include <initializer_list>

struct BitIndicator {
    IndicatorPanel *panel;
    std::uint8_t mask;
    const char *clearText;
    IndicatorPanel::Colour clearColour;
    const char *setText;
    IndicatorPanel::Colour setColour;

    void apply(std::uint8_t bits) const {
        if (bits & mask)
            panel->set(QString::fromUtf8(setText), setColour);
        else
            panel->set(QString::fromUtf8(clearText), clearColour);
    }
};

inline void applyBits(std::initializer_list<BitIndicator> indicators, std::uint8_t bits) {
    for (const BitIndicator &i : indicators)
        i.apply(bits);
}
