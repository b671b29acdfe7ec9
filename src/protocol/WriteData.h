#pragma once
// The data bytes of a write: which of bytes 2 to 6 of a command it sets, and
// to what. Bytes it does not set go out as the frame holds them.

#include "Frame.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

struct WriteData {
    std::array<std::uint8_t, 5> bytes{};
    std::uint8_t mask = 0; // bit i stands for byte 2 + i

    // Two 16-bit values in bytes 3 to 6, low byte first.
    static WriteData words(std::uint16_t first, std::uint16_t second) {
        WriteData d;
        d.setWord(3, first);
        d.setWord(5, second);
        return d;
    }
    // Consecutive bytes from `firstByte` (2 to 6) on; what does not fit is left out.
    static WriteData from(std::size_t firstByte, std::initializer_list<std::uint8_t> values) {
        WriteData d;
        std::size_t at = firstByte;
        for (std::uint8_t v : values)
            d.setByte(at++, v);
        return d;
    }

    void setByte(std::size_t at, std::uint8_t value) {
        if (at < 2 || at >= 2 + bytes.size())
            return;
        bytes[at - 2] = value;
        mask = static_cast<std::uint8_t>(mask | (1u << (at - 2)));
    }
    // A 16-bit value at bytes `at` and `at` + 1, as putWord16() writes it.
    void setWord(std::size_t at, int value) {
        Frame f{};
        putWord16(f, at, value);
        setByte(at, f[at]);
        setByte(at + 1, f[at + 1]);
    }
    void applyTo(Frame &frame) const {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (mask & (1u << i))
                frame[2 + i] = bytes[i];
    }
};
