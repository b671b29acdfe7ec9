#include "HydrogenPage.h"

namespace {
const TwoSensorNames Names{
    {"GroupBox21", "Panel59", "Panel58", "Panel55", "Panel44", "Panel60", "Panel61", "Panel62"},
    "GroupBox22",
    "Panel64",
    "Button69",
    "Button70",
    nullptr,
    "Button68",
    "Button67",
    "Button57",
    "Panel63",
    {"GroupBox24",
     "Label16",
     "Edit3",
     "Button64",
     "Label17",
     "Edit4",
     "Button63",
     "Panel69",
     {"Label18", "Label19", "Label20", "Label21"},
     {"MaskEdit9", "MaskEdit10", "MaskEdit11", "MaskEdit12"},
     "Button60",
     "Button61",
     "Button62"},
    "Button66",
    "Button65",
    {"GroupBox23", "Panel68", "Panel67", "Button58", "Button59"},
    {"Chart7", "LineSeries1", "Panel65"},
    {"Chart8", "LineSeries2", "Panel66"}};

// 2.00 % calibration gas, thresholds at 0.40 % and 0.80 %, switch-off at 4.00 %.
const CatalyticDefaults HydrogenDefaults{200, 40, 80, 400};
} // namespace

HydrogenPage::HydrogenPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
                           QWidget *parent)
    : TwoSensorPage(exchange, transmitTimer, messages, Block::Hydrogen, Names, "Водород",
                    HydrogenDefaults, parent) {
    connectClickHandlers();
}
