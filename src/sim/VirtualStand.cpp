#include "VirtualStand.h"

#include "RandomIn.h"

#include <algorithm>
#include <random>

VirtualStand::Layout VirtualStand::standard() {
    return Layout{{7, 18, 29}, 12};
}

VirtualStand::VirtualStand(const MakeBlock &make, std::uint32_t randomStart, const Layout &layout) {
    std::mt19937 rng(randomStart);
    for (int p = 1; p <= Positions; ++p) {
        // Every position draws its start and settling time, empty or not, so
        // that emptying one changes no other.
        const auto start = static_cast<std::uint32_t>(rng());
        const auto settling =
            static_cast<std::int64_t>(randomIn(rng, static_cast<int>(SettlingMinMs / 100),
                                               static_cast<int>(SettlingMaxMs / 100)) *
                                      100);
        const auto i = static_cast<std::size_t>(p - 1);
        settling_[i] = settling;
        if (std::find(layout.empty.begin(), layout.empty.end(), p) != layout.empty.end())
            continue;
        blocks_[i] = make(start);
        if (!blocks_[i])
            continue;
        blocks_[i]->setSettlingMs(settling);
        blocks_[i]->setLosesSaves(p == layout.losesSave);
    }
}

void VirtualStand::select(std::uint8_t channel) {
    if (channel >= 1 && channel <= Positions)
        selected_ = channel;
}

SensorBlockModel *VirtualStand::at(int position) const {
    if (position < 1 || position > Positions)
        return nullptr;
    return blocks_[static_cast<std::size_t>(position - 1)].get();
}

std::int64_t VirtualStand::settlingMs(int position) const {
    if (position < 1 || position > Positions)
        return 0;
    return settling_[static_cast<std::size_t>(position - 1)];
}

std::optional<Frame> VirtualStand::answer(const Frame &command) {
    SensorBlockModel *block = at(selected_);
    if (!block)
        return std::nullopt;
    return block->answer(command);
}

void VirtualStand::applyGas(TestGas gas, int concentration) {
    for (auto &b : blocks_)
        if (b)
            b->applyGas(gas, concentration);
}

void VirtualStand::setClock(SimClock clock) {
    for (auto &b : blocks_)
        if (b)
            b->setClock(clock);
}

void VirtualStand::setDrifted(bool on) {
    for (auto &b : blocks_)
        if (b)
            b->setDrifted(on);
}
