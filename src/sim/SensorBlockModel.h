#pragma once
// What sits behind the sensor block address of a virtual instrument. The
// instrument hands over only commands whose checksum holds and that are
// addressed to this block; the model answers with bytes 0 to 6 of its reply
// (the instrument seals the checksum) or with nothing to stay quiet.

#include "protocol/Frame.h"

#include <optional>

class SensorBlockModel {
  public:
    virtual ~SensorBlockModel() = default;
    virtual std::optional<Frame> answer(const Frame &command) = 0;
};
