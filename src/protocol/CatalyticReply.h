#pragma once
// The replies of a thermocatalytic sensor (the ТКС block, and the first sensor
// of the two-sensor blocks): its status in byte 2 of each, and
//   2   U air (bytes 3, 4) and U gas (5, 6), tenths of a millivolt, signed
//   3, 4  two of its four settings each, where the block's layout puts them
//   9   the version, where the layout puts it
//   the poll, 1, 7 and codes the block does not know: the concentration
//       (3, 4; hundredths of a percent, signed) and the mid-point voltage
//       (5, 6; tenths of a millivolt, unsigned)
// and the status alone to every other code.

#include "Frame.h"
#include "SensorCodes.h"

#include <cstdint>
#include <optional>

namespace CatalyticCode {
// The replies that carry the concentration and the mid-point voltage.
constexpr bool carriesReadings(std::uint8_t code) {
    return !(code == ReadVoltages || code == ReadCalibrationGas || code == ReadThresholds ||
             code == Zero || code == SetUp || code == Off || code == On || code == WriteUpper ||
             code == WriteLower || code == GasPoint || code == AirPoint || code == Reset);
}
} // namespace CatalyticCode

struct CatalyticReply {
    struct Status {
        bool on = false;
        bool propane = false; // else methane
        bool settingsError = false;
        bool circuitFault = false; // short-circuited or open
        // Thresholds exceeded; set only while the sensor is on.
        bool alarm1 = false, alarm2 = false, offAlarm = false;
        bool setUp = false; // else working mode
        bool operator==(const Status &) const = default;
    };

    std::uint8_t block = Block::Tks;
    std::uint8_t code = Code::Poll;
    Status status;
    // As the block sends it; it counts only while measuring().
    std::optional<int> concentration;
    std::optional<int> voltageTenths;
    std::optional<int> uAirTenths, uGasTenths;
    // Hundredths of a percent.
    std::optional<int> calibrationGas, threshold1, threshold2, offThreshold;
    std::optional<std::uint8_t> version;

    // On and in working mode: the concentration is a measurement.
    bool measuring() const { return status.on && !status.setUp; }
    bool operator==(const CatalyticReply &) const = default;
};

CatalyticReply decodeCatalytic(const Frame &reply);
// Bytes 0 to 6 of the reply with every field that holds a value; the checksum
// is left to whoever sends it.
Frame encode(const CatalyticReply &reply);
std::uint8_t statusByte(const CatalyticReply::Status &status);
