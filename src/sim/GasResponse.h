#pragma once
// How the gas at a sensor follows a change of what is on it: a first-order
// response. From the moment of a change the level approaches the new gas as
//     level(t) = gas(t) + (level then − gas then) × exp(−(t − then) / τ),
// so that it is within 1 % of a step after about 28 s. The gas itself may
// move (the room's wandering background and puffs): the level then follows
// it at once, with the step's remainder on top until that has died away.

#include <cstdint>

class GasResponse {
  public:
    // τ, milliseconds of the clock, unless a sensor is given its own.
    static constexpr std::int64_t TimeConstantMs = 6000;

    void setTimeConstant(std::int64_t ms) { tauMs_ = ms > 0 ? ms : TimeConstantMs; }
    std::int64_t timeConstant() const { return tauMs_; }

    // The level at `nowMs` with `gas` on the sensor now.
    double levelAt(double gas, std::int64_t nowMs) const;
    // What is on the sensor changes to `gas` at `nowMs`; the level goes on
    // from `levelNow`.
    void change(double levelNow, double gas, std::int64_t nowMs);
    // Drops a remainder too small to matter, so that readings in a gas held
    // long enough come out exactly as without the change.
    void settle(std::int64_t nowMs);

  private:
    double decayAt(std::int64_t nowMs) const;

    double remainder_ = 0;
    std::int64_t since_ = 0;
    std::int64_t tauMs_ = TimeConstantMs;
};
