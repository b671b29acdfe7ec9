#pragma once
// What every virtual sensor has: its own random stream, the gas around it,
// whether it is on and sound, and the voltage it measured last. Tests hold the
// gas at a level or break the sensor's circuit.

#include "sim/AmbientGas.h"
#include "sim/SensorBlockModel.h"

#include <cstdint>
#include <random>

class VirtualSensor : public SensorBlockModel {
  public:
    bool isOn() const { return on_; }

    void holdGas(int hundredthsOfPercent) { gas_.hold(hundredthsOfPercent); }
    void releaseGas() { gas_.release(); }
    void setCircuitFault(bool on) { circuitFault_ = on; }

  protected:
    explicit VirtualSensor(std::uint32_t randomStart)
        : rng_(randomStart), gas_(static_cast<std::uint32_t>(rng_())) {}

    // Only a sensor that is on and sound measures the gas.
    bool sensing() const { return on_ && !circuitFault_; }

    std::mt19937 rng_;
    AmbientGas gas_;
    bool on_ = true;
    bool circuitFault_ = false;
    int voltage_ = 0;
};
