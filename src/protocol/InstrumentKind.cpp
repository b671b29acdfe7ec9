#include "InstrumentKind.h"

const KindBlock InstrumentKind::Base{Block::Base, {}, nullptr, "базовый"};
const KindBlock InstrumentKind::Pump{Block::Pump, {9}, "pump", "насос"};

namespace {
using namespace Block;

// One row per kind:
//   device type  as the base reports it in byte 4 of its answer to 9;
//   model        the text ahead of the serial number;
//   first poll   the block polled right after identification;
//   sensor block its number, the codes its page reads on opening (version
//                first, then the readings and settings), its settings layout,
//                its name.
// clang-format off
const InstrumentKind Kinds[] = {
    // type  model     first poll  sensor block, its opening codes, its layout, its name
    {1,      "ЗЭ11.2к", Base,      {Tks,          {9, 2, 3, 4}, "tks",      "ТКС"}},
    {2,      "ЗЭ22",    TksPgs,    {TksPgs,       {9, 2, 3, 4}, "tksPgs",   "ТКС+ПГС"}},
    {3,      "ЗЭ22",    Hydrogen,  {Hydrogen,     {9, 2, 3, 4}, "hydrogen", "ТКС+ПГС водород"}},
    {4,      "ЗЭ12",    Base,      {Pgs,          {9, 4},       "pgs",      "ПГС"}},
    {5,      "ЗЭ22",    Base,      {OpticMethane, {9},          nullptr,    "Оптика метан 100%"}},
    {7,      "ЗЭ-ХХХ",  Base,      {Oxygen,       {9, 2, 3, 4}, "oxygen",   "Кислород"}},
};
// clang-format on
} // namespace

const InstrumentKind *findInstrumentKind(std::uint8_t deviceType) {
    for (const InstrumentKind &k : Kinds)
        if (k.deviceType == deviceType)
            return &k;
    return nullptr;
}

const KindBlock *findKindBlock(std::uint8_t block) {
    if (block == Block::Base)
        return &InstrumentKind::Base;
    if (block == Block::Pump)
        return &InstrumentKind::Pump;
    for (const InstrumentKind &k : Kinds)
        if (k.sensor.block == block)
            return &k.sensor;
    return nullptr;
}

std::string modelLine(int deviceType, int serial) {
    const std::string number = "№ " + std::to_string(serial);
    const InstrumentKind *kind = deviceType >= 0 && deviceType <= 0xFF
                                     ? findInstrumentKind(std::uint8_t(deviceType))
                                     : nullptr;
    return kind ? std::string(kind->model) + "   " + number : number;
}

std::string blockName(std::uint8_t block) {
    const KindBlock *b = findKindBlock(block);
    return b ? std::string(b->name) : "№ " + std::to_string(block);
}

std::string instrumentName(const std::string &model, std::uint8_t block) {
    const std::string sensor = "блок " + blockName(block);
    return model.empty() ? sensor : model + ", " + sensor;
}
