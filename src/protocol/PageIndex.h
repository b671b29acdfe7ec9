#pragma once
// Positions of the main window's pages. Hidden pages keep their positions, so
// these numbers hold whichever tabs are showing.

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
} // namespace PageIndex
