#include "SemiconductorReply.h"

#include "ReplyFields.h"

namespace {
using ReplyFields::Bit;
using Status = SemiconductorReply::Status;

constexpr std::size_t VoltageAt = 5;

constexpr Bit<Status> StatusBits[] = {{SensorStatus::On, &Status::on},
                                      {SensorStatus::CircuitFault, &Status::circuitFault}};
} // namespace

std::uint8_t statusByte(const Status &status) {
    return ReplyFields::byteOf(status, StatusBits);
}

SemiconductorReply decodeSemiconductor(const Frame &f) {
    return {f[0], f[1], ReplyFields::flagsOf(f[2], StatusBits), word16(f, VoltageAt)};
}

Frame encode(const SemiconductorReply &r) {
    Frame f{r.block, r.code, statusByte(r.status)};
    putWord(f, VoltageAt, r.voltageTenths);
    return f;
}
