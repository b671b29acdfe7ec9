#pragma once
// A test stand of 32 sensor positions behind the base's multiplexer, as the
// tool reaches it through one instrument. The base's poll (12) with a channel
// from 1 to 32 in byte 2 switches the multiplexer; a poll with any other
// byte 2 leaves it where it is. Every command to the sensor block then goes
// to the block at that position: a block of the instrument's kind with its own
// random start (its own noise, baseline and drift) and its own settling time.
// An empty position stays quiet, and one block may lose its saves. The stand
// is one chamber: what is on the sensors is on all of them.

#include "sim/SensorBlockModel.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class VirtualStand : public SensorBlockModel {
  public:
    static constexpr int Positions = 32;
    // The settling times drawn for the positions (GasResponse's τ).
    static constexpr std::int64_t SettlingMinMs = 4000;
    static constexpr std::int64_t SettlingMaxMs = 9000;

    struct Layout {
        std::vector<int> empty; // positions with no block, 1 to 32
        int losesSave = 0;      // the position whose block loses its saves; 0 for none
    };
    // The stand the virtual adapters carry: positions 7, 18 and 29 empty, the
    // block at 12 losing its saves.
    static Layout standard();

    using MakeBlock = std::function<std::unique_ptr<SensorBlockModel>(std::uint32_t randomStart)>;
    VirtualStand(const MakeBlock &make, std::uint32_t randomStart, const Layout &layout);

    // Byte 2 of the base's poll.
    void select(std::uint8_t channel);
    // The position the multiplexer is on, 1 to 32 (1 until it is first switched).
    int selected() const { return selected_; }
    // The block at a position, or nullptr where there is none.
    SensorBlockModel *at(int position) const;
    std::int64_t settlingMs(int position) const;

    std::optional<Frame> answer(const Frame &command) override;
    void applyGas(TestGas gas, int concentration) override;
    void setClock(SimClock clock) override;
    void setDrifted(bool on) override;
    void setSettlingMs(std::int64_t) override {} // each position keeps its own

  private:
    std::array<std::unique_ptr<SensorBlockModel>, Positions> blocks_;
    std::array<std::int64_t, Positions> settling_{};
    int selected_ = 1;
};
