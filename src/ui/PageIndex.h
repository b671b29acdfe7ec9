#pragma once
// Positions of the main window's pages, the block each page shows and the
// captions its tab takes once an instrument is identified. Hidden pages keep
// their positions, so these numbers hold whichever tabs are showing.

#include <cstdint>

namespace PageIndex {
constexpr int Usb = 0;
constexpr int Base = 1;
constexpr int Pump = 2;
constexpr int Tks = 3;
constexpr int Pgs = 4;
constexpr int TksPgs = 5;
constexpr int Hydrogen = 6;
constexpr int OpticMethane = 7;
constexpr int Oxygen = 8;
constexpr int CarbonMonoxide = 9;
constexpr int Count = 10;

// The page that shows `block`, or -1 when none does.
int ofBlock(std::uint8_t block);
// The block a page shows; the base for pages that show none.
std::uint8_t blockOf(int page);
// The caption of a block page's tab (UTF-8); the base page's names the
// kind's base unit.
const char *caption(int page, std::uint8_t deviceType);
} // namespace PageIndex
