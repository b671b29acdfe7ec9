#pragma once
// A sensor block whose firmware the simulator does not model yet (optical
// methane, oxygen): it acknowledges every code with empty data.

#include "sim/ReplyWords.h"
#include "sim/SensorBlockModel.h"

#include <cstdint>

class PlaceholderBlockModel : public SensorBlockModel {
  public:
    explicit PlaceholderBlockModel(std::uint8_t block) : block_(block) {}

    std::optional<Frame> answer(const Frame &command) override {
        return replyFrame(block_, command[1]);
    }

  private:
    std::uint8_t block_;
};
