#pragma once
// The replies of the semiconductor sensor of a two-sensor block, to its own
// codes (18 on, 20 off, 21 poll): its status in byte 2, of which it reports
// only On and CircuitFault, and its voltage in bytes 5 and 6 (tenths of a
// millivolt, unsigned). The block's other codes belong to its
// thermocatalytic sensor (CatalyticReply.h).

#include "Frame.h"
#include "SensorCodes.h"

#include <cstdint>

namespace SemiconductorCode {
// The replies that are the semiconductor sensor's.
constexpr bool answers(std::uint8_t code) {
    return code == On || code == Off || code == Poll;
}
} // namespace SemiconductorCode

struct SemiconductorReply {
    struct Status {
        bool on = false;
        bool circuitFault = false;
        bool operator==(const Status &) const = default;
    };

    std::uint8_t block = Block::TksPgs;
    std::uint8_t code = SemiconductorCode::Poll;
    Status status;
    int voltageTenths = 0;

    bool operator==(const SemiconductorReply &) const = default;
};

SemiconductorReply decodeSemiconductor(const Frame &reply);
// Bytes 0 to 6 of the reply; the checksum is left to whoever sends it.
Frame encode(const SemiconductorReply &reply);
std::uint8_t statusByte(const SemiconductorReply::Status &status);
