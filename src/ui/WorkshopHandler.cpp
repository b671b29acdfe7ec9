#include "WorkshopHandler.h"

#include "CalibrationHandler.h"
#include "SensorHistoryHandler.h"
#include "TForm1.h"
#include "UsbPage.h"
#include "WindowPlacement.h"
#include "records/RecordLocation.h"
#include "workshop/CylinderRegisterWindow.h"
#include "workshop/DueWindow.h"
#include "workshop/JournalLocationDialog.h"
#include "workshop/JournalWindow.h"
#include "workshop/SensorHistoryWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

WorkshopHandler::WorkshopHandler(TForm1 &form, Messages &messages, CalibrationHandler &calibration)
    : QObject(&form), form_(form), messages_(messages), calibration_(calibration) {
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

    connect(journalLocationButton, &QPushButton::clicked, this,
            [this] { locationDialog()->ask(calibration_.recordsPath(), &form_); });
    connect(&calibration_, &CalibrationHandler::journalLocationAsked, this,
            [this] { locationDialog()->ask(calibration_.recordsPath(), calibration_.journal()); });
    connect(journalButton, &QPushButton::clicked, this, [this] { calibration_.openJournal(0); });
    connect(dueButton, &QPushButton::clicked, this, &WorkshopHandler::openDue);
    connect(cylindersButton, &QPushButton::clicked, this, &WorkshopHandler::openCylinders);
    connect(&calibration_, &CalibrationHandler::serverAnswered, this, [this](bool answered) {
        serverAway_ = !answered;
        if (due_)
            due_->reader().setServerAway(!answered);
    });
    connect(&calibration_, &CalibrationHandler::recordsPathChanged, this,
            &WorkshopHandler::showLocation);
    showLocation();
}

DueWindow *WorkshopHandler::dueWindow() {
    if (!due_) {
        due_ = new DueWindow(&form_);
        due_->hide();
        due_->reader().setServerAway(serverAway_);
        connect(due_, &DueWindow::recordsRequested, &calibration_,
                &CalibrationHandler::openJournal);
    }
    return due_;
}

CylinderRegisterWindow *WorkshopHandler::cylinderWindow() {
    if (!cylinders_) {
        cylinders_ = new CylinderRegisterWindow(messages_, &form_);
        cylinders_->hide();
        cylinders_->setStoreAccess(calibration_.registerAccess());
    }
    return cylinders_;
}

JournalLocationDialog *WorkshopHandler::locationDialog() {
    if (!location_) {
        location_ = new JournalLocationDialog(messages_, &form_);
        location_->hide();
        connect(location_, &JournalLocationDialog::chosen, this, &WorkshopHandler::locationChosen);
    }
    return location_;
}

void WorkshopHandler::showLocation() {
    journalLocationLabel->setText("Журнал: " + RecordLocation::shown(calibration_.recordsPath()));
}

void WorkshopHandler::locationChosen(const QString &location) {
    calibration_.setRecordsPath(location);
    showLocation();
    if (calibration_.journalShown())
        calibration_.openJournal(0);
    if (due_ && due_->isVisible())
        openDue();
    if (cylinders_ && cylinders_->isVisible())
        cylinders_->showCylinders();
}

void WorkshopHandler::openDue() {
    DueWindow &shown = *dueWindow();
    shown.setRecordsPath(calibration_.recordsPath(), calibration_.outboxPath());
    shown.showDue();
    showInScreen(shown);
}

void WorkshopHandler::openCylinders() {
    CylinderRegisterWindow &shown = *cylinderWindow();
    shown.showCylinders();
    showInScreen(shown);
}
