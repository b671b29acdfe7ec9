#pragma once
// Building the replies of the virtual blocks: the frame head and the 16-bit
// little-endian words in bytes 3, 4 and 5, 6. Values that do not fit are
// clamped, never wrapped.

#include "protocol/Frame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

// A reply of `block` to `code` with zero status and data; the checksum is
// filled in when it goes out.
inline Frame replyFrame(std::uint8_t block, std::uint8_t code) {
    Frame f{};
    f[0] = block;
    f[1] = code;
    return f;
}

// An unsigned word, 0 to 65535.
inline void putWord(Frame &f, std::size_t i, int value) {
    const auto v = static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
    f[i] = static_cast<std::uint8_t>(v & 0xFF);
    f[i + 1] = static_cast<std::uint8_t>(v >> 8);
}

// A two's-complement word, -32768 to 32767.
inline void putSignedWord(Frame &f, std::size_t i, int value) {
    const int v = std::clamp(value, -0x8000, 0x7FFF);
    putWord(f, i, v < 0 ? v + 0x10000 : v);
}
