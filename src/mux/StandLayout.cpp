#include "StandLayout.h"

namespace {
constexpr int RowTop[4] = {34, 86, 134, 187};
constexpr int RowBottom[4] = {54, 110, 156, 209};
constexpr int LampTop[4] = {37, 58, 136, 158};
constexpr int ColumnLeft[8] = {6, 34, 62, 89, 117, 144, 172, 201};
constexpr int ColumnRight[8] = {29, 57, 84, 112, 139, 167, 196, 223};
constexpr int LampLeft[8] = {10, 38, 65, 93, 121, 148, 176, 204};

// Channel numbers and lamps by row and column. The channels do not follow the
// grid: the upper rows count 1..8 on the left and 9..16 on the right, the lower
// rows 32..25 and 24..17. In row 1 the lamps of columns 3 and 4 are swapped.
constexpr int Channel[4][8] = {{1, 2, 3, 4, 9, 10, 11, 12},
                               {5, 6, 7, 8, 13, 14, 15, 16},
                               {32, 31, 30, 29, 24, 23, 22, 21},
                               {28, 27, 26, 25, 20, 19, 18, 17}};
constexpr int Lamp[4][8] = {{1, 2, 4, 3, 5, 6, 7, 8},
                            {9, 10, 11, 12, 13, 14, 15, 16},
                            {17, 18, 19, 20, 21, 22, 23, 24},
                            {25, 26, 27, 28, 29, 30, 31, 32}};

std::array<StandPosition, 32> build() {
    std::array<StandPosition, 32> out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) {
            out[static_cast<std::size_t>(r * 8 + c)] = {Channel[r][c],  Lamp[r][c],    LampLeft[c],
                                                        LampTop[r],     ColumnLeft[c], RowTop[r],
                                                        ColumnRight[c], RowBottom[r]};
        }
    return out;
}
} // namespace

const std::array<StandPosition, 32> &StandLayout::positions() {
    static const std::array<StandPosition, 32> table = build();
    return table;
}

std::optional<StandPosition> StandLayout::hit(int x, int y) {
    for (const StandPosition &p : positions())
        if (x >= p.left && x <= p.right && y >= p.top && y <= p.bottom)
            return p;
    return std::nullopt;
}

const StandPosition *StandLayout::byChannel(int channel) {
    for (const StandPosition &p : positions())
        if (p.channel == channel)
            return &p;
    return nullptr;
}
