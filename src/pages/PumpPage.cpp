#include "PumpPage.h"

#include "BitIndicator.h"
#include "PageFormat.h"
#include "PageWidgets.h"
#include "charts/StripChart.h"
#include "protocol/PumpReply.h"

#include <QGroupBox>
#include <QPushButton>

PumpPage::PumpPage(ExchangeCycle &exchange, QTimer &transmitTimer, QWidget *parent)
    : BlockPage(exchange, transmitTimer, Block::Pump, 350, parent) {
    using namespace PageWidgets;
    GroupBox5 = group(this, "GroupBox5", "Насос", 4, 0, 185, 45);
    Panel11 = panel(GroupBox5, "Panel11", 6, 18, 173, 20);

    GroupBox6 = group(this, "GroupBox6", "Состояние", 4, 48, 185, 82);
    Panel12 = panel(GroupBox6, "Panel12", 6, 18, 173, 17);
    Panel13 = panel(GroupBox6, "Panel13", 6, 37, 173, 17);
    Panel14 = panel(GroupBox6, "Panel14", 6, 56, 173, 17);

    GroupBox9 = group(this, "GroupBox9", "Ток катушки, мА", 4, 134, 185, 54);
    Panel15 = panel(GroupBox9, "Panel15", 6, 18, 173, 28, 19);

    GroupBox7 = group(this, "GroupBox7", "Частота, Гц", 4, 192, 185, 84);
    Panel16 = panel(GroupBox7, "Panel16", 6, 18, 173, 28, 19);
    Button13 = button(GroupBox7, "Button13", "<<", 6, 52, 84, 25);
    Button17 = button(GroupBox7, "Button17", ">>", 95, 52, 84, 25);

    GroupBox8 = group(this, "GroupBox8", "Амплитуда, ед. ", 4, 280, 185, 84);
    Panel17 = panel(GroupBox8, "Panel17", 6, 18, 173, 28, 19);
    Button9 = button(GroupBox8, "Button9", "<<", 6, 52, 31, 25);
    Button8 = button(GroupBox8, "Button8", "<", 39, 52, 31, 25);
    Button11 = button(GroupBox8, "Button11", "Стоп", 72, 52, 41, 25);
    Button10 = button(GroupBox8, "Button10", ">", 115, 52, 31, 25);
    Button12 = button(GroupBox8, "Button12", ">>", 148, 52, 31, 25);

    GroupBox10 = group(this, "GroupBox10", "Датчик положения, ед.", 4, 368, 185, 112);
    Panel18 = panel(GroupBox10, "Panel18", 6, 18, 173, 17);
    Panel19 = panel(GroupBox10, "Panel19", 6, 37, 173, 17);
    Panel20 = panel(GroupBox10, "Panel20", 6, 56, 173, 17);
    for (IndicatorPanel *p : {Panel18, Panel19, Panel20})
        p->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Button21 = button(GroupBox10, "Button21", "Обновить", 6, 79, 173, 25);

    Button18 = button(this, "Button18", "ВКЛ.", 4, 500, 90, 30);
    Button19 = button(this, "Button19", "ВЫКЛ.", 99, 500, 90, 30);
    Button20 = button(this, "Button20", "РЕЖИМ НАСТРОЙКИ", 230, 500, 170, 30);
    Button22 = button(this, "Button22", "СОХРАНЕНИЕ НАСТРОЙКИ", 410, 500, 190, 30);

    Chart2 = new StripChart("Chart2", "Series2", "Ток катушки, мА", 0, 150, this);
    Chart2->setGeometry(196, 4, 584, 488);

    connectClickHandlers();
}

void PumpPage::decode(const Frame &reply) {
    const PumpReply r = decodePump(reply);
    // A held amplitude run sends the next step as soon as the last is acknowledged.
    if (AmplitudeRepeat && (r.code == PumpCode::AmplitudeDown || r.code == PumpCode::AmplitudeUp))
        exchange_.CommandFrame[1] = r.code;

    using C = IndicatorPanel::Colour;
    applyAll({{Panel12, r.status.on, "Насос выключен", C::Red, "Насос включен", C::Face},
              {Panel13, r.status.defaults, "Настройки в норме", C::Face, "Настройки по умолчанию",
               C::Yellow},
              {Panel14, r.status.setUp, "Рабочий режим", C::Face, "Режим настройки", C::Yellow}});

    if (r.version)
        Panel11->setText(PageFormat::version(*r.version));

    if (r.positionMax && r.positionMin) {
        const int max = *r.positionMax, min = *r.positionMin;
        Panel18->setText(" MAX            : " + QString::number(max));
        Panel19->setText(" MIN            : " + QString::number(min));
        Panel20->setText(" MAX-MIN     : " + QString::number(max - min));
    }
    if (!r.currentHalfMilliamps || !r.frequency || !r.amplitude)
        return;

    const double current = *r.currentHalfMilliamps / 2.0;
    Panel15->setText(PageFormat::general(current));
    Panel16->setText(QString::number(*r.frequency));
    Panel17->setText(QString::number(*r.amplitude));
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
