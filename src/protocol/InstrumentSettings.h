#pragma once
// What an instrument keeps, block by block, as one snapshot: its kind and
// serial number (from the base's answer to 9), and for each block that keeps
// settings its version and values. Checking a snapshot against the kind's
// blocks and comparing two of them need no window and no file.

#include "BlockSettings.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

struct BlockSnapshot {
    std::string name; // BlockLayout::name
    std::optional<int> version;
    std::map<std::string, int> values;
};

struct InstrumentSnapshot {
    int kind = 0;
    int serialNumber = 0;
    std::vector<BlockSnapshot> blocks;

    const BlockSnapshot *block(const std::string &name) const;
};

// Why a snapshot cannot be written into an instrument of `kind`: another
// kind, a block or setting that kind does not have, a value outside what the
// page's field accepts. Empty when it can.
std::vector<std::string> refusals(const InstrumentSnapshot &snapshot, int kind);

struct SettingChange {
    std::string block;
    std::string key;
    const char *unit;
    std::optional<int> now; // what the instrument holds; none when not read
    int wanted;
    bool writable;
};

// The settings of `wanted` whose value differs from `now`, in the blocks'
// order.
std::vector<SettingChange> differences(const InstrumentSnapshot &now,
                                       const InstrumentSnapshot &wanted);
