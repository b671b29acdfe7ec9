#include "PgsReply.h"

#include "BlockSettings.h"
#include "ReplyFields.h"

namespace {
namespace C = PgsCode;
using ReplyFields::Bit;
using ReplyFields::Setting;
using Status = PgsReply::Status;

constexpr std::size_t VoltageAt = 3;
constexpr std::size_t ConverterAt = 5;

constexpr Bit<Status> StatusBits[] = {{SensorStatus::On, &Status::on},
                                      {SensorStatus::Propane, &Status::propane},
                                      {SensorStatus::SettingsError, &Status::settingsError},
                                      {SensorStatus::CircuitFault, &Status::circuitFault},
                                      {SensorStatus::Threshold1, &Status::alarm1},
                                      {SensorStatus::Threshold2, &Status::alarm2},
                                      {SensorStatus::SetUp, &Status::setUp}};
constexpr Setting<PgsReply> Settings[] = {{"threshold1", &PgsReply::threshold1},
                                          {"threshold2", &PgsReply::threshold2}};

const BlockLayout &layout() {
    return *blockSettings(Block::Pgs);
}
} // namespace

std::uint8_t statusByte(const Status &status) {
    return ReplyFields::byteOf(status, StatusBits);
}

PgsReply decodePgs(const Frame &f) {
    PgsReply r;
    r.code = f[1];
    r.status = ReplyFields::flagsOf(f[2], StatusBits);
    // The replies to the threshold applications carry both thresholds as the
    // reply to their read does.
    if (r.code == C::ApplyThreshold1 || r.code == C::ApplyThreshold2 || r.code == C::ReadThresholds)
        ReplyFields::readSettings(layout(), C::ReadThresholds, f, r, Settings);
    r.version = layout().versionIn(f);
    if (C::carriesReadings(r.code)) {
        r.voltageQuarters = word16(f, VoltageAt);
        r.converterValue = signed16(f, ConverterAt);
    }
    return r;
}

Frame encode(const PgsReply &r) {
    Frame f{Block::Pgs, r.code, statusByte(r.status)};
    ReplyFields::writeSettings(layout(), r, f, Settings);
    if (r.version)
        layout().putVersion(f, *r.version);
    if (r.voltageQuarters)
        putWord(f, VoltageAt, *r.voltageQuarters);
    if (r.converterValue)
        putSignedWord(f, ConverterAt, *r.converterValue);
    return f;
}
