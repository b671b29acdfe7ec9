#pragma once
// Command codes of the sensor blocks, as the pages send them and the blocks
// answer them (byte 1 of the frame, with the block's address in byte 0). What
// each reply carries is decoded by the block's reply decoder (CatalyticReply.h
// and its neighbours).

#include <cstdint>

// Status bits of byte 2 in every sensor block's reply. The alarm bits are set
// only while the sensor is on; the ПГС block has no switch-off threshold, and
// the semiconductor sensor of a two-sensor block reports only On and
// CircuitFault.
namespace SensorStatus {
constexpr std::uint8_t On = 0x01;
constexpr std::uint8_t Propane = 0x02; // else methane
constexpr std::uint8_t SettingsError = 0x04;
constexpr std::uint8_t CircuitFault = 0x08; // short-circuited or open
constexpr std::uint8_t Threshold1 = 0x10;
constexpr std::uint8_t Threshold2 = 0x20;
constexpr std::uint8_t OffThreshold = 0x40;
constexpr std::uint8_t Threshold3 = 0x40; // on the blocks with three thresholds
constexpr std::uint8_t SetUp = 0x80;      // else working mode
} // namespace SensorStatus

// The thermocatalytic sensor: the ТКС block alone, and the first sensor of the
// two-sensor blocks.
namespace CatalyticCode {
constexpr std::uint8_t GasChoice = 1;
constexpr std::uint8_t ReadVoltages = 2;       // A = U air, B = U gas
constexpr std::uint8_t ReadCalibrationGas = 3; // A = calibration gas, B = threshold 1
constexpr std::uint8_t ReadThresholds = 4;     // A = threshold 2, B = switch-off threshold
constexpr std::uint8_t Zero = 5;
constexpr std::uint8_t SetUp = 6;
constexpr std::uint8_t Save = 7;
constexpr std::uint8_t Off = 8;
constexpr std::uint8_t On = 9;          // byte 6 = version
constexpr std::uint8_t WriteUpper = 10; // calibration gas and threshold 1
constexpr std::uint8_t WriteLower = 11; // threshold 2 and switch-off threshold
constexpr std::uint8_t GasPoint = 14;
constexpr std::uint8_t AirPoint = 15;
constexpr std::uint8_t Reset = 16;
} // namespace CatalyticCode

// The semiconductor sensor of the two-sensor blocks.
namespace SemiconductorCode {
constexpr std::uint8_t On = 18;
constexpr std::uint8_t Off = 20;
constexpr std::uint8_t Poll = 21;
} // namespace SemiconductorCode

// The ПГС block.
namespace PgsCode {
constexpr std::uint8_t GasChoice = 1;
constexpr std::uint8_t ReadThresholds = 4; // A = threshold 1, B = threshold 2
constexpr std::uint8_t SetUp = 6;
constexpr std::uint8_t Save = 7;
constexpr std::uint8_t Off = 8;
constexpr std::uint8_t On = 9; // byte 6 = version
constexpr std::uint8_t ApplyThreshold2 = 10;
constexpr std::uint8_t ApplyThreshold1 = 11;
constexpr std::uint8_t Reset = 16;
} // namespace PgsCode

// The optical methane block. Its status byte has the sensor's power, set-up
// mode, settings error and three threshold bits of SensorStatus, with a link
// error of its own in bit 1.
namespace OpticalCode {
// 3 and 4 read settings of the optical module that the page does not show.
constexpr std::uint8_t ReadInternal1 = 3;
constexpr std::uint8_t ReadInternal2 = 4;
constexpr std::uint8_t SetUp = 6;
constexpr std::uint8_t Measurement = 7; // like the poll: concentration and signal
constexpr std::uint8_t Off = 8;
constexpr std::uint8_t On = 9; // byte 6 = version
constexpr std::uint8_t Start = 13;
constexpr std::uint8_t Reset = 16;
constexpr std::uint8_t LinkError = 0x02; // status bit; the error code is in byte 3
} // namespace OpticalCode

// The electrochemical oxygen block with its LMP91000 front end. Status bits:
// temperature-sensor fault (bit 0), set-up error, thresholds 1 to 3 (bits 4 to
// 6) and set-up mode as in SensorStatus.
namespace OxygenCode {
constexpr std::uint8_t Voltage = 1; // concentration and sensor voltage
constexpr std::uint8_t ReadVoltages = 2;
constexpr std::uint8_t ReadCalibrationGas = 3;
constexpr std::uint8_t ReadThresholds = 4;
constexpr std::uint8_t SetUp = 6;
constexpr std::uint8_t Save = 7;
constexpr std::uint8_t Version = 9;     // version and the front-end bytes
constexpr std::uint8_t WriteUpper = 10; // calibration gas and threshold 1
constexpr std::uint8_t WriteLower = 11; // thresholds 2 and 3
constexpr std::uint8_t GasPoint = 14;
constexpr std::uint8_t ZeroPoint = 15;
constexpr std::uint8_t Reset = 16;
constexpr std::uint8_t ReadFrontEnd = 32;
constexpr std::uint8_t WriteFrontEnd = 33;

constexpr std::uint8_t TemperatureFault = 0x01; // status bit
// Front-end status in byte 3 of the replies to 32 and 33.
constexpr std::uint8_t FrontEndReady = 0x10;
constexpr std::uint8_t FrontEndWriteProtected = 0x01;
} // namespace OxygenCode
