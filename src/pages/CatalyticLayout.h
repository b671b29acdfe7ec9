#pragma once
// The two groups every page with a thermocatalytic sensor lays out the same
// way, under its own widget names: the seven status indicators and the
// parameter group (calibration voltages, the four parameters, their buttons).

#include "CatalyticSensor.h"

#include <QRect>
#include <QString>

#include <array>

namespace CatalyticLayout {

// Height of the status group.
constexpr int StatusHeight = 166;

// The group's name, then its seven panels top to bottom: four state panels, a
// gap, then the switch-off, threshold 2 and threshold 1 alarms. The state
// panels show power, mode, settings and circuit, or with `circuitFirst` the
// same four from the bottom up.
QGroupBox *statusGroup(QWidget *page, CatalyticWidgets &w, const std::array<const char *, 8> &names,
                       const QString &caption, QRect where, bool circuitFirst);

struct ParameterNames {
    const char *group, *labelAir, *uAir, *applyAir, *labelGas, *uGas, *applyGas, *panel;
    std::array<const char *, 4> labels, fields;
    const char *writeUpper, *writeLower, *save;
};

// The save button sits at the group's foot on the right, `saveWidth` wide.
void parameterGroup(QWidget *page, CatalyticWidgets &w, const ParameterNames &names,
                    const QString &caption, const QString &saveCaption, QRect where, int saveWidth);

} // namespace CatalyticLayout
