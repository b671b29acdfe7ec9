#include "BlockSettings.h"

#include "InstrumentKind.h"
#include "PumpCodes.h"
#include "SensorCodes.h"

namespace {
using W = SettingLayout::Width;
using How = SettingLayout::Writing;

// The thermocatalytic sensor's four parameters, in hundredths of a percent;
// the three-digit fields take 0 to 999.
std::vector<SettingLayout> catalyticSettings() {
    namespace C = CatalyticCode;
    const char *const unit = "0.01 %";
    return {
        {"calibrationGas", unit, C::ReadCalibrationGas, 3, W::Word, How::Paired, C::WriteUpper, 0,
         0, 999},
        {"threshold1", unit, C::ReadCalibrationGas, 5, W::Word, How::Paired, C::WriteUpper, 0, 0,
         999},
        {"threshold2", unit, C::ReadThresholds, 3, W::Word, How::Paired, C::WriteLower, 0, 0, 999},
        {"offThreshold", unit, C::ReadThresholds, 5, W::Word, How::Paired, C::WriteLower, 0, 0,
         999},
    };
}

BlockLayout catalytic(const char *name, std::uint8_t block) {
    return {name, block, CatalyticCode::On, 6, CatalyticCode::Save, catalyticSettings()};
}

BlockLayout pgs() {
    namespace C = PgsCode;
    // The block takes its thresholds from the gas present when told to apply one.
    return {"pgs",
            Block::Pgs,
            C::On,
            6,
            C::Save,
            {{"threshold1", "", C::ReadThresholds, 3, W::Word, How::None, 0, 0, -32768, 32767},
             {"threshold2", "", C::ReadThresholds, 5, W::Word, How::None, 0, 0, -32768, 32767}}};
}

BlockLayout oxygen() {
    namespace C = OxygenCode;
    const char *const unit = "0.1 %";
    std::vector<SettingLayout> s{
        {"calibrationGas", unit, C::ReadCalibrationGas, 3, W::Word, How::Paired, C::WriteUpper, 0,
         0, 9999},
        {"threshold1", unit, C::ReadCalibrationGas, 5, W::Word, How::Paired, C::WriteUpper, 0, 0,
         9999},
        {"threshold2", unit, C::ReadThresholds, 3, W::Word, How::Paired, C::WriteLower, 0, 0, 9999},
        {"threshold3", unit, C::ReadThresholds, 5, W::Word, How::Paired, C::WriteLower, 0, 0, 9999},
        // The front end's three register bytes, written together under 33.
        {"frontEndGain", "TIACN", C::ReadFrontEnd, 4, W::Byte, How::Register, C::WriteFrontEnd, 0,
         0, 255},
        {"frontEndReference", "REFCN", C::ReadFrontEnd, 5, W::Byte, How::Register, C::WriteFrontEnd,
         0, 0, 255},
        {"frontEndMode", "MODECN", C::ReadFrontEnd, 6, W::Byte, How::Register, C::WriteFrontEnd, 0,
         0, 255},
    };
    return {"oxygen", Block::Oxygen, C::Version, 3, C::Save, s};
}

BlockLayout pump() {
    namespace P = PumpCode;
    return {"pump",
            Block::Pump,
            P::On,
            6,
            P::Save,
            {{"frequency", "Гц", Code::Poll, P::FrequencyByte, W::Byte, How::Stepped,
              P::FrequencyUp, P::FrequencyDown, 0, 255},
             {"amplitude", "ед.", Code::Poll, P::AmplitudeByte, W::Byte, How::Stepped,
              P::AmplitudeUp, P::AmplitudeDown, 0, 255}}};
}

const std::vector<BlockLayout> &all() {
    static const std::vector<BlockLayout> blocks{
        catalytic("tks", Block::Tks),           pgs(),    catalytic("tksPgs", Block::TksPgs),
        catalytic("hydrogen", Block::Hydrogen), oxygen(), pump()};
    return blocks;
}

} // namespace

const SettingLayout *BlockLayout::find(std::string_view key) const {
    for (const SettingLayout &s : settings)
        if (key == s.key)
            return &s;
    return nullptr;
}

std::vector<const SettingLayout *> BlockLayout::carriedBy(std::uint8_t code) const {
    std::vector<const SettingLayout *> carried;
    for (const SettingLayout &s : settings)
        if (s.readCode == code)
            carried.push_back(&s);
    return carried;
}

std::vector<const SettingLayout *> BlockLayout::writtenWith(const SettingLayout &s) const {
    std::vector<const SettingLayout *> together;
    for (const SettingLayout &other : settings)
        if (&other == &s ||
            (s.writing != SettingLayout::Writing::Stepped && other.writing == s.writing &&
             s.writing != SettingLayout::Writing::None && other.writeCode == s.writeCode))
            together.push_back(&other);
    return together;
}

const BlockLayout *blockSettings(std::uint8_t block) {
    for (const BlockLayout &b : all())
        if (b.block == block)
            return &b;
    return nullptr;
}

const BlockLayout *blockSettingsNamed(std::string_view name) {
    for (const BlockLayout &b : all())
        if (name == b.name)
            return &b;
    return nullptr;
}

std::vector<const BlockLayout *> settingsOfKind(std::uint8_t deviceType) {
    std::vector<const BlockLayout *> blocks;
    const InstrumentKind *kind = findInstrumentKind(deviceType);
    if (!kind)
        return blocks;
    for (const KindBlock *b : {&kind->sensor, &InstrumentKind::Pump})
        if (b->settings)
            blocks.push_back(blockSettingsNamed(b->settings));
    return blocks;
}
