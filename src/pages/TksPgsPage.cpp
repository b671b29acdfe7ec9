#include "TksPgsPage.h"

namespace {
const TwoSensorNames Names{
    {"GroupBox17", "Panel48", "Panel47", "Panel46", "Panel45", "Panel49", "Panel50", "Panel51"},
    "GroupBox18",
    "Panel54",
    "Button42",
    "Button43",
    "Button44",
    "Button45",
    "Button46",
    "Button54",
    "Panel42",
    {"GroupBox19",
     "Label10",
     "Edit1",
     "Button51",
     "Label11",
     "Edit2",
     "Button50",
     "Panel43",
     {"Label12", "Label13", "Label14", "Label15"},
     {"MaskEdit5", "MaskEdit6", "MaskEdit7", "MaskEdit8"},
     "Button47",
     "Button48",
     "Button49"},
    "Button52",
    "Button53",
    {"GroupBox20", "Panel57", "Panel56", "Button55", "Button56"},
    {"Chart5", "Series5", "Panel52"},
    {"Chart6", "Series6", "Panel53"}};
} // namespace

TksPgsPage::TksPgsPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
                       QWidget *parent)
    : TwoSensorPage(exchange, transmitTimer, messages, Block::TksPgs, Names, QString(),
                    std::nullopt, parent) {
    connectClickHandlers();
}
