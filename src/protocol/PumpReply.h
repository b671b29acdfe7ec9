#pragma once
// The pump's replies: its state in byte 2 of each. The poll and the steps
// carry the coil current in bytes 3 and 4 (half-milliamperes) and the
// amplitude and frequency where the pump's layout puts them; the reply to 9
// the version instead, the reply to 14 the position sensor's largest and
// smallest reading (bytes 3, 4 and 5, 6); the replies to 6, 7 and 8 nothing
// the tool reads.

#include "Frame.h"
#include "PumpCodes.h"

#include <cstdint>
#include <optional>

namespace PumpCode {
constexpr bool carriesReadings(std::uint8_t code) {
    return !(code == SetUpMode || code == Save || code == Off || code == On ||
             code == PositionSensor);
}
} // namespace PumpCode

struct PumpReply {
    struct Status {
        bool on = false;
        bool defaults = false; // settings at their defaults
        bool setUp = false;
        bool operator==(const Status &) const = default;
    };

    std::uint8_t code = Code::Poll;
    Status status;
    std::optional<int> currentHalfMilliamps;
    std::optional<int> amplitude;
    std::optional<int> frequency; // Hz
    std::optional<int> positionMax, positionMin;
    std::optional<std::uint8_t> version;

    bool operator==(const PumpReply &) const = default;
};

PumpReply decodePump(const Frame &reply);
// Bytes 0 to 6 of the reply with every field that holds a value; the checksum
// is left to whoever sends it.
Frame encode(const PumpReply &reply);
