#pragma once
// A few command codes sent on consecutive transmit ticks, one code per tick in
// byte 1 of the standing command frame.

#include "CodeList.h"

#include <array>
#include <cstdint>

struct CommandSequence {
    std::uint8_t SequencePosition = 0;
    std::array<std::uint8_t, 9> SequenceCodes{};
    std::uint8_t SequenceCount = 0;

    // Replaces whatever is pending; at most the first four codes are kept.
    void queue(const CodeList &codes);
    bool pending() const { return SequenceCount != 0; }
    // Drops whatever is still to be sent.
    void clear() { SequenceCount = 0; }
    // The code to send now; advances the position. Only while pending().
    std::uint8_t takeNext();
};
