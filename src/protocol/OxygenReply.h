#pragma once
// The replies of the oxygen block: its status in byte 2 of each, and
//   12  the concentration (bytes 3, 4; tenths of a percent, signed), the
//       temperature code 85 − t °C (5) and the coefficient code 10 × k − 900,
//       k in % (6)
//    1  the concentration and the sensor voltage (5, 6; tenths of a
//       millivolt, unsigned)
//    2  U zero (3, 4) and U gas (5, 6), tenths of a millivolt, signed
//    3, 4  two of its four settings each, where the block's layout puts them
//    9  the version and the front end's three register bytes, where the
//       layout puts them
//   32, 33  the front end's state (3) and its register bytes
// and the status alone to every other code.

#include "Frame.h"
#include "FrontEnd.h"
#include "SensorCodes.h"

#include <cstdint>
#include <optional>

struct OxygenReply {
    struct Status {
        bool temperatureFault = false;
        bool settingsError = false; // the block's set-up is in error
        // Threshold 1: further from the calibration gas than it; 2: below
        // it; 3: above it.
        bool alarm1 = false, alarm2 = false, alarm3 = false;
        bool setUp = false;
        bool operator==(const Status &) const = default;
    };
    // Byte 3 of the replies to 32 and 33.
    struct FrontEndStatus {
        bool ready = false;
        bool writeProtected = false;
        std::uint8_t otherBits = 0; // bits besides these two, as the block sent them
        bool operator==(const FrontEndStatus &) const = default;
    };

    std::uint8_t code = Code::Poll;
    Status status;
    std::optional<int> concentration;
    std::optional<std::uint8_t> temperatureCode, coefficientCode;
    std::optional<int> voltageTenths;
    std::optional<int> uZeroTenths, uGasTenths;
    // Tenths of a percent.
    std::optional<int> calibrationGas, threshold1, threshold2, threshold3;
    std::optional<std::uint8_t> version;
    std::optional<FrontEndStatus> frontEndStatus;
    // The register bytes: always in the reply to 9, in those to 32 and 33
    // only while the front end is ready.
    std::optional<int> frontEndGain, frontEndReference, frontEndMode;

    std::optional<int> temperatureCelsius() const {
        return temperatureCode ? std::optional<int>(85 - *temperatureCode) : std::nullopt;
    }
    // k in tenths of a percent.
    std::optional<int> coefficientTenths() const {
        return coefficientCode ? std::optional<int>(900 + *coefficientCode) : std::nullopt;
    }
    std::optional<FrontEnd::Bytes> frontEnd() const;
    bool operator==(const OxygenReply &) const = default;
};

OxygenReply decodeOxygen(const Frame &reply);
// Bytes 0 to 6 of the reply with every field that holds a value; the checksum
// is left to whoever sends it.
Frame encode(const OxygenReply &reply);
std::uint8_t statusByte(const OxygenReply::Status &status);
std::uint8_t statusByte(const OxygenReply::FrontEndStatus &status);
