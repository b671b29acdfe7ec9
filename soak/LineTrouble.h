#pragma once
// The trouble a long cable on a noisy bench brings, put on the open adapter now
// and then: replies lost, checksums broken, stray bytes ahead of a reply,
// replies arriving in two parts, bytes lost, replies held back for a while.

#include "sim/SimFtDriver.h"

#include <array>
#include <cstdint>
#include <random>

class LineTrouble {
  public:
    enum Kind {
        DroppedReplies,
        CorruptChecksum,
        StrayByte,
        SplitReply,
        LostByte,
        Delay,
        KindCount
    };

    explicit LineTrouble(std::uint32_t randomStart) : random_(randomStart) {}

    // Puts one kind of trouble, drawn at random, on the adapter.
    Kind inject(SimFaults &faults, std::int64_t nowMs);
    // Ends a hold-back whose time is up.
    void settle(SimFaults &faults, std::int64_t nowMs);
    // Whatever is still pending is taken off the adapter.
    void clear(SimFaults &faults);

    static const char *name(Kind kind);
    std::array<std::int64_t, KindCount> counts{};

  private:
    std::mt19937 random_;
    std::int64_t delayEndsAt_ = -1;
};
