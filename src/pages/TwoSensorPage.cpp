#include "TwoSensorPage.h"

#include "PageWidgets.h"
#include "charts/StripChart.h"
#include "protocol/SemiconductorReply.h"

#include <QGroupBox>

namespace {
const char *const ThermocatalyticTitle = "Напряжение термокаталитического сенсора, мB";
const char *const SemiconductorTitle = "Напряжение полупроводникового сенсора, мВ";

StripChart *chart(QWidget *page, const std::array<const char *, 3> &names, const char *title, int y,
                  int h) {
    auto *c = new StripChart(names[0], names[1], title, -10, 2510, page);
    c->setGeometry(386, y, 395, h);
    return c;
}
} // namespace

TwoSensorPage::TwoSensorPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
                             std::uint8_t block, const TwoSensorNames &n,
                             const QString &parameterCaption,
                             std::optional<CatalyticDefaults> fixedGas, QWidget *parent)
    : BlockPage(exchange, transmitTimer, block, 350, parent),
      sensor(exchange, messages, block,
             {.sequenced = true, .signedVoltage = true, .fixedGas = fixedGas}),
      semiconductor(exchange, block) {
    using namespace PageWidgets;
    CatalyticWidgets &w = sensor.w;
    statusGroup =
        CatalyticLayout::statusGroup(this, w, n.status, "Состояние ТКС", {4, 0, 200, 0}, true);

    concentrationGroup = group(this, n.concentrationGroup, "Концентроция, %", 208, 0, 172, 56);
    concentration =
        readingPanel(concentrationGroup, n.concentration, 6, 17, 160, 33, 21, Qt::white);
    concentration->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    w.concentration = concentration;
    onButton = button(this, n.on, "ВКЛ.", 208, 60, 84, 25);
    offButton = button(this, n.off, "ОТКЛ.", 296, 60, 84, 25);
    if (n.gas)
        gasButton = button(this, n.gas, "Выбор газа", 208, 88, 172, 25);
    zeroButton = button(this, n.zero, "Подстройка \"0\"", 208, 115, 172, 25);
    setUpButton = button(this, n.setUp, "Режим настройки", 208, 142, 172, 25);

    const QRect parameters(4, 170, 376, 232);
    CatalyticLayout::parameterGroup(this, w, n.parameters, parameterCaption, "Сохранение",
                                    parameters, 118);
    defaultsButton = button(w.parameters, n.defaults, "Настр. по умолчанию", 6,
                            parameters.height() - 32, 134, 26);
    readButton = button(w.parameters, n.read, "Чтение", 144, parameters.height() - 32, 100, 26);

    SemiconductorWidgets &s = semiconductor.w;
    semiconductorGroup = group(this, n.semiconductor[0], "Состояние ПГС", 4, 406, 200, 62);
    s.circuit = panel(semiconductorGroup, n.semiconductor[1], 6, 18, 188, 17);
    s.power = panel(semiconductorGroup, n.semiconductor[2], 6, 38, 188, 17);
    semiconductorOn = button(this, n.semiconductor[3], "ВКЛ.", 208, 420, 84, 26);
    semiconductorOff = button(this, n.semiconductor[4], "ОТКЛ.", 296, 420, 84, 26);

    resetButton = button(this, n.reset, "СБРОС", 386, 1, 90, 22);
    version = versionPanel(this, n.version, 560, 2, 215, 18);
    w.version = version;
    w.chart = chart(this, n.upperChart, ThermocatalyticTitle, 26, 250);
    w.voltage = cornerPanel(this, n.upperChart[2], w.chart);
    s.chart = chart(this, n.lowerChart, SemiconductorTitle, 282, 254);
    s.voltage = cornerPanel(this, n.lowerChart[2], s.chart);
}

void TwoSensorPage::decode(const Frame &reply) {
    if (SemiconductorCode::answers(reply[1])) {
        semiconductor.decode(reply);
        return;
    }
    sensor.decode(reply);
    // The thermocatalytic poll answered: the semiconductor sensor's turn.
    if (reply[1] == Code::Poll)
        exchange_.loadCommand(address(), SemiconductorCode::Poll);
}
