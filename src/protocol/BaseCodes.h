#pragma once
// The base (address 0x80): its command codes beyond identification (9) and
// poll (12), and the bits of its replies. Byte 2 holds its state, byte 3 the
// state of its links to the sensor block and the pump, bytes 5 and 6 the
// battery voltage in millivolts.

#include <cstdint>

namespace BaseCode {
constexpr std::uint8_t TestMode = 6;
constexpr std::uint8_t WorkMode = 7;
constexpr std::uint8_t PowerOff = 8;
} // namespace BaseCode

namespace BaseState {
constexpr std::uint8_t TestMode = 0x01;
constexpr std::uint8_t Menu = 0x02;
constexpr std::uint8_t Discharged = 0x04;
constexpr std::uint8_t Charging = 0x08;
constexpr std::uint8_t ContactBroken = 0x10;
} // namespace BaseState

namespace BaseLink {
constexpr std::uint8_t NoPump = 0x01;
constexpr std::uint8_t NoSensor = 0x02;
} // namespace BaseLink
