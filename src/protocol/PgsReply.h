#pragma once
// The replies of the ПГС block: its status in byte 2 of each, and
//   4, 10, 11  both thresholds (raw converter values), where the block's
//              layout puts them
//   9   the version, where the layout puts it
//   the poll, 1, 6, 7 and codes the block does not know: the sensor voltage
//       (3, 4; quarters of a millivolt, unsigned) and the converter value
//       (5, 6; signed)
// and the status alone to every other code.

#include "Frame.h"
#include "SensorCodes.h"

#include <cstdint>
#include <optional>

namespace PgsCode {
// The replies that carry the voltage and the converter value.
constexpr bool carriesReadings(std::uint8_t code) {
    return !(code == 2 || code == 3 || code == ReadThresholds || code == 5 || code == Off ||
             code == On || code == ApplyThreshold2 || code == ApplyThreshold1 || code == 14 ||
             code == 15 || code == Reset);
}
} // namespace PgsCode

struct PgsReply {
    struct Status {
        bool on = false;
        bool propane = false; // else methane
        bool settingsError = false;
        bool circuitFault = false;
        // Thresholds exceeded; set only while the sensor is on.
        bool alarm1 = false, alarm2 = false;
        bool setUp = false;
        bool operator==(const Status &) const = default;
    };

    std::uint8_t code = Code::Poll;
    Status status;
    std::optional<int> voltageQuarters;
    // It counts only while measuring().
    std::optional<int> converterValue;
    std::optional<int> threshold1, threshold2;
    std::optional<std::uint8_t> version;

    // The converter value counts while the sensor is on, in set-up mode too.
    bool measuring() const { return status.on; }
    bool operator==(const PgsReply &) const = default;
};

PgsReply decodePgs(const Frame &reply);
// Bytes 0 to 6 of the reply with every field that holds a value; the checksum
// is left to whoever sends it.
Frame encode(const PgsReply &reply);
std::uint8_t statusByte(const PgsReply::Status &status);
