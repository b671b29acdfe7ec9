#pragma once
// The eight settings of the oxygen block's LMP91000 front end as the page
// offers them, one item index per setting, and their place in the chip's three
// register bytes: gain (load and feedback resistors), reference (source,
// internal zero, bias polarity, bias) and mode (shorting FET, operating mode).

#include <array>
#include <cstdint>

namespace FrontEnd {

enum Setting { RLoad, RTia, Reference, InternalZero, Polarity, Bias, Fet, Mode, SettingCount };

// Items each setting offers.
constexpr std::array<int, SettingCount> ItemCount{4, 8, 2, 3, 2, 14, 2, 6};

// The operating mode codes of the mode items, in item order: 4 and 5 have none.
constexpr std::array<std::uint8_t, 6> ModeCodes{0, 1, 2, 3, 6, 7};

struct Bytes {
    std::uint8_t gain, reference, mode;
};

// Item index per setting; NoChoice until the block has told us.
constexpr int NoChoice = -1;
using Choices = std::array<int, SettingCount>;
constexpr Choices Unknown{NoChoice, NoChoice, NoChoice, NoChoice,
                          NoChoice, NoChoice, NoChoice, NoChoice};

bool complete(const Choices &choices);

// The register bytes of complete choices (see complete()). Unused bits are
// zero.
Bytes encode(const Choices &choices);

// Register bytes the page's eight groups can show and write again unchanged:
// every field names an item and no unused bit is set.
bool expressible(Bytes bytes);

// Choices as the block reports them. A field beyond a setting's last item
// chooses the last item; mode codes 4 and 5, which have no item, leave the
// mode as it was.
Choices load(Choices choices, Bytes bytes);

} // namespace FrontEnd
