#include "BasePage.h"

#include "BitIndicator.h"
#include "PageWidgets.h"
#include "charts/StripChart.h"
#include "protocol/BaseCodes.h"
#include "protocol/BaseReply.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

BasePage::BasePage(ExchangeCycle &exchange, QTimer &transmitTimer, QWidget *parent)
    : BlockPage(exchange, transmitTimer, Block::Base, 350, parent) {
    using namespace PageWidgets;
    GroupBox4 = group(this, "GroupBox4", "Прибор", 4, 0, 201, 45);
    Panel2 = new QLabel(GroupBox4);
    Panel2->setObjectName("Panel2");
    Panel2->setGeometry(6, 18, 189, 21);
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setAutoFillBackground(true);
    QFont modelFont("Arial");
    modelFont.setPixelSize(12);
    modelFont.setBold(true);
    Panel2->setFont(modelFont);
    QPalette modelPalette = Panel2->palette();
    modelPalette.setColor(QPalette::Window, QColor(0xB4, 0xB4, 0xB4)); // active border
    Panel2->setPalette(modelPalette);

    GroupBox1 = group(this, "GroupBox1", "Состояние", 4, 48, 201, 120);
    Panel3 = panel(GroupBox1, "Panel3", 6, 18, 189, 17);
    Panel4 = panel(GroupBox1, "Panel4", 6, 37, 189, 17);
    Panel5 = panel(GroupBox1, "Panel5", 6, 56, 189, 17);
    Panel6 = panel(GroupBox1, "Panel6", 6, 75, 189, 17);
    Panel7 = panel(GroupBox1, "Panel7", 6, 94, 189, 17);

    GroupBox2 = group(this, "GroupBox2", "Связь", 4, 172, 201, 63);
    Panel8 = panel(GroupBox2, "Panel8", 6, 18, 189, 17);
    Panel9 = panel(GroupBox2, "Panel9", 6, 37, 189, 17);

    GroupBox3 = group(this, "GroupBox3", "Напряжение АКБ", 4, 239, 201, 64);
    Panel10 = panel(GroupBox3, "Panel10", 6, 18, 189, 38, 24, true);

    Button4 = button(this, "Button4", "Рабочий режим", 4, 312, 99, 25);
    Button3 = button(this, "Button3", "Режим теста", 106, 312, 99, 25);
    Button6 = button(this, "Button6", "LED ON", 4, 344, 65, 25);
    Button6->setToolTip("Включить светодиод прибора");
    Button7 = button(this, "Button7", "LED OFF", 72, 344, 65, 25);
    Button7->setToolTip("Выключить светодиод прибора");
    Button5 = button(this, "Button5", "ЗВУК", 140, 344, 65, 25);
    Button2 = button(this, "Button2", "ВЫКЛ.", 4, 478, 201, 30);
    QPalette offPalette = Button2->palette();
    offPalette.setColor(QPalette::ButtonText, QColor(0xFF, 0, 0));
    Button2->setPalette(offPalette);
    Button72 = button(this, "Button72", QString(), 0, 520, 17, 16);
    // It has no caption: a screen reader and a pointer resting on it name it.
    Button72->setAccessibleName("Управление мультиплексором");
    Button72->setToolTip("Управление мультиплексором стенда");

    Chart1 = new StripChart("Chart1", "Series1", "Напряжение аккумуляторной батареи, мВ", 4000,
                            6200, this);
    Chart1->setGeometry(212, 4, 568, 530);

    connectClickHandlers();
}

void BasePage::decodeReply() {
    transmitTimer_.setInterval(intervalMs());
    exchange_.CommandFrame[0] = address();
    if (exchange_.CommandFrame[1] == BaseCode::PowerOff)
        emit offAcknowledged();
    if (exchange_.ReplyFrame[1] != Code::Poll)
        exchange_.loadFrame(address(), Code::Poll);
    if (exchange_.ReplyFrame[0] == block())
        decode(exchange_.ReplyFrame);
}

void BasePage::decode(const Frame &reply) {
    using C = IndicatorPanel::Colour;
    const BaseReply r = decodeBase(reply);
    if (const std::optional<BaseReply::State> &s = r.state)
        applyAll(
            {{Panel3, s->contactBroken, "Контакт АКБ в норме", C::Face, "Обрыв АКБ", C::Red},
             {Panel4, s->charging, "Рабочий режим", C::Face, "Режим заряда", C::Yellow},
             {Panel5, s->discharged, "Питание в норме", C::Face, "АКБ разряжена", C::Yellow},
             {Panel6, s->menu, "Меню не активно", C::Face, "Меню активно", C::Yellow},
             {Panel7, s->testMode, "Режим теста не активен", C::Face, "Режим теста", C::Yellow}});
    if (const std::optional<BaseReply::Links> &l = r.links)
        applyAll({{Panel8, l->noSensor, "Связь с датчиком в норме", C::Face,
                   "Связь с датчиком отсутствует", C::Red},
                  {Panel9, l->noPump, "Связь с насосом в норме", C::Face,
                   "Связь с насосом отсутствует", C::Red}});
    if (r.batteryMillivolts) {
        Panel10->setText(QString::number(*r.batteryMillivolts) + "  мВ");
        Chart1->add(*r.batteryMillivolts);
    }
}

void BasePage::Button2Click() {
    queueSequence({BaseCode::PowerOff});
}

void BasePage::Button3Click() {
    loadCommand(BaseCode::TestMode);
}

void BasePage::Button4Click() {
    loadCommand(BaseCode::WorkMode);
}

void BasePage::Button5Click() {
    loadCommand(BaseCode::TestMode);
    exchange_.CommandFrame[3] = 0;
    exchange_.CommandFrame[4] = 0x10;
}

void BasePage::Button6Click() {
    loadCommand(BaseCode::TestMode);
    exchange_.CommandFrame[3] = 0xFF;
}

void BasePage::Button7Click() {
    loadCommand(BaseCode::TestMode);
    exchange_.CommandFrame[3] = 0;
}
