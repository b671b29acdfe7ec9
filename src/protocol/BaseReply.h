#pragma once
// The base's replies to the poll and to 6, 7 and 8: its state in byte 2, the
// state of its links to the sensor block and the pump in byte 3, the battery
// voltage in bytes 5 and 6. The reply to 9 identifies the instrument
// (InstrumentKind.h) and carries none of these.

#include "Frame.h"

#include <cstdint>
#include <optional>

struct BaseReply {
    struct State {
        bool testMode = false;
        bool menu = false;
        bool discharged = false;
        bool charging = false;
        bool contactBroken = false; // the battery's contact
        bool operator==(const State &) const = default;
    };
    struct Links {
        bool noPump = false;
        bool noSensor = false;
        bool operator==(const Links &) const = default;
    };

    std::uint8_t code = Code::Poll;
    std::optional<State> state;
    std::optional<Links> links;
    std::optional<int> batteryMillivolts;

    bool operator==(const BaseReply &) const = default;
};

BaseReply decodeBase(const Frame &reply);
// Bytes 0 to 6 of the reply; the checksum is left to whoever sends it.
Frame encode(const BaseReply &reply);
