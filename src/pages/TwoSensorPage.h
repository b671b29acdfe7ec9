#pragma once
// A page for a block with two sensors, a thermocatalytic and a semiconductor
// one: both status groups, the parameters, and a voltage chart for each. Every
// command is queued as a sequence. While nothing else is pending the block is
// polled for each sensor in turn (12, then 21).

#include "BlockPage.h"
#include "CatalyticLayout.h"
#include "CatalyticSensor.h"
#include "SemiconductorSensor.h"

#include <array>

class Messages;
class QGroupBox;
class QPushButton;
class StripChart;

// The page's widget names, in the order they are laid out.
struct TwoSensorNames {
    // The group, then its seven panels top to bottom.
    std::array<const char *, 8> status;
    const char *concentrationGroup, *concentration, *on, *off;
    // No gas button where the block knows one gas only.
    const char *gas, *zero, *setUp, *reset, *version;
    CatalyticLayout::ParameterNames parameters;
    const char *defaults, *read;
    // The group, its circuit panel, its power panel, and the on and off buttons.
    std::array<const char *, 5> semiconductor;
    // Chart, series and corner panel: upper (thermocatalytic), lower.
    std::array<const char *, 3> upperChart, lowerChart;
};

class TwoSensorPage : public BlockPage {
    Q_OBJECT
  public:
    TwoSensorPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
                  std::uint8_t block, const TwoSensorNames &names, const QString &parameterCaption,
                  std::optional<CatalyticDefaults> fixedGas, QWidget *parent = nullptr);

    CatalyticSensor sensor;
    SemiconductorSensor semiconductor;

  protected:
    void decode(const Frame &reply) override;

    QGroupBox *statusGroup, *concentrationGroup, *semiconductorGroup;
    IndicatorPanel *concentration, *version;
    QPushButton *onButton, *offButton, *gasButton = nullptr, *zeroButton, *setUpButton,
                                       *resetButton, *defaultsButton, *readButton;
    QPushButton *semiconductorOn, *semiconductorOff;
};
