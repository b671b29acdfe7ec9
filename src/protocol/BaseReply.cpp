#include "BaseReply.h"

#include "BaseCodes.h"
#include "ReplyFields.h"

namespace {
using ReplyFields::Bit;
using State = BaseReply::State;
using Links = BaseReply::Links;

constexpr std::size_t StateByte = 2;
constexpr std::size_t LinksByte = 3;
constexpr std::size_t BatteryAt = 5;

constexpr Bit<State> StateBits[] = {{BaseState::TestMode, &State::testMode},
                                    {BaseState::Menu, &State::menu},
                                    {BaseState::Discharged, &State::discharged},
                                    {BaseState::Charging, &State::charging},
                                    {BaseState::ContactBroken, &State::contactBroken}};
constexpr Bit<Links> LinkBits[] = {{BaseLink::NoPump, &Links::noPump},
                                   {BaseLink::NoSensor, &Links::noSensor}};
} // namespace

BaseReply decodeBase(const Frame &f) {
    BaseReply r;
    r.code = f[1];
    if (r.code == Code::Identify)
        return r;
    r.state = ReplyFields::flagsOf(f[StateByte], StateBits);
    r.links = ReplyFields::flagsOf(f[LinksByte], LinkBits);
    r.batteryMillivolts = word16(f, BatteryAt);
    return r;
}

Frame encode(const BaseReply &r) {
    Frame f{Block::Base, r.code};
    if (r.state)
        f[StateByte] = ReplyFields::byteOf(*r.state, StateBits);
    if (r.links)
        f[LinksByte] = ReplyFields::byteOf(*r.links, LinkBits);
    if (r.batteryMillivolts)
        putWord(f, BatteryAt, *r.batteryMillivolts);
    return f;
}
