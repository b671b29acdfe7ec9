#pragma once
// The 8-byte frame of the instrument bus: block, command code, five data bytes
// and the XOR of bytes 0 to 6.

#include <array>
#include <cstdint>

using Frame = std::array<std::uint8_t, 8>;

constexpr std::size_t FrameSize = 8;

// Block numbers as they come back in byte 0 of a reply; a command addresses a
// block with its number plus 0x80.
namespace Block {
constexpr std::uint8_t Base = 0;
constexpr std::uint8_t Tks = 3;
constexpr std::uint8_t Pgs = 8;
constexpr std::uint8_t OpticMethane = 11;
constexpr std::uint8_t Pump = 15;
constexpr std::uint8_t TksPgs = 20;
constexpr std::uint8_t Hydrogen = 21;
constexpr std::uint8_t Oxygen = 22;

constexpr std::uint8_t address(std::uint8_t block) {
    return static_cast<std::uint8_t>(0x80 | block);
}
constexpr bool isKnown(std::uint8_t block) {
    return block == Base || block == Tks || block == Pgs || block == OpticMethane ||
           block == Pump || block == TksPgs || block == Hydrogen || block == Oxygen;
}
} // namespace Block

// Command codes every block understands.
namespace Code {
constexpr std::uint8_t Identify = 9;
constexpr std::uint8_t Poll = 12;
} // namespace Code

constexpr std::uint8_t frameChecksum(const Frame &f) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < 7; ++i)
        x ^= f[i];
    return x;
}

constexpr bool checksumHolds(const Frame &f) {
    return frameChecksum(f) == f[7];
}

// A frame with its checksum filled in.
constexpr Frame sealed(Frame f) {
    f[7] = frameChecksum(f);
    return f;
}

// 16-bit values travel low byte first, in bytes 3 and 4 or 5 and 6 (the
// oxygen block's front end also uses single bytes 4 to 6).
constexpr std::uint16_t word16(const Frame &f, std::size_t i) {
    return static_cast<std::uint16_t>(f[i] | (f[i + 1] << 8));
}

// The same two bytes read as a two's-complement number.
constexpr std::int16_t signed16(const Frame &f, std::size_t i) {
    return static_cast<std::int16_t>(word16(f, i));
}

// The low 16 bits of `value` at bytes i and i + 1: -32768 to 65535 come back
// as written through signed16() or word16().
constexpr void putWord16(Frame &f, std::size_t i, int value) {
    f[i] = static_cast<std::uint8_t>(value & 0xFF);
    f[i + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// An unsigned word; values that do not fit are clamped to 0 to 65535, never wrapped.
constexpr void putWord(Frame &f, std::size_t i, int value) {
    putWord16(f, i, value < 0 ? 0 : value > 0xFFFF ? 0xFFFF : value);
}

// A two's-complement word, clamped to -32768 to 32767.
constexpr void putSignedWord(Frame &f, std::size_t i, int value) {
    putWord16(f, i, value < -0x8000 ? -0x8000 : value > 0x7FFF ? 0x7FFF : value);
}
