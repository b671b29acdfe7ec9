#pragma once
// A block with two sensors behind one address (ТКС+ПГС, block 20, and its
// hydrogen version, block 21): codes 18, 20 and 21 go to the semiconductor
// sensor, every other code to the thermocatalytic one.

#include "sim/CatalyticSensorModel.h"
#include "sim/SemiconductorSensorModel.h"

#include <cstdint>

class TwoSensorBlockModel : public SensorBlockModel {
  public:
    // `gasChoice` as for CatalyticSensorModel: false on the hydrogen block.
    TwoSensorBlockModel(std::uint8_t block, bool gasChoice, std::uint8_t version,
                        std::uint32_t randomStart);

    std::optional<Frame> answer(const Frame &command) override;
    // The gas reaches both sensors.
    void applyGas(TestGas gas, int concentration) override;
    void setClock(SimClock clock) override;
    // Only the thermocatalytic sensor drifts.
    void setDrifted(bool on) override { catalytic_.setDrifted(on); }
    void setSettlingMs(std::int64_t tauMs) override;
    // Only the thermocatalytic sensor's points are saved.
    void setLosesSaves(bool on) override;

    CatalyticSensorModel &catalytic() { return catalytic_; }
    SemiconductorSensorModel &semiconductor() { return semiconductor_; }

  private:
    CatalyticSensorModel catalytic_;
    SemiconductorSensorModel semiconductor_;
};
