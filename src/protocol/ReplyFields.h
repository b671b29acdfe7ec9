#pragma once
// What the reply decoders of the blocks share. A status byte's bits are named
// once, in a table that both reads and writes them. The settings a reply
// carries are read and written through the block's layout (BlockSettings),
// the one place that says where each of them sits.

#include "BlockSettings.h"
#include "Frame.h"

#include <cstdint>
#include <optional>

namespace ReplyFields {

// One bit of a status byte and the flag that names it.
template <class Flags> struct Bit {
    std::uint8_t mask;
    bool Flags::*flag;
};

template <class Flags, std::size_t N>
Flags flagsOf(std::uint8_t byte, const Bit<Flags> (&bits)[N]) {
    Flags flags{};
    for (const Bit<Flags> &b : bits)
        flags.*b.flag = (byte & b.mask) != 0;
    return flags;
}

template <class Flags, std::size_t N>
std::uint8_t byteOf(const Flags &flags, const Bit<Flags> (&bits)[N]) {
    std::uint8_t byte = 0;
    for (const Bit<Flags> &b : bits)
        if (flags.*b.flag)
            byte = static_cast<std::uint8_t>(byte | b.mask);
    return byte;
}

// A setting of the block's layout and the field of the decoded reply that
// holds its value.
template <class Reply> struct Setting {
    const char *key;
    std::optional<int> Reply::*value;
};

// The settings that the layout puts in the reply to `carriedAs`, read from
// `frame` into their fields.
template <class Reply, std::size_t N>
void readSettings(const BlockLayout &layout, std::uint8_t carriedAs, const Frame &frame,
                  Reply &reply, const Setting<Reply> (&fields)[N]) {
    for (const Setting<Reply> &f : fields)
        if (const SettingLayout *s = layout.find(f.key); s && s->readCode == carriedAs)
            reply.*f.value = s->valueIn(frame);
}

// Every setting field that holds a value, written where the layout puts it.
template <class Reply, std::size_t N>
void writeSettings(const BlockLayout &layout, const Reply &reply, Frame &frame,
                   const Setting<Reply> (&fields)[N]) {
    for (const Setting<Reply> &f : fields)
        if (const SettingLayout *s = layout.find(f.key); s && reply.*f.value)
            s->putIn(frame, *(reply.*f.value));
}

} // namespace ReplyFields
