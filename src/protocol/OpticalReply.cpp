#include "OpticalReply.h"

#include "ReplyFields.h"

namespace {
namespace C = OpticalCode;
using ReplyFields::Bit;
using Status = OpticalReply::Status;

constexpr std::size_t LinkErrorAt = 3;
constexpr std::size_t ConcentrationAt = 3;
constexpr std::size_t SignalAt = 5;
constexpr std::size_t VersionAt = 6;

constexpr Bit<Status> StatusBits[] = {{SensorStatus::On, &Status::on},
                                      {C::LinkError, &Status::linkError},
                                      {SensorStatus::SettingsError, &Status::settingsError},
                                      {SensorStatus::Threshold1, &Status::alarm1},
                                      {SensorStatus::Threshold2, &Status::alarm2},
                                      {SensorStatus::Threshold3, &Status::alarm3},
                                      {SensorStatus::SetUp, &Status::setUp}};
} // namespace

std::uint8_t statusByte(const Status &status) {
    return ReplyFields::byteOf(status, StatusBits);
}

OpticalReply decodeOptical(const Frame &f) {
    OpticalReply r;
    r.code = f[1];
    r.status = ReplyFields::flagsOf(f[2], StatusBits);
    if (r.code == C::On)
        r.version = f[VersionAt];
    if (r.status.linkError) {
        r.linkErrorCode = f[LinkErrorAt];
    } else if (C::carriesReadings(r.code)) {
        r.concentration = signed16(f, ConcentrationAt);
        r.signal = word16(f, SignalAt);
    }
    return r;
}

Frame encode(const OpticalReply &r) {
    Frame f{Block::OpticMethane, r.code, statusByte(r.status)};
    if (r.concentration)
        putSignedWord(f, ConcentrationAt, *r.concentration);
    if (r.signal)
        putWord(f, SignalAt, *r.signal);
    if (r.linkErrorCode)
        f[LinkErrorAt] = *r.linkErrorCode;
    if (r.version)
        f[VersionAt] = *r.version;
    return f;
}
