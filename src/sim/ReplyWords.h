#pragma once
// The frame head of a virtual reply that no reply encoder builds (the base's
// identification; the blocks' other replies come from the encoders beside
// the decoders). Its words go in with putWord(), clamped, never wrapped.

#include "protocol/Frame.h"

#include <cstdint>

// A reply of `block` to `code` with zero status and data; the checksum is
// filled in when it goes out.
inline Frame replyFrame(std::uint8_t block, std::uint8_t code) {
    Frame f{};
    f[0] = block;
    f[1] = code;
    return f;
}
