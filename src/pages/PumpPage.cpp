#include "PumpPage.h"

#include "BitIndicator.h"
#include "PageFormat.h"
#include "charts/StripChart.h"

#include <QGroupBox>
#include <QPushButton>

namespace {
namespace PumpCode {
constexpr std::uint8_t AmplitudeUp = 1;
constexpr std::uint8_t FrequencyDown = 3;
constexpr std::uint8_t FrequencyUp = 4;
constexpr std::uint8_t SetUpMode = 6;
constexpr std::uint8_t Save = 7;
constexpr std::uint8_t Off = 8;
constexpr std::uint8_t On = 9;
constexpr std::uint8_t AmplitudeDown = 13;
constexpr std::uint8_t PositionSensor = 14;
} // namespace PumpCode
} // namespace

PumpPage::PumpPage(ExchangeCycle &exchange, QTimer &transmitTimer, QWidget *parent)
    : BlockPage(exchange, transmitTimer, Block::Pump, 350, parent) {
    GroupBox5 = group("GroupBox5", "Насос", 4, 0, 185, 45);
    Panel11 = panel("Panel11", GroupBox5, 6, 18, 173, 20);

    GroupBox6 = group("GroupBox6", "Состояние", 4, 48, 185, 82);
    Panel12 = panel("Panel12", GroupBox6, 6, 18, 173, 17);
    Panel13 = panel("Panel13", GroupBox6, 6, 37, 173, 17);
    Panel14 = panel("Panel14", GroupBox6, 6, 56, 173, 17);

    GroupBox9 = group("GroupBox9", "Ток катушки, мА", 4, 134, 185, 54);
    Panel15 = panel("Panel15", GroupBox9, 6, 18, 173, 28, 19);

    GroupBox7 = group("GroupBox7", "Частота, Гц", 4, 192, 185, 84);
    Panel16 = panel("Panel16", GroupBox7, 6, 18, 173, 28, 19);
    Button13 = button("Button13", "<<", 6, 52, 84, 25, GroupBox7);
    Button17 = button("Button17", ">>", 95, 52, 84, 25, GroupBox7);

    GroupBox8 = group("GroupBox8", "Амплитуда, ед. ", 4, 280, 185, 84);
    Panel17 = panel("Panel17", GroupBox8, 6, 18, 173, 28, 19);
    Button9 = button("Button9", "<<", 6, 52, 31, 25, GroupBox8);
    Button8 = button("Button8", "<", 39, 52, 31, 25, GroupBox8);
    Button11 = button("Button11", "Стоп", 72, 52, 41, 25, GroupBox8);
    Button10 = button("Button10", ">", 115, 52, 31, 25, GroupBox8);
    Button12 = button("Button12", ">>", 148, 52, 31, 25, GroupBox8);

    GroupBox10 = group("GroupBox10", "Датчик положения, ед.", 4, 368, 185, 112);
    Panel18 = panel("Panel18", GroupBox10, 6, 18, 173, 17);
    Panel19 = panel("Panel19", GroupBox10, 6, 37, 173, 17);
    Panel20 = panel("Panel20", GroupBox10, 6, 56, 173, 17);
    for (IndicatorPanel *p : {Panel18, Panel19, Panel20})
        p->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Button21 = button("Button21", "Обновить", 6, 79, 173, 25, GroupBox10);

    Button18 = button("Button18", "ВКЛ.", 4, 500, 90, 30);
    Button19 = button("Button19", "ВЫКЛ.", 99, 500, 90, 30);
    Button20 = button("Button20", "РЕЖИМ НАСТРОЙКИ", 230, 500, 170, 30);
    Button22 = button("Button22", "СОХРАНЕНИЕ НАСТРОЙКИ", 410, 500, 190, 30);

    Chart2 = new StripChart("Chart2", "Series2", "Ток катушки, мА", 0, 150, this);
    Chart2->setGeometry(196, 4, 584, 488);

    connect(Button18, &QPushButton::clicked, this, &PumpPage::Button18Click);
    connect(Button19, &QPushButton::clicked, this, &PumpPage::Button19Click);
    connect(Button20, &QPushButton::clicked, this, &PumpPage::Button20Click);
    connect(Button22, &QPushButton::clicked, this, &PumpPage::Button22Click);
    connect(Button21, &QPushButton::clicked, this, &PumpPage::Button21Click);
    connect(Button13, &QPushButton::clicked, this, &PumpPage::Button13Click);
    connect(Button17, &QPushButton::clicked, this, &PumpPage::Button17Click);
    connect(Button9, &QPushButton::clicked, this, &PumpPage::Button9Click);
    connect(Button8, &QPushButton::clicked, this, &PumpPage::Button8Click);
    connect(Button11, &QPushButton::clicked, this, &PumpPage::Button11Click);
    connect(Button10, &QPushButton::clicked, this, &PumpPage::Button10Click);
    connect(Button12, &QPushButton::clicked, this, &PumpPage::Button12Click);
}

void PumpPage::decode(const Frame &reply) {
    const std::uint8_t code = reply[1];
    // A held amplitude run sends the next step as soon as the last is acknowledged.
    if (AmplitudeRepeat && (code == PumpCode::AmplitudeDown || code == PumpCode::AmplitudeUp))
        exchange_.CommandFrame[1] = code;

    using C = IndicatorPanel::Colour;
    applyBits({{Panel12, 0x01, "Насос выключен", C::Red, "Насос включен", C::Face},
               {Panel13, 0x40, "Настройки в норме", C::Face, "Настройки по умолчанию", C::Yellow},
               {Panel14, 0x80, "Рабочий режим", C::Face, "Режим настройки", C::Yellow}},
              reply[2]);

    if (code == PumpCode::On)
        Panel11->setText(PageFormat::version(reply[6]));

    if (code == PumpCode::PositionSensor) {
        int max = word16(reply, 3);
        int min = word16(reply, 5);
        Panel18->setText(" MAX            : " + QString::number(max));
        Panel19->setText(" MIN            : " + QString::number(min));
        Panel20->setText(" MAX-MIN     : " + QString::number(max - min));
        return;
    }
    if (code == PumpCode::SetUpMode || code == PumpCode::Save || code == PumpCode::Off ||
        code == PumpCode::On)
        return;

    double current = word16(reply, 3) / 2.0;
    Panel15->setText(PageFormat::general(current));
    Panel16->setText(QString::number(reply[6]));
    Panel17->setText(QString::number(reply[5]));
    Chart2->add(current);
}

void PumpPage::Button18Click() {
    loadCommand(PumpCode::On);
}
void PumpPage::Button19Click() {
    loadCommand(PumpCode::Off);
}
void PumpPage::Button20Click() {
    loadCommand(PumpCode::SetUpMode);
}
void PumpPage::Button22Click() {
    loadCommand(PumpCode::Save);
}
void PumpPage::Button21Click() {
    loadCommand(PumpCode::PositionSensor);
}
void PumpPage::Button13Click() {
    loadCommand(PumpCode::FrequencyDown);
}
void PumpPage::Button17Click() {
    loadCommand(PumpCode::FrequencyUp);
}

void PumpPage::Button9Click() {
    loadCommand(PumpCode::AmplitudeDown);
    AmplitudeRepeat = true;
}

void PumpPage::Button8Click() {
    loadCommand(PumpCode::AmplitudeDown);
    AmplitudeRepeat = false;
}

void PumpPage::Button11Click() {
    loadCommand(Code::Poll);
    AmplitudeRepeat = false;
}

void PumpPage::Button10Click() {
    loadCommand(PumpCode::AmplitudeUp);
    AmplitudeRepeat = false;
}

void PumpPage::Button12Click() {
    loadCommand(PumpCode::AmplitudeUp);
    AmplitudeRepeat = true;
}
