#pragma once
// Command codes of the pump block (address 0x8F); what its replies carry is
// decoded in PumpReply.h. The amplitude and the frequency sit in bytes 5 and 6
// of the replies that carry readings.

#include <cstddef>
#include <cstdint>

namespace PumpCode {
constexpr std::uint8_t AmplitudeUp = 1;
constexpr std::uint8_t FrequencyDown = 3;
constexpr std::uint8_t FrequencyUp = 4;
constexpr std::uint8_t SetUpMode = 6;
constexpr std::uint8_t Save = 7;
constexpr std::uint8_t Off = 8;
constexpr std::uint8_t On = 9; // byte 6 = version
constexpr std::uint8_t AmplitudeDown = 13;
constexpr std::uint8_t PositionSensor = 14;

constexpr std::size_t AmplitudeByte = 5;
constexpr std::size_t FrequencyByte = 6;
} // namespace PumpCode

// Byte 2 of a pump reply.
namespace PumpState {
constexpr std::uint8_t On = 0x01;
constexpr std::uint8_t Defaults = 0x40; // settings at their defaults
constexpr std::uint8_t SetUp = 0x80;
} // namespace PumpState
