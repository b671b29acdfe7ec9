#pragma once
// Whether a reading has settled: samples of (seconds since the wait began,
// value) in time order. The reading is steady once the wait has lasted the
// rule's window and the samples of the last window span less than its band.
// A rule asking for more readings than one looks back past the window to the
// last that many, and wants them within the band and spanning the window.

#include "CalibrationRules.h"

#include <optional>
#include <vector>

class SteadyWatch {
  public:
    explicit SteadyWatch(SteadyRule rule) : rule_(rule) {}

    // The rule may change while the wait goes on; the samples stay.
    void setRule(SteadyRule rule) { rule_ = rule; }
    void add(double seconds, double value);

    bool empty() const { return samples_.empty(); }
    double latest() const;      // the newest value; 0 while empty
    double lastSeconds() const; // when it came; 0 while empty
    bool steady() const;
    // Until it counts as steady if every reading from now on is the latest.
    double secondsLeft() const;
    // The span of the last window's samples, for the band drawn on the chart.
    double low() const;
    double high() const;
    // When the readings first covered 90 % of the change from the first
    // sample to the latest; none while that change is within the band.
    std::optional<double> secondsTo90() const;

  private:
    struct Sample {
        double seconds;
        double value;
    };
    // The first sample of the last window.
    std::size_t windowStart() const;

    SteadyRule rule_;
    std::vector<Sample> samples_;
};
