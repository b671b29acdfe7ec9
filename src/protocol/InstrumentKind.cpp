#include "InstrumentKind.h"

#include "PageIndex.h"

namespace {
const InstrumentKind Kinds[] = {
    {1, "База ЗЭ-11.2К", PageIndex::Tks, "Блок ТКС", "ЗЭ11.2к", Block::address(Block::Base)},
    {2, "База ЗЭ-22", PageIndex::TksPgs, "Блок ТКС+ПГС", "ЗЭ22", Block::address(Block::TksPgs)},
    {3, "База ЗЭ-22", PageIndex::Hydrogen, "Блок ТКС+ПГС водород", "ЗЭ22",
     Block::address(Block::Hydrogen)},
    {4, "База ЗЭ-12", PageIndex::Pgs, "Блок ПГС", "ЗЭ12", Block::address(Block::Base)},
    {5, "База ЗЭ-Хрень", PageIndex::OpticMethane, "Оптика метан 100%", "ЗЭ22",
     Block::address(Block::Base)},
    {7, "База ЗЭ-ХХХ", PageIndex::Oxygen, "Кислород", "ЗЭ-ХХХ", Block::address(Block::Base)},
};
} // namespace

const InstrumentKind *findInstrumentKind(std::uint8_t deviceType) {
    for (const InstrumentKind &k : Kinds)
        if (k.deviceType == deviceType)
            return &k;
    return nullptr;
}

std::string modelLine(const InstrumentKind &kind, std::uint16_t serial) {
    return std::string(kind.model) + "   № " + std::to_string(serial);
}
