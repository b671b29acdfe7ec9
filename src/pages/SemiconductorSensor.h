#pragma once
// The semiconductor sensor of a two-sensor block: on or off, healthy or not,
// and its voltage as a number and a strip chart. It has codes of its own (18
// on, 20 off, 21 poll); the block's other codes belong to its thermocatalytic
// sensor.

#include "protocol/ExchangeCycle.h"
#include "protocol/SemiconductorReply.h"

class IndicatorPanel;
class StripChart;

struct SemiconductorWidgets {
    IndicatorPanel *power, *circuit, *voltage;
    StripChart *chart;
};

class SemiconductorSensor {
  public:
    SemiconductorSensor(ExchangeCycle &exchange, std::uint8_t block);

    SemiconductorWidgets w{};

    void decode(const Frame &reply);

    void switchOn();
    void switchOff();

  private:
    ExchangeCycle &exchange_;
    std::uint8_t address_;
};
