#include "FrontEnd.h"

#include <algorithm>

namespace FrontEnd {

bool complete(const Choices &choices) {
    return std::none_of(choices.begin(), choices.end(), [](int c) { return c == NoChoice; });
}

Bytes encode(const Choices &c) {
    return {static_cast<std::uint8_t>(4 * c[RTia] + c[RLoad]),
            static_cast<std::uint8_t>(128 * c[Reference] + 32 * c[InternalZero] + 16 * c[Polarity] +
                                      c[Bias]),
            static_cast<std::uint8_t>(128 * c[Fet] +
                                      ModeCodes[std::size_t(std::clamp(c[Mode], 0, 5))])};
}

bool expressible(Bytes b) {
    const Choices c = load(Unknown, b);
    if (!complete(c))
        return false;
    const Bytes again = encode(c);
    return again.gain == b.gain && again.reference == b.reference && again.mode == b.mode;
}

Choices load(Choices c, Bytes b) {
    const auto item = [](Setting s, int field) { return std::min(field, ItemCount[s] - 1); };
    c[RLoad] = item(RLoad, b.gain & 0x03);
    c[RTia] = item(RTia, (b.gain >> 2) & 0x07);
    c[Reference] = item(Reference, b.reference >> 7);
    c[InternalZero] = item(InternalZero, (b.reference >> 5) & 0x03);
    c[Polarity] = item(Polarity, (b.reference >> 4) & 0x01);
    c[Bias] = item(Bias, b.reference & 0x0F);
    c[Fet] = item(Fet, b.mode >> 7);
    const auto mode = std::find(ModeCodes.begin(), ModeCodes.end(), b.mode & 0x07);
    if (mode != ModeCodes.end())
        c[Mode] = int(mode - ModeCodes.begin());
    return c;
}

} // namespace FrontEnd
