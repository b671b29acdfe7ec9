#pragma once
// Command codes of the pump block (address 0x8F). Its replies carry the
// current in bytes 3 and 4 (half-milliamperes), the amplitude in byte 5 and
// the frequency in byte 6, except the replies to 6, 7, 8, 9 and 14.

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
