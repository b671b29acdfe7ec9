#pragma once
// An indicator showing one decoded fact: a text and colour while it does not
// hold, another pair while it does.

#include "IndicatorPanel.h"

#include <initializer_list>

struct BitIndicator {
    IndicatorPanel *panel;
    bool set;
    const char *clearText;
    IndicatorPanel::Colour clearColour;
    const char *setText;
    IndicatorPanel::Colour setColour;

    void apply() const {
        if (set)
            panel->set(QString::fromUtf8(setText), setColour);
        else
            panel->set(QString::fromUtf8(clearText), clearColour);
    }
};

inline void applyAll(std::initializer_list<BitIndicator> indicators) {
    for (const BitIndicator &i : indicators)
        i.apply();
}
