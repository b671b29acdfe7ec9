#include "WorkshopHandler.h"

#include "CalibrationHandler.h"
#include "CylinderRegisterWindow.h"
#include "DueWindow.h"
#include "JournalLocationDialog.h"
#include "JournalWindow.h"
#include "SensorHistoryHandler.h"
#include "SensorHistoryWindow.h"
#include "TForm1.h"
#include "UsbPage.h"
#include "WindowPlacement.h"
#include "records/RecordLocation.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

WorkshopHandler::WorkshopHandler(TForm1 &form, Messages &messages, CalibrationHandler &calibration)
    : QObject(&form), form_(form), calibration_(calibration) {
    // Right of the device list, under the search notice.
    auto *group = new QGroupBox("Журнал и баллоны", form_.usbPage);
    group->setObjectName("workshopGroup");
    group->setGeometry(476, 320, 306, 196);
    auto *layout = new QVBoxLayout(group);
    journalLocationLabel = new QLabel(group);
    journalLocationLabel->setObjectName("journalLocationLabel");
    journalLocationLabel->setWordWrap(true);
    journalLocationLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    journalLocationButton = new QPushButton("Где вести журнал…", group);
    journalLocationButton->setObjectName("journalLocationButton");
    journalButton = new QPushButton("Журнал калибровок…", group);
    journalButton->setObjectName("workshopJournalButton");
    journalButton->setToolTip("Записи о калибровках: отбор, свидетельства, экспорт в CSV");
    dueButton = new QPushButton("Сроки калибровки…", group);
    dueButton->setObjectName("dueButton");
    dueButton->setToolTip("Приборы, которым подходит или прошёл срок калибровки");
    cylindersButton = new QPushButton("Реестр баллонов…", group);
    cylindersButton->setObjectName("cylindersButton");
    cylindersButton->setToolTip("Баллоны с поверочными газами: список, новые, сроки годности");
    layout->addWidget(journalLocationLabel, 1);
    layout->addWidget(journalLocationButton);
    layout->addWidget(journalButton);
    layout->addWidget(dueButton);
    layout->addWidget(cylindersButton);

    due_ = new DueWindow(&form_);
    due_->hide();
    cylinders_ = new CylinderRegisterWindow(messages, &form_);
    cylinders_->hide();
    cylinders_->setStoreAccess(calibration_.registerAccess());
    location_ = new JournalLocationDialog(messages, &form_);
    location_->hide();

    const auto askLocation = [this](QWidget *over) {
        location_->ask(calibration_.recordsPath(), over);
    };
    connect(journalLocationButton, &QPushButton::clicked, this,
            [this, askLocation] { askLocation(&form_); });
    connect(calibration_.journal(), &JournalWindow::locationChangeRequested, this,
            [this, askLocation] { askLocation(calibration_.journal()); });
    connect(location_, &JournalLocationDialog::chosen, this, &WorkshopHandler::locationChosen);
    connect(journalButton, &QPushButton::clicked, this, [this] { calibration_.openJournal(0); });
    connect(dueButton, &QPushButton::clicked, this, &WorkshopHandler::openDue);
    connect(cylindersButton, &QPushButton::clicked, this, &WorkshopHandler::openCylinders);
    connect(due_, &DueWindow::recordsRequested, &calibration_, &CalibrationHandler::openJournal);
    connect(&calibration_, &CalibrationHandler::serverAnswered, this,
            [this](bool answered) { due_->reader().setServerAway(!answered); });
    connect(&calibration_, &CalibrationHandler::recordsPathChanged, this,
            &WorkshopHandler::showLocation);
    showLocation();
}

void WorkshopHandler::showLocation() {
    journalLocationLabel->setText("Журнал: " + RecordLocation::shown(calibration_.recordsPath()));
}

void WorkshopHandler::locationChosen(const QString &location) {
    calibration_.setRecordsPath(location);
    showLocation();
    if (calibration_.journal()->isVisible())
        calibration_.openJournal(0);
    if (due_->isVisible())
        openDue();
    if (cylinders_->isVisible())
        cylinders_->showCylinders();
}

void WorkshopHandler::openDue() {
    due_->setRecordsPath(calibration_.recordsPath(), calibration_.outboxPath());
    due_->showDue();
    showInScreen(*due_);
}

void WorkshopHandler::openCylinders() {
    cylinders_->showCylinders();
    showInScreen(*cylinders_);
}
