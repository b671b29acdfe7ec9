#include "SensorHistoryHandler.h"

#include "TForm1.h"
#include "WindowPlacement.h"
#include "calibration/SensorHealth.h"
#include "dialogs/Messages.h"
#include "pages/BasePage.h"
#include "pages/PageFormat.h"
#include "protocol/InstrumentKind.h"
#include "records/RecordStore.h"
#include "workshop/SensorHistoryWindow.h"

#include <QPushButton>

SensorHistoryHandler::SensorHistoryHandler(TForm1 &form, Messages &messages,
                                           JournalPaths journalPaths)
    : QObject(&form), form_(form), messages_(messages), journalPaths_(std::move(journalPaths)) {
    // Under "ВЫКЛ.", right of the multiplexer's small button.
    button_ = new QPushButton("История датчика…", form_.basePage);
    button_->setObjectName("sensorHistoryButton");
    button_->setGeometry(22, 511, 183, 24);
    button_->setToolTip("Чувствительность и ноль датчика по калибровкам из журнала");
    connect(button_, &QPushButton::clicked, this, [this] {
        if (!form_.ConnectionOpen || !isAcceptedKind(form_.IdentifiedType))
            return messages_.information("Прибор не подключён: откройте его в списке «Устройства "
                                         "USB» или выберите его запись в журнале калибровок.");
        open(form_.IdentifiedSerialNumber);
    });
}

SensorHistoryWindow *SensorHistoryHandler::window() {
    if (!window_) {
        window_ = new SensorHistoryWindow(&form_);
        window_->hide();
        window_->reader().setServerAway(serverAway_);
    }
    return window_;
}

void SensorHistoryHandler::setServerAway(bool away) {
    serverAway_ = away;
    if (window_)
        window_->reader().setServerAway(away);
}

void SensorHistoryHandler::open(int serial) {
    const auto [path, benchPath] = journalPaths_();
    SensorHistoryWindow &shown = *window();
    shown.setRecordsPath(path, benchPath);
    shown.showSerial(serial);
    showInScreen(shown);
}

QString SensorHistoryHandler::endOfLifeNote(const std::vector<CalibrationRecord> &records,
                                            QString *reason) {
    const SensorHistory h =
        sensorHistory(records, PageFormat::numbers().decimalPoint().toStdString());
    if (h.verdict.state != HealthVerdict::State::NearsEndOfLife)
        return {};
    if (reason)
        *reason = QString::fromStdString(h.verdict.reason);
    return "Датчик близок к концу ресурса.";
}
