#include "LineTrouble.h"

#include "sim/RandomIn.h"

LineTrouble::Kind LineTrouble::inject(SimFaults &faults, std::int64_t nowMs) {
    const auto kind = static_cast<Kind>(randomIn(random_, 0, KindCount - 1));
    switch (kind) {
    case DroppedReplies:
        faults.dropReplies += randomIn(random_, 1, 3);
        break;
    case CorruptChecksum:
        faults.corruptChecksum = true;
        break;
    case StrayByte:
        faults.garbageBefore = static_cast<std::uint8_t>(randomIn(random_, 0, 255));
        break;
    case SplitReply:
        faults.splitAfter = randomIn(random_, 1, 7);
        faults.splitGapMs = randomIn(random_, 5, 400);
        break;
    case LostByte:
        faults.dropByteAt = static_cast<std::size_t>(randomIn(random_, 0, 7));
        break;
    case Delay:
        // Longer than a transmit interval at times, so that replies queue up.
        faults.extraDelayMs = randomIn(random_, 50, 900);
        delayEndsAt_ = nowMs + randomIn(random_, 2'000, 20'000);
        break;
    case KindCount:
        break;
    }
    ++counts[static_cast<std::size_t>(kind)];
    return kind;
}

void LineTrouble::settle(SimFaults &faults, std::int64_t nowMs) {
    if (delayEndsAt_ >= 0 && nowMs >= delayEndsAt_) {
        faults.extraDelayMs = 0;
        delayEndsAt_ = -1;
    }
}

void LineTrouble::clear(SimFaults &faults) {
    faults = SimFaults{};
    delayEndsAt_ = -1;
}

const char *LineTrouble::name(Kind kind) {
    switch (kind) {
    case DroppedReplies:
        return "replies dropped";
    case CorruptChecksum:
        return "checksums broken";
    case StrayByte:
        return "stray bytes";
    case SplitReply:
        return "split replies";
    case LostByte:
        return "bytes lost";
    case Delay:
        return "hold-backs";
    case KindCount:
        break;
    }
    return "";
}
