#pragma once
// The replies of the optical methane block: its status in byte 2 of each, and
//   7, the poll and codes the block does not know: the concentration (bytes
//       3, 4; hundredths of a percent, signed) and the detector signal (5, 6;
//       unsigned)
//   9   the version in byte 6
// and the status alone to 3, 4, 6, 8, 13 and 16. While the link to its
// optical module is in error, byte 3 of every reply is the error code and no
// reply carries readings (the reply to 9 still has the version).

#include "Frame.h"
#include "SensorCodes.h"

#include <cstdint>
#include <optional>

namespace OpticalCode {
// The replies that carry the concentration and the signal while the link is sound.
constexpr bool carriesReadings(std::uint8_t code) {
    return !(code == ReadInternal1 || code == ReadInternal2 || code == SetUp || code == Off ||
             code == On || code == Start || code == Reset);
}
} // namespace OpticalCode

struct OpticalReply {
    struct Status {
        bool on = false;
        bool linkError = false; // the link to the optical module
        bool settingsError = false;
        // Thresholds exceeded; none while the link is in error.
        bool alarm1 = false, alarm2 = false, alarm3 = false;
        bool setUp = false;
        bool operator==(const Status &) const = default;
    };

    std::uint8_t code = Code::Poll;
    Status status;
    std::optional<std::uint8_t> linkErrorCode;
    std::optional<int> concentration;
    std::optional<int> signal;
    std::optional<std::uint8_t> version;

    bool operator==(const OpticalReply &) const = default;
};

OpticalReply decodeOptical(const Frame &reply);
// Bytes 0 to 6 of the reply with every field that holds a value; the checksum
// is left to whoever sends it.
Frame encode(const OpticalReply &reply);
std::uint8_t statusByte(const OpticalReply::Status &status);
