#include "PageIndex.h"

#include "protocol/Frame.h"

namespace {
struct Shown {
    int page;
    std::uint8_t block;
    const char *caption;
};

// clang-format off
const Shown Pages[] = {
    {PageIndex::Base,         Block::Base,         nullptr},
    {PageIndex::Pump,         Block::Pump,         "Насос"},
    {PageIndex::Tks,          Block::Tks,          "Блок ТКС"},
    {PageIndex::Pgs,          Block::Pgs,          "Блок ПГС"},
    {PageIndex::TksPgs,       Block::TksPgs,       "Блок ТКС+ПГС"},
    {PageIndex::Hydrogen,     Block::Hydrogen,     "Блок ТКС+ПГС водород"},
    {PageIndex::OpticMethane, Block::OpticMethane, "Оптика метан 100%"},
    {PageIndex::Oxygen,       Block::Oxygen,       "Кислород"},
};

// The base page's caption for each kind.
const struct {
    std::uint8_t deviceType;
    const char *caption;
} BaseCaptions[] = {
    {1, "База ЗЭ-11.2К"}, {2, "База ЗЭ-22"},    {3, "База ЗЭ-22"},
    {4, "База ЗЭ-12"},    {5, "База ЗЭ-Хрень"}, {7, "База ЗЭ-ХХХ"},
};
// clang-format on
} // namespace

namespace PageIndex {

int ofBlock(std::uint8_t block) {
    for (const Shown &p : Pages)
        if (p.block == block)
            return p.page;
    return -1;
}

std::uint8_t blockOf(int page) {
    for (const Shown &p : Pages)
        if (p.page == page)
            return p.block;
    return Block::Base;
}

const char *caption(int page, std::uint8_t deviceType) {
    if (page == Base) {
        for (const auto &b : BaseCaptions)
            if (b.deviceType == deviceType)
                return b.caption;
        return "База";
    }
    for (const Shown &p : Pages)
        if (p.page == page)
            return p.caption;
    return "";
}

} // namespace PageIndex
