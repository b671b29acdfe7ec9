#pragma once
// Where the 32 positions of the test stand are: each position's channel
// number, its lamp and its lamp's place, and the rectangle a click must hit.
// Rectangles are measured from the outer corner of the stand's first window
// (the stand alone, title bar and frame included); lamp places from the
// stand's own corner.

#include <array>
#include <optional>

struct StandPosition {
    int channel;
    int lamp;     // PanelN of the window
    int lampLeft; // client coordinates
    int lampTop;
    int left, top, right, bottom; // click rectangle, bounds included
};

namespace StandLayout {
// Table order: row 1 left to right, then rows 2, 3 and 4.
const std::array<StandPosition, 32> &positions();
// The position whose rectangle holds the window-relative point, if any.
std::optional<StandPosition> hit(int x, int y);
const StandPosition *byChannel(int channel);

// The frame of a fixed-border window with a title bar: the client area starts
// this far from the outer corner.
constexpr int FrameLeft = 3;
constexpr int FrameTop = 22;
// The stand picture is drawn at this client position.
constexpr int PictureLeft = 1;
constexpr int PictureTop = 10;
} // namespace StandLayout
