#pragma once
// What sits behind the sensor block address of a virtual instrument. The
// instrument hands over only commands whose checksum holds and that are
// addressed to this block; the model answers with bytes 0 to 6 of its reply
// (the instrument seals the checksum) or with nothing to stay quiet.
//
// The instrument also tells the block what is on its sensors, the clock its
// readings move with, and whether its sensors have drifted since they were
// last calibrated.

#include "calibration/CalibrationRules.h"
#include "protocol/Frame.h"
#include "sim/SimClock.h"

#include <cstdint>
#include <optional>

class SensorBlockModel {
  public:
    virtual ~SensorBlockModel() = default;
    virtual std::optional<Frame> answer(const Frame &command) = 0;

    // `concentration` in the block's units, for a cylinder.
    virtual void applyGas(TestGas gas, int concentration) = 0;
    virtual void setClock(SimClock clock) = 0;
    virtual void setDrifted(bool on) = 0;
    // How fast its sensors follow a change of gas (GasResponse's τ).
    virtual void setSettlingMs(std::int64_t tauMs) = 0;
    // A block that loses its saves answers the save (7) as ever, but its
    // memory keeps what it held and the working set falls back to it, as a
    // block whose memory write failed reloads it.
    virtual void setLosesSaves(bool) {}
};
