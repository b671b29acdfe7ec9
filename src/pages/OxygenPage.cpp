#include "OxygenPage.h"

#include "PageFormat.h"
#include "PageWidgets.h"
#include "RadioGroup.h"
#include "SensorIndicators.h"
#include "TextFit.h"
#include "TraceMemo.h"
#include "ValueField.h"
#include "charts/StripChart.h"
#include "dialogs/Messages.h"
#include "protocol/OxygenReply.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {
namespace C = OxygenCode;

const QColor Cream(0xFF, 0xFB, 0xF0);

IndicatorPanel *creamPanel(QWidget *parent, const char *name, int x, int y, int w, int h) {
    IndicatorPanel *p = PageWidgets::panel(parent, name, x, y, w, h, 16);
    PageWidgets::setBackground(p, Cream);
    p->setFrameStyle(QFrame::Box | QFrame::Plain);
    return p;
}

// "t = 28 °C   k=99.3 %"
QString temperatureLine(int celsius, int coefficientTenths) {
    return QString("t = %1 °C   k=").arg(celsius) + PageFormat::fixed1(coefficientTenths / 10.0) +
           " %";
}

QString tenths(int value) {
    return PageFormat::general(value / 10.0);
}
} // namespace

OxygenPage::OxygenPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
                       QWidget *parent)
    : BlockPage(exchange, transmitTimer, Block::Oxygen, 350, parent), messages_(messages) {
    using namespace PageWidgets;
    buildFrontEnd();

    GroupBox27 = group(this, "GroupBox27", "Состояние", 216, 0, 201, 129);
    IndicatorPanel **rows[] = {&Panel82, &Panel85, &Panel86, &Panel87, &Panel88, &Panel90};
    const char *const names[] = {"Panel82", "Panel85", "Panel86", "Panel87", "Panel88", "Panel90"};
    for (int row = 0; row < 6; ++row)
        *rows[row] = panel(GroupBox27, names[row], 8, 16 + 18 * row, 185, 17);
    Button78 = button(this, "Button78", "Режим настройки", 264, 130, 113, 17);

    Panel83 = creamPanel(this, "Panel83", 224, 148, 185, 37);
    QFont red("Arial");
    red.setPixelSize(24);
    red.setBold(true);
    red.setItalic(true);
    Panel83->setFont(red);
    QPalette redText = Panel83->palette();
    redText.setColor(QPalette::WindowText, QColor(0xFF, 0, 0));
    Panel83->setPalette(redText);

    Panel84 = panel(this, "Panel84", 520, 0, 113, 25);
    Panel84->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel84->setText("Версия ХХ");
    Button77 = button(this, "Button77", "СБРОС", 712, 0, 65, 25);

    buildSettings();

    // Under the chart, seen with the picture: the picture, then the trace.
    Image1 = label(this, "Image1", QString(), 224, 200, 561, 337);
    Image1->setScaledContents(true);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->hide();
    Memo2 = new TraceMemo("Memo2", this);
    Memo2->setGeometry(336, 336, 345, 105);
    Chart10 = new StripChart("Chart10", "LineSeries4", QString(), -10, 2600, this);
    Chart10->setGeometry(224, 192, 561, 345);
    Panel81 = creamPanel(this, "Panel81", 280, 200, 185, 25);
    {
        // The widest the codes give: 0xFF for both.
        OxygenReply widest;
        widest.temperatureCode = widest.coefficientCode = 0xFF;
        TextFit::shrinkToFit(
            Panel81, temperatureLine(*widest.temperatureCelsius(), *widest.coefficientTenths()));
    }
    Panel80 = creamPanel(this, "Panel80", 496, 200, 161, 25);
    Button76 = button(this, "Button76", "Схема/График", 680, 200, 91, 25);

    connectClickHandlers();
}

void OxygenPage::buildFrontEnd() {
    using namespace PageWidgets;
    LMP91000 = group(this, "LMP91000", "LMP91000", 0, 0, 209, 513);
    Panel79 = panel(LMP91000, "Panel79", 8, 16, 185, 25);
    Panel79->setText("Статус: ");
    const auto radio = [this](const char *name, const QString &caption, const QStringList &items,
                              int x, int y, int w, int h) {
        auto *g = new RadioGroup(name, caption, items, LMP91000);
        g->setGeometry(x, y, w, h);
        return g;
    };
    RadioGroup1 =
        radio("RadioGroup1", "R_Load", {"10 Oм", "33 Ом", "50 Ом", "100 Ом"}, 8, 48, 81, 73);
    RadioGroup2 = radio("RadioGroup2", "R_TIA",
                        {"Внешний", "2,75 кОм", "3,5 кОм", "7,0 кОм", "14 кОм", "35,0 кОм",
                         "120,0 кОм", "350, кОм"},
                        104, 48, 97, 153);
    RadioGroup4 = radio("RadioGroup4", "U_нуля", {"20%", "50%", "67% "}, 8, 136, 81, 65);
    RadioGroup3 = radio("RadioGroup3", "U_опоры", {"Внутр.", "Внешнее"}, 8, 208, 81, 49);
    RadioGroup6 = radio("RadioGroup6", "Смещение",
                        {"0%", "1%", "2%", "4%", "6%", "8%", "10%", "12%", "14%", "16%", "18%",
                         "20%", "22%", "24%"},
                        104, 208, 97, 217);
    RadioGroup5 = radio("RadioGroup5", "Полярность", {"Негатив", "Позитив"}, 8, 264, 81, 49);
    RadioGroup7 = radio("RadioGroup7", "FET", {"Отключен", "Включен"}, 8, 328, 81, 49);
    RadioGroup8 = radio("RadioGroup8", "Режим",
                        {"Спящий", "Сенс.-Vref", "Ожидание", "Рабочий", "TIA_OFF", "TIA_ON C2"}, 8,
                        384, 89, 113);
    settings_ = {RadioGroup1, RadioGroup2, RadioGroup3, RadioGroup4,
                 RadioGroup5, RadioGroup6, RadioGroup7, RadioGroup8};
    Button74 = button(LMP91000, "Button74", "Чтение", 112, 440, 75, 25);
    Button75 = button(LMP91000, "Button75", "Запись", 112, 472, 75, 25);
}

void OxygenPage::buildSettings() {
    using namespace PageWidgets;
    GroupBox28 = group(this, "GroupBox28", "Настройки", 424, 24, 361, 165);
    label(GroupBox28, "Label22", "U нуля, мВ", 8, 20, 72, 17);
    Edit9 = readOnlyEdit(GroupBox28, "Edit9", 80, 17, 64, 21);
    Button84 = button(GroupBox28, "Button84", "Применить U нуля", 148, 16, 120, 23);
    label(GroupBox28, "Label23", "U газ, мВ", 8, 45, 72, 17);
    Edit10 = readOnlyEdit(GroupBox28, "Edit10", 80, 42, 64, 21);
    Button83 = button(GroupBox28, "Button83", "Применить U газа", 148, 41, 120, 23);

    Panel89 = panel(GroupBox28, "Panel89", 8, 68, 256, 90);
    const char *const labels[] = {"C газа, % х10", "Порог1, % х10", "Порог2, % х10",
                                  "Порог 3, % х10"};
    const char *const labelNames[] = {"Label24", "Label25", "Label26", "Label27"};
    const char *const fieldNames[] = {"MaskEdit13", "MaskEdit14", "MaskEdit15", "MaskEdit16"};
    ValueField **fields[] = {&MaskEdit13, &MaskEdit14, &MaskEdit15, &MaskEdit16};
    for (int row = 0; row < 4; ++row) {
        QLabel *caption = label(Panel89, labelNames[row], labels[row], 6, 5 + 21 * row, 96, 17);
        *fields[row] = new ValueField(fieldNames[row], Panel89, 4);
        caption->setBuddy(*fields[row]);
        (*fields[row])->setGeometry(104, 3 + 21 * row, 48, 20);
    }
    Button80 = button(Panel89, "Button80", "Применить", 158, 3, 92, 41);
    Button81 = button(Panel89, "Button81", "Применить", 158, 45, 92, 41);

    Button82 = button(GroupBox28, "Button82", "Чтение", 268, 68, 88, 27);
    Button85 = button(GroupBox28, "Button85", "По умолчанию", 268, 99, 88, 27);
    Button79 = button(GroupBox28, "Button79", "Сохранение", 268, 130, 88, 27);
}

void OxygenPage::setPicture(const QImage &picture) {
    Image1->setPixmap(QPixmap::fromImage(picture));
}

FrontEnd::Choices OxygenPage::frontEnd() const {
    FrontEnd::Choices choices;
    for (std::size_t i = 0; i < settings_.size(); ++i)
        choices[i] = settings_[i]->itemIndex();
    return choices;
}

void OxygenPage::noteReply(const Frame &reply) {
    Memo2->trace(exchange_.CommandFrame, reply);
}

void OxygenPage::reloadPoll() {
    if (exchange_.Sequence.pending())
        return;
    // The polls carry no data: what a write left in the frame must not stand.
    exchange_.loadFrame(address(), Code::Poll);
    queueSequence({Code::Poll, C::Voltage});
}

void OxygenPage::showStatus(const OxygenReply::Status &s) {
    using namespace SensorIndicators;
    showAlarms({alarm3(Panel86, s.alarm3), alarm2(Panel87, s.alarm2), alarm1(Panel88, s.alarm1)},
               !(s.setUp || s.settingsError), true);
    applyAll({mode(Panel82, s.setUp),
              settings(Panel85, s.settingsError),
              {Panel90, s.temperatureFault, "Температура в норме", IndicatorPanel::Colour::Face,
               "Ошибка термосенсора", IndicatorPanel::Colour::Red}});
}

void OxygenPage::showFrontEnd(const OxygenReply &r) {
    // A state with bits the page does not know leaves the text as it was.
    if (const std::optional<OxygenReply::FrontEndStatus> &s = r.frontEndStatus;
        s && s->otherBits == 0)
        Panel79->setText(!s->ready           ? "Статус: НЕ ГОТОВ"
                         : s->writeProtected ? "Статус: Запись защищена"
                                             : "Статус: Запись разрешена");
    if (const std::optional<FrontEnd::Bytes> bytes = r.frontEnd()) {
        const FrontEnd::Choices choices = FrontEnd::load(frontEnd(), *bytes);
        for (std::size_t i = 0; i < settings_.size(); ++i)
            settings_[i]->setItemIndex(choices[i]);
    }
}

void OxygenPage::decode(const Frame &reply) {
    const OxygenReply r = decodeOxygen(reply);
    showStatus(r.status);
    showFrontEnd(r);
    if (r.temperatureCelsius() && r.coefficientTenths())
        Panel81->setText(temperatureLine(*r.temperatureCelsius(), *r.coefficientTenths()));
    if (r.concentration)
        Panel83->setText(PageFormat::fixed1(*r.concentration / 10.0) + " %");
    if (r.voltageTenths) {
        const int millivolts = *r.voltageTenths / 10;
        Panel80->setText(QString("Usens = %1  мВ").arg(millivolts));
        Chart10->add(millivolts);
    }
    if (r.version)
        Panel84->setText(PageFormat::version(*r.version));
    if (r.uZeroTenths)
        Edit9->setText("  " + tenths(*r.uZeroTenths));
    if (r.uGasTenths)
        Edit10->setText("  " + tenths(*r.uGasTenths));
    showCarried(MaskEdit13, r.calibrationGas);
    showCarried(MaskEdit14, r.threshold1);
    showCarried(MaskEdit15, r.threshold2);
    showCarried(MaskEdit16, r.threshold3);
}

void OxygenPage::Button74Click() {
    queueSequence({C::ReadFrontEnd});
}

void OxygenPage::Button75Click() {
    const FrontEnd::Choices choices = frontEnd();
    if (!FrontEnd::complete(choices)) {
        messages_.error("Настройки LMP91000 ещё не прочитаны из блока: запись отменена. "
                        "Прочитайте их кнопкой «Чтение» и выберите каждую настройку.");
        return;
    }
    const FrontEnd::Bytes bytes = FrontEnd::encode(choices);
    exchange_.queueAssured(address(), {C::WriteFrontEnd},
                           WriteData::from(4, {bytes.gain, bytes.reference, bytes.mode}));
}

void OxygenPage::Button76Click() {
    const bool chart = !Chart10->isHidden();
    Chart10->setVisible(!chart);
    Image1->setVisible(chart);
}

void OxygenPage::Button77Click() {
    queueSequence({C::Reset, C::Version});
}
void OxygenPage::Button78Click() {
    queueSequence({C::SetUp});
}
void OxygenPage::Button79Click() {
    exchange_.queueAssured(address(), {C::Save});
}
void OxygenPage::Button82Click() {
    queueSequence({C::ReadVoltages, C::ReadCalibrationGas, C::ReadThresholds});
}
void OxygenPage::Button83Click() {
    queueSequence({C::GasPoint, C::ReadVoltages});
}
void OxygenPage::Button84Click() {
    queueSequence({C::ZeroPoint, C::ReadVoltages});
}

void OxygenPage::Button80Click() {
    write(C::WriteUpper, MaskEdit13, MaskEdit14);
}
void OxygenPage::Button81Click() {
    write(C::WriteLower, MaskEdit15, MaskEdit16);
}

void OxygenPage::write(std::uint8_t code, const ValueField *first, const ValueField *second) {
    if (std::optional<WriteData> data = pairToWrite(first, second, messages_))
        exchange_.queueAssured(address(), {code}, *data);
}

void OxygenPage::Button85Click() {
    MaskEdit13->showValue(210);
    MaskEdit14->showValue(20);
    MaskEdit15->showValue(180);
    MaskEdit16->showValue(250);
}
