#include "ChartHistory.h"

void ChartHistory::add(double v) {
    if (WritePosition > SlotCount)
        WritePosition = 1;
    Slots[static_cast<std::size_t>(WritePosition)] = v;
    ++WritePosition;
    if (Filled < SlotCount)
        ++Filled;
}

std::array<double, ChartHistory::SlotCount> ChartHistory::points() const {
    std::array<double, SlotCount> out{};
    // The slot after the newest holds the oldest value.
    std::int32_t readPosition = WritePosition;
    for (int pointCounter = 0; pointCounter < SlotCount; ++pointCounter) {
        if (readPosition > SlotCount)
            readPosition = 1;
        out[static_cast<std::size_t>(pointCounter)] = Slots[static_cast<std::size_t>(readPosition)];
        ++readPosition;
    }
    return out;
}

double ChartHistory::newest() const {
    std::int32_t last = WritePosition - 1;
    if (last < 1)
        last = SlotCount;
    return Slots[static_cast<std::size_t>(last)];
}
