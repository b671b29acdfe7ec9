#pragma once
// The gas around one virtual sensor, in hundredths of a percent. Most of the
// time it wanders just above zero; now and then a puff comes by: it rises
// within a few polls to somewhat above the level the sensor's owner calls
// typical for a puff, stays there for a few polls, then thins out over some
// tens of polls. A test can hold the gas at one level instead (no wander, no
// puffs).
//
// Time moves only when next() is called, once per reading the sensor gives.

#include <cstdint>
#include <random>

class AmbientGas {
  public:
    // The background wanders in [0, BackgroundMax].
    static constexpr int BackgroundMax = 6;
    // Between puffs, each step starts one with a chance of 1 in QuietChance;
    // with the puff's own length that makes about one puff every 150 polls.
    static constexpr int QuietChance = 100;
    // A puff peaks at 110 to 140 % of the typical level it is given.
    static constexpr int PeakLowPercent = 110;
    static constexpr int PeakHighPercent = 140;
    // Polls the rise takes, at least and at most.
    static constexpr int RiseStepsMin = 3;
    static constexpr int RiseStepsMax = 8;
    // Polls the peak lasts, at least and at most.
    static constexpr int PeakStepsMin = 4;
    static constexpr int PeakStepsMax = 10;
    // After its peak a puff keeps DecayKeep / DecayOf of itself per poll and
    // is gone once under PuffGoneBelow.
    static constexpr int DecayKeep = 7;
    static constexpr int DecayOf = 8;
    static constexpr int PuffGoneBelow = 3;
    // A held level is kept within [0, HoldMax] (100 %).
    static constexpr int HoldMax = 10000;

    explicit AmbientGas(std::uint32_t randomStart) : rng_(randomStart) {}

    // One poll later: moves the gas on and returns its new level. A puff that
    // starts now peaks near `typicalPuff`.
    int next(int typicalPuff);
    int level() const { return background_ + puff_; }

    void hold(int hundredths);
    void release();

  private:
    void startPuff(int typicalPuff);

    std::mt19937 rng_;
    bool held_ = false;
    bool rising_ = false;
    int background_ = 0;
    int puff_ = 0;
    int peak_ = 0;
    int riseStep_ = 0;
    int peakLeft_ = 0;
};
