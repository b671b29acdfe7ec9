#pragma once
// The last 200 values behind one strip chart: a ring that each new value
// overwrites at its oldest slot. The chart is redrawn from it, oldest value at
// X = 1 and newest at X = 200.

#include <array>
#include <cstdint>

class ChartHistory {
  public:
    static constexpr int SlotCount = 200;

    // Stores v; afterwards points() holds the 200 values oldest first.
    void add(double v);

    // Values in chart order: index 0 is drawn at X = 1, index 199 at X = 200.
    std::array<double, SlotCount> points() const;
    // The value most recently added (0.0 before any).
    double newest() const;
    // How many of the 200 points hold a value; until 200 have come, the oldest
    // points are empty and drawn as 0.
    int filledCount() const { return Filled; }

    std::int32_t writePosition() const { return WritePosition; }

  private:
    std::array<double, SlotCount + 1> Slots{}; // numbered 1 to 200; 0 unused
    std::int32_t WritePosition = 1;
    std::int32_t Filled = 0;
};
