#pragma once
// What each block keeps in its memory, described once for the pages and the
// command line: where a value sits in which reply, how it is written (as a
// word beside its partner, as a register byte, or by stepping), its unit, the
// range the block accepts, and how the block is told to keep what it holds.

#include "Frame.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct SettingLayout {
    enum class Width { Word, Byte };
    // How a new value gets into the block.
    enum class Writing {
        None,     // read only: the block sets it itself (ПГС thresholds: from the gas present)
        Paired,   // a word written together with its partner under one code
        Register, // a byte written together with the other register bytes under one code
        Stepped,  // one step up or down per command
    };

    const char *key;  // its name in a snapshot
    const char *unit; // as the page labels it
    std::uint8_t readCode;
    // A signed little-endian word from here, or one byte; a write puts the
    // value in the same place of its frame.
    std::size_t replyByte;
    Width width;
    Writing writing;
    std::uint8_t writeCode; // Paired and Register; the up step when Stepped
    std::uint8_t downCode;  // the down step when Stepped
    int min, max;           // what the block and the page's field accept

    int valueIn(const Frame &reply) const {
        return width == Width::Word ? signed16(reply, replyByte) : reply[replyByte];
    }
    // `value` where valueIn() finds it: a word clamped to -32768 to 32767, a
    // byte's low eight bits.
    void putIn(Frame &reply, int value) const {
        if (width == Width::Word)
            putSignedWord(reply, replyByte, value);
        else
            reply[replyByte] = static_cast<std::uint8_t>(value & 0xFF);
    }
    bool accepts(int value) const { return value >= min && value <= max; }
};

struct BlockLayout {
    const char *name; // in a snapshot
    std::uint8_t block;
    std::uint8_t versionCode; // the reply to it carries the version ...
    std::size_t versionByte;  // ... in this byte
    std::uint8_t saveCode;
    std::vector<SettingLayout> settings;

    std::uint8_t address() const { return Block::address(block); }
    // The version a reply carries: only the reply to versionCode has it.
    std::optional<std::uint8_t> versionIn(const Frame &reply) const {
        if (reply[1] != versionCode)
            return std::nullopt;
        return reply[versionByte];
    }
    void putVersion(Frame &reply, std::uint8_t version) const { reply[versionByte] = version; }
    const SettingLayout *find(std::string_view key) const;
    // The settings a reply to `code` carries.
    std::vector<const SettingLayout *> carriedBy(std::uint8_t code) const;
    // The settings written together with `s` under its code, `s` included.
    std::vector<const SettingLayout *> writtenWith(const SettingLayout &s) const;
};

// The description of a block; nullptr for blocks that keep no settings the
// tool can read (the base, the optical block).
const BlockLayout *blockSettings(std::uint8_t block);
const BlockLayout *blockSettingsNamed(std::string_view name);

// The blocks of an instrument kind that keep settings: its sensor block, then
// the pump. Empty for kinds the tool does not serve.
std::vector<const BlockLayout *> settingsOfKind(std::uint8_t deviceType);
