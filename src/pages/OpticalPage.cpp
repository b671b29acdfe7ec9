#include "OpticalPage.h"

#include "PageFormat.h"
#include "PageWidgets.h"
#include "SensorIndicators.h"
#include "TraceMemo.h"
#include "charts/StripChart.h"
#include "protocol/OpticalReply.h"

#include <QGroupBox>
#include <QLineEdit>

namespace {
namespace C = OpticalCode;

// Replies that report a link error on the link panel; others leave it be.
bool showsLinkError(std::uint8_t code) {
    for (std::uint8_t c : {1, 2, 5, 12, 13, 14, 15})
        if (code == c)
            return true;
    return false;
}
} // namespace

OpticalPage::OpticalPage(ExchangeCycle &exchange, QTimer &transmitTimer, QWidget *parent)
    : BlockPage(exchange, transmitTimer, Block::OpticMethane, 800, parent) {
    using namespace PageWidgets;
    GroupBox25 = group(this, "GroupBox25", "Состояние", 4, 0, 250, 164);
    IndicatorPanel **rows[] = {&Panel73, &Panel72, &Panel71, &Panel70,
                               &Panel74, &Panel75, &Panel76};
    const char *const names[] = {"Panel73", "Panel72", "Panel71", "Panel70",
                                 "Panel74", "Panel75", "Panel76"};
    for (int row = 0; row < 7; ++row)
        *rows[row] = panel(GroupBox25, names[row], 6, 18 + 19 * row + (row >= 4 ? 8 : 0), 238, 17);

    GroupBox26 = group(this, "GroupBox26", "Концентроция, %", 4, 168, 250, 58);
    Edit8 = readOnlyEdit(GroupBox26, "Edit8", 6, 17, 238, 34);
    QFont big("Arial");
    big.setPixelSize(24);
    big.setBold(true);
    Edit8->setFont(big);
    QPalette black = Edit8->palette();
    black.setColor(QPalette::Text, Qt::black);
    Edit8->setPalette(black);
    Button71 = button(this, "Button71", "ВКЛ.", 4, 230, 123, 26);
    Button73 = button(this, "Button73", "ОТКЛ.", 131, 230, 123, 26);

    Panel77 = versionPanel(this, "Panel77", 560, 2, 215, 18);
    Chart9 = new StripChart("Chart9", "LineSeries3", "Сигнал детектора", -10, 2500, this);
    Chart9->setGeometry(262, 22, 519, 300);
    Panel78 = cornerPanel(this, "Panel78", Chart9, QColor(0xFF, 0xFF, 0xE1));

    Memo1 = new TraceMemo("Memo1", this);
    Memo1->setGeometry(4, 330, 777, 206);

    connectClickHandlers();
}

void OpticalPage::noteReply(const Frame &reply) {
    Memo1->trace(exchange_.CommandFrame, reply);
}

void OpticalPage::reloadPoll() {
    if (!exchange_.Sequence.pending())
        BlockPage::reloadPoll();
}

void OpticalPage::decode(const Frame &reply) {
    using namespace SensorIndicators;
    const OpticalReply r = decodeOptical(reply);
    const OpticalReply::Status &s = r.status;
    applyAll({power(Panel73, s.on), mode(Panel72, s.setUp), settings(Panel71, s.settingsError)});
    showAlarms({alarm3(Panel74, s.alarm3), alarm2(Panel75, s.alarm2), alarm1(Panel76, s.alarm1)},
               s.on, true);

    if (!r.linkErrorCode)
        Panel70->set("Связь в норме", IndicatorPanel::Colour::Face);
    else if (showsLinkError(r.code))
        Panel70->set("Ошибка связи " +
                         QString("%1").arg(*r.linkErrorCode, 2, 16, QChar('0')).toUpper(),
                     IndicatorPanel::Colour::Yellow);
    // While the link is in error the readings and the version keep their last values.
    if (r.linkErrorCode)
        return;

    if (r.version)
        Panel77->setText(PageFormat::version(*r.version));
    // The page shows the readings of the measurement and the poll only.
    if ((r.code != C::Measurement && r.code != Code::Poll) || !r.concentration || !r.signal)
        return;
    Edit8->setText("  " + PageFormat::general(*r.concentration / 100.0));
    Panel78->setText(QString::number(*r.signal));
    if (r.code == Code::Poll)
        Chart9->add(*r.signal);
}

void OpticalPage::Button71Click() {
    queueSequence({C::On, C::Start, C::ReadInternal1, C::ReadInternal2});
}

void OpticalPage::Button73Click() {
    loadCommand(C::Off);
}
