#include "PgsPage.h"

#include "PageFormat.h"
#include "PageWidgets.h"
#include "SensorIndicators.h"
#include "charts/StripChart.h"
#include "protocol/PgsReply.h"
#include "protocol/SensorCodes.h"

#include <QGroupBox>
#include <QLabel>

namespace {
namespace C = PgsCode;

const QColor Cream(0xFF, 0xFB, 0xF0);
const QColor Light(0xFF, 0xFF, 0xE1);
} // namespace

PgsPage::PgsPage(ExchangeCycle &exchange, QTimer &transmitTimer, QWidget *parent)
    : BlockPage(exchange, transmitTimer, Block::Pgs, 350, parent) {
    using namespace PageWidgets;
    GroupBox14 = group(this, "GroupBox14", "Состояние", 4, 0, 200, 148);
    IndicatorPanel **status[] = {&Panel32, &Panel33, &Panel34, &Panel35, &Panel36, &Panel37};
    const char *const names[] = {"Panel32", "Panel33", "Panel34", "Panel35", "Panel36", "Panel37"};
    for (int row = 0; row < 6; ++row)
        *status[row] =
            panel(GroupBox14, names[row], 6, 18 + 19 * row + (row >= 4 ? 8 : 0), 188, 17);

    Button35 = button(this, "Button35", "ВКЛ.", 4, 152, 98, 26);
    Button36 = button(this, "Button36", "ОТКЛ.", 106, 152, 98, 26);
    Button37 = button(this, "Button37", "Режим настройки", 4, 182, 200, 26);
    Button41 = button(this, "Button41", "Выбор газа", 4, 212, 200, 26);

    GroupBox15 = group(this, "GroupBox15", "Данные АЦП", 4, 244, 200, 58);
    Panel41 = readingPanel(GroupBox15, "Panel41", 6, 17, 188, 34, 21, Qt::white);

    GroupBox16 = group(this, "GroupBox16", QString(), 4, 306, 200, 132);
    Label8 = label(GroupBox16, "Label8", "Порог1", 6, 16, 48, 22);
    Panel38 = readingPanel(GroupBox16, "Panel38", 56, 14, 70, 24, 13, Cream);
    Button38 = button(GroupBox16, "Button38", "Применить", 130, 14, 64, 24);
    Label9 = label(GroupBox16, "Label9", "Порог2", 6, 44, 48, 22);
    Panel39 = readingPanel(GroupBox16, "Panel39", 56, 42, 70, 24, 13, Cream);
    Button39 = button(GroupBox16, "Button39", "Применить", 130, 42, 64, 24);
    Button40 = button(GroupBox16, "Button40", "Чтение параметров", 6, 72, 188, 25);
    Button33 = button(GroupBox16, "Button33", "Сохранение параметров", 6, 101, 188, 25);

    Panel40 = versionPanel(this, "Panel40", 560, 2, 215, 18);
    Chart4 = new StripChart("Chart4", "Series4", "Напряжение полупроводникового сенсора, мВ", -10,
                            3310, this);
    Chart4->setGeometry(212, 22, 569, 480);
    Panel31 = cornerPanel(this, "Panel31", Chart4, Light);
    Button34 = button(this, "Button34", "СБРОС", 681, 508, 100, 28);

    connectClickHandlers();
}

void PgsPage::decode(const Frame &reply) {
    using namespace SensorIndicators;
    const PgsReply r = decodePgs(reply);
    const PgsReply::Status &s = r.status;
    applyAll({power(Panel32, s.on), mode(Panel33, s.setUp), circuit(Panel34, s.circuitFault),
              settings(Panel35, s.settingsError)});
    showAlarms({alarm2(Panel36, s.alarm2), alarm1(Panel37, s.alarm1)}, s.on);
    GroupBox14->setTitle(gasName(s.propane));

    if (r.threshold1)
        Panel38->setText(QString::number(*r.threshold1));
    if (r.threshold2)
        Panel39->setText(QString::number(*r.threshold2));
    if (r.version)
        Panel40->setText(PageFormat::version(*r.version));
    if (!r.voltageQuarters || !r.converterValue)
        return;

    const double volts = *r.voltageQuarters / 4.0;
    Chart4->add(volts);
    Panel31->setText(PageFormat::general(volts) + "  мВ");
    Panel41->setText(r.measuring() ? "  " + QString::number(*r.converterValue)
                                   : PageFormat::NotValid);
}

void PgsPage::Button35Click() {
    loadCommand(C::On);
}
void PgsPage::Button36Click() {
    loadCommand(C::Off);
}
void PgsPage::Button37Click() {
    loadCommand(C::SetUp);
}
void PgsPage::Button41Click() {
    queueSequence({C::GasChoice, C::ReadThresholds});
}
void PgsPage::Button38Click() {
    exchange_.queueAssured(address(), {C::ApplyThreshold1, C::ReadThresholds});
}
void PgsPage::Button39Click() {
    exchange_.queueAssured(address(), {C::ApplyThreshold2, C::ReadThresholds});
}
void PgsPage::Button40Click() {
    loadCommand(C::ReadThresholds);
}
void PgsPage::Button33Click() {
    exchange_.loadAssured(address(), C::Save);
}
void PgsPage::Button34Click() {
    loadCommand(C::Reset);
}
