#include "CatalyticReply.h"

#include "BlockSettings.h"
#include "ReplyFields.h"

namespace {
namespace C = CatalyticCode;
using ReplyFields::Bit;
using ReplyFields::Setting;
using Status = CatalyticReply::Status;

constexpr std::size_t UAirAt = 3;
constexpr std::size_t UGasAt = 5;
constexpr std::size_t ConcentrationAt = 3;
constexpr std::size_t VoltageAt = 5;

constexpr Bit<Status> StatusBits[] = {{SensorStatus::On, &Status::on},
                                      {SensorStatus::Propane, &Status::propane},
                                      {SensorStatus::SettingsError, &Status::settingsError},
                                      {SensorStatus::CircuitFault, &Status::circuitFault},
                                      {SensorStatus::Threshold1, &Status::alarm1},
                                      {SensorStatus::Threshold2, &Status::alarm2},
                                      {SensorStatus::OffThreshold, &Status::offAlarm},
                                      {SensorStatus::SetUp, &Status::setUp}};
constexpr Setting<CatalyticReply> Settings[] = {{"calibrationGas", &CatalyticReply::calibrationGas},
                                                {"threshold1", &CatalyticReply::threshold1},
                                                {"threshold2", &CatalyticReply::threshold2},
                                                {"offThreshold", &CatalyticReply::offThreshold}};

// The three blocks with a thermocatalytic sensor keep its settings alike.
const BlockLayout &layout() {
    return *blockSettings(Block::Tks);
}
} // namespace

std::uint8_t statusByte(const Status &status) {
    return ReplyFields::byteOf(status, StatusBits);
}

CatalyticReply decodeCatalytic(const Frame &f) {
    CatalyticReply r;
    r.block = f[0];
    r.code = f[1];
    r.status = ReplyFields::flagsOf(f[2], StatusBits);
    if (r.code == C::ReadVoltages) {
        r.uAirTenths = signed16(f, UAirAt);
        r.uGasTenths = signed16(f, UGasAt);
    }
    ReplyFields::readSettings(layout(), r.code, f, r, Settings);
    r.version = layout().versionIn(f);
    if (C::carriesReadings(r.code)) {
        r.concentration = signed16(f, ConcentrationAt);
        r.voltageTenths = word16(f, VoltageAt);
    }
    return r;
}

Frame encode(const CatalyticReply &r) {
    Frame f{r.block, r.code, statusByte(r.status)};
    if (r.uAirTenths)
        putSignedWord(f, UAirAt, *r.uAirTenths);
    if (r.uGasTenths)
        putSignedWord(f, UGasAt, *r.uGasTenths);
    ReplyFields::writeSettings(layout(), r, f, Settings);
    if (r.version)
        layout().putVersion(f, *r.version);
    if (r.concentration)
        putSignedWord(f, ConcentrationAt, *r.concentration);
    if (r.voltageTenths)
        putWord(f, VoltageAt, *r.voltageTenths);
    return f;
}
