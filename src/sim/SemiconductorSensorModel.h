#pragma once
// The semiconductor sensor beside the thermocatalytic one in blocks 20 and 21.
// It knows three codes: 18 switches it on, 20 off, 21 polls it. Every reply
// carries its status in byte 2 and its voltage in tenths of a millivolt in
// bytes 5, 6; bytes 3, 4 stay zero. In clean air the voltage sits between 900
// and 1100 mV and climbs with the gas, flattening out towards some 2200 mV.
// It has no thresholds of its own: the two-sensor block hands it the gas of
// its thermocatalytic sensor's thresholds as a cylinder.

#include "protocol/SemiconductorReply.h"
#include "sim/VirtualSensor.h"

#include <cstdint>
#include <random>

class SemiconductorSensorModel : public VirtualSensor {
  public:
    // Clean-air voltage range, tenths of a millivolt.
    static constexpr int AirTenthsMin = 9000;
    static constexpr int AirTenthsMax = 11000;
    // The rise with gas g (hundredths of a percent): RiseTenths × g / (g + HalfRiseAt).
    static constexpr int RiseTenths = 12000;
    static constexpr int HalfRiseAt = 150;
    static constexpr int NoiseTenths = 5;
    // Off or broken, the voltage shows at most this.
    static constexpr int DeadTenthsMax = 20;
    // A puff in the demo gas peaks near this, hundredths of a percent.
    static constexpr int TypicalPuff = 250;

    SemiconductorSensorModel(std::uint8_t block, std::uint32_t randomStart);

    // Codes other than 18, 20 and 21 are answered like the poll and change nothing.
    std::optional<Frame> answer(const Frame &command) override;

    SemiconductorReply::Status statusFlags() const { return {on_, circuitFault_}; }
    // Byte 2 of its replies.
    std::uint8_t status() const;
    // The last voltage measured.
    int voltageTenths() const { return voltage_; }

  private:
    int measure();
    double thresholdGas(int) const override { return 0; }

    std::uint8_t block_;
    int airTenths_;
};
