#include "OxygenReply.h"

#include "BlockSettings.h"
#include "ReplyFields.h"

namespace {
namespace C = OxygenCode;
using ReplyFields::Bit;
using ReplyFields::Setting;
using Status = OxygenReply::Status;
using FrontEndStatus = OxygenReply::FrontEndStatus;

constexpr std::size_t ConcentrationAt = 3;
constexpr std::size_t TemperatureAt = 5;
constexpr std::size_t CoefficientAt = 6;
constexpr std::size_t VoltageAt = 5;
constexpr std::size_t UZeroAt = 3;
constexpr std::size_t UGasAt = 5;
constexpr std::size_t FrontEndStatusAt = 3;

constexpr Bit<Status> StatusBits[] = {{C::TemperatureFault, &Status::temperatureFault},
                                      {SensorStatus::SettingsError, &Status::settingsError},
                                      {SensorStatus::Threshold1, &Status::alarm1},
                                      {SensorStatus::Threshold2, &Status::alarm2},
                                      {SensorStatus::Threshold3, &Status::alarm3},
                                      {SensorStatus::SetUp, &Status::setUp}};
constexpr Bit<FrontEndStatus> FrontEndBits[] = {
    {C::FrontEndReady, &FrontEndStatus::ready},
    {C::FrontEndWriteProtected, &FrontEndStatus::writeProtected}};
constexpr std::uint8_t KnownFrontEndBits = C::FrontEndReady | C::FrontEndWriteProtected;

constexpr Setting<OxygenReply> Settings[] = {{"calibrationGas", &OxygenReply::calibrationGas},
                                             {"threshold1", &OxygenReply::threshold1},
                                             {"threshold2", &OxygenReply::threshold2},
                                             {"threshold3", &OxygenReply::threshold3},
                                             {"frontEndGain", &OxygenReply::frontEndGain},
                                             {"frontEndReference", &OxygenReply::frontEndReference},
                                             {"frontEndMode", &OxygenReply::frontEndMode}};

const BlockLayout &layout() {
    return *blockSettings(Block::Oxygen);
}
} // namespace

std::optional<FrontEnd::Bytes> OxygenReply::frontEnd() const {
    if (!frontEndGain || !frontEndReference || !frontEndMode)
        return std::nullopt;
    return FrontEnd::Bytes{static_cast<std::uint8_t>(*frontEndGain),
                           static_cast<std::uint8_t>(*frontEndReference),
                           static_cast<std::uint8_t>(*frontEndMode)};
}

std::uint8_t statusByte(const Status &status) {
    return ReplyFields::byteOf(status, StatusBits);
}

std::uint8_t statusByte(const FrontEndStatus &status) {
    return static_cast<std::uint8_t>(ReplyFields::byteOf(status, FrontEndBits) |
                                     (status.otherBits & ~KnownFrontEndBits));
}

OxygenReply decodeOxygen(const Frame &f) {
    OxygenReply r;
    r.code = f[1];
    r.status = ReplyFields::flagsOf(f[2], StatusBits);
    switch (r.code) {
    case Code::Poll:
        r.concentration = signed16(f, ConcentrationAt);
        r.temperatureCode = f[TemperatureAt];
        r.coefficientCode = f[CoefficientAt];
        break;
    case C::Voltage:
        r.concentration = signed16(f, ConcentrationAt);
        r.voltageTenths = word16(f, VoltageAt);
        break;
    case C::ReadVoltages:
        r.uZeroTenths = signed16(f, UZeroAt);
        r.uGasTenths = signed16(f, UGasAt);
        break;
    case C::ReadFrontEnd:
    case C::WriteFrontEnd: {
        FrontEndStatus s = ReplyFields::flagsOf(f[FrontEndStatusAt], FrontEndBits);
        s.otherBits = static_cast<std::uint8_t>(f[FrontEndStatusAt] & ~KnownFrontEndBits);
        r.frontEndStatus = s;
        break;
    }
    default:
        break;
    }
    r.version = layout().versionIn(f);
    // The front-end bytes of the replies to 9 and 33 sit where those of the
    // read do; a front end that is not ready has none to tell.
    if (r.code == C::Version || (r.frontEndStatus && r.frontEndStatus->ready))
        ReplyFields::readSettings(layout(), C::ReadFrontEnd, f, r, Settings);
    else if (!r.frontEndStatus)
        ReplyFields::readSettings(layout(), r.code, f, r, Settings);
    return r;
}

Frame encode(const OxygenReply &r) {
    Frame f{Block::Oxygen, r.code, statusByte(r.status)};
    if (r.concentration)
        putSignedWord(f, ConcentrationAt, *r.concentration);
    if (r.temperatureCode)
        f[TemperatureAt] = *r.temperatureCode;
    if (r.coefficientCode)
        f[CoefficientAt] = *r.coefficientCode;
    if (r.voltageTenths)
        putWord(f, VoltageAt, *r.voltageTenths);
    if (r.uZeroTenths)
        putSignedWord(f, UZeroAt, *r.uZeroTenths);
    if (r.uGasTenths)
        putSignedWord(f, UGasAt, *r.uGasTenths);
    if (r.frontEndStatus)
        f[FrontEndStatusAt] = statusByte(*r.frontEndStatus);
    ReplyFields::writeSettings(layout(), r, f, Settings);
    if (r.version)
        layout().putVersion(f, *r.version);
    return f;
}
