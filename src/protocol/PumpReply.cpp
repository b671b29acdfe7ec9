#include "PumpReply.h"

#include "BlockSettings.h"
#include "ReplyFields.h"

namespace {
using ReplyFields::Bit;
using ReplyFields::Setting;
using Status = PumpReply::Status;

constexpr std::size_t CurrentAt = 3;
constexpr std::size_t PositionMaxAt = 3;
constexpr std::size_t PositionMinAt = 5;

constexpr Bit<Status> StatusBits[] = {{PumpState::On, &Status::on},
                                      {PumpState::Defaults, &Status::defaults},
                                      {PumpState::SetUp, &Status::setUp}};
constexpr Setting<PumpReply> Settings[] = {{"amplitude", &PumpReply::amplitude},
                                           {"frequency", &PumpReply::frequency}};

const BlockLayout &layout() {
    return *blockSettings(Block::Pump);
}
} // namespace

PumpReply decodePump(const Frame &f) {
    PumpReply r;
    r.code = f[1];
    r.status = ReplyFields::flagsOf(f[2], StatusBits);
    r.version = layout().versionIn(f);
    if (r.code == PumpCode::PositionSensor) {
        r.positionMax = word16(f, PositionMaxAt);
        r.positionMin = word16(f, PositionMinAt);
    }
    if (PumpCode::carriesReadings(r.code)) {
        r.currentHalfMilliamps = word16(f, CurrentAt);
        // Every reply with readings carries what the poll reads.
        ReplyFields::readSettings(layout(), Code::Poll, f, r, Settings);
    }
    return r;
}

Frame encode(const PumpReply &r) {
    Frame f{Block::Pump, r.code, ReplyFields::byteOf(r.status, StatusBits)};
    if (r.currentHalfMilliamps)
        putWord(f, CurrentAt, *r.currentHalfMilliamps);
    if (r.positionMax)
        putWord(f, PositionMaxAt, *r.positionMax);
    if (r.positionMin)
        putWord(f, PositionMinAt, *r.positionMin);
    ReplyFields::writeSettings(layout(), r, f, Settings);
    if (r.version)
        layout().putVersion(f, *r.version);
    return f;
}
