#pragma once
// What every virtual sensor has: its own random stream, the gas around it,
// whether it is on and sound, and the voltage it measured last. Tests hold the
// gas at a level or break the sensor's circuit.
//
// What is on the sensor (TestGas): the room (Ambient, the gas wandering and
// puffing poll by poll as AmbientGas makes it), clean air, nitrogen, a
// cylinder of a given concentration, or a gas just past one of the block's
// thresholds as the block holds it at the moment. The level at the sensor
// follows a change of gas in time (GasResponse), on the sensor's clock.
//
// A drifted sensor answers the gas otherwise than its calibration points
// say; each model draws how far from driftIn(), the same for the same start
// value and without touching rng_, so that a run without drift is the same
// whether or not drift could have been chosen.

#include "sim/AmbientGas.h"
#include "sim/GasResponse.h"
#include "sim/SensorBlockModel.h"

#include <cstdint>
#include <random>

class VirtualSensor : public SensorBlockModel {
  public:
    bool isOn() const { return on_; }

    void holdGas(int hundredthsOfPercent) { gas_.hold(hundredthsOfPercent); }
    void releaseGas() { gas_.release(); }
    void setCircuitFault(bool on) { circuitFault_ = on; }

    // Ambient lets go of a held gas.
    void applyGas(TestGas gas, int concentration) override;
    TestGas appliedGas() const { return applied_; }
    void setClock(SimClock clock) override;
    void setDrifted(bool on) override { drifted_ = on; }
    void setSettlingMs(std::int64_t tauMs) override { response_.setTimeConstant(tauMs); }
    bool drifted() const { return drifted_; }
    // A level a little over `level`: a tenth more, at least two units.
    static double justAbove(double level);

  protected:
    explicit VirtualSensor(std::uint32_t randomStart)
        : rng_(randomStart), gas_(static_cast<std::uint32_t>(rng_())),
          driftStart_(randomStart * 2246822519u + 374761393u) {}

    // Only a sensor that is on and sound measures the gas.
    bool sensing() const { return on_ && !circuitFault_; }

    // The gas at the sensor now, in the block's units, on its way to what is
    // on the sensor.
    double gasLevel();
    // What `gas` puts on the sensor now, in the block's units.
    virtual double targetOf(TestGas gas, int concentration) const;
    // The room's gas.
    virtual double ambientLevel() const { return gas_.level(); }
    virtual void releaseHolds() { gas_.release(); }
    // The gas just past threshold 1 or 2 of the block as it holds them now.
    virtual double thresholdGas(int which) const = 0;

    // A whole number in [lo, hi] that is this sensor's drift number `which`.
    int driftIn(int lo, int hi, std::uint32_t which) const;

    std::mt19937 rng_;
    AmbientGas gas_;
    bool on_ = true;
    bool circuitFault_ = false;
    bool drifted_ = false;
    int voltage_ = 0;

  private:
    // The gas on the sensor now: the room's, or the one applied.
    double onSensorNow() const;

    std::uint32_t driftStart_;
    SimClock clock_ = steadyClockMs;
    TestGas applied_ = TestGas::Ambient;
    int concentration_ = 0;
    // An applied gas's level, as last worked out: a threshold gas moves
    // with the block's thresholds.
    double target_ = 0;
    GasResponse response_;
};
