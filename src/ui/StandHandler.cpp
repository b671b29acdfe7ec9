#include "StandHandler.h"

#include "CalibrationHandler.h"
#include "GasControl.h"
#include "PageIndex.h"
#include "TForm1.h"
#include "WindowPlacement.h"
#include "dialogs/Messages.h"
#include "mux/TForm2.h"
#include "protocol/InstrumentKind.h"
#include "workshop/CalibrationSetupFields.h"
#include "workshop/StandCalibrationWindow.h"

#include <QPushButton>

StandHandler::StandHandler(TForm1 &form, Messages &messages, CalibrationHandler &calibration)
    : QObject(&form), form_(form), messages_(messages), calibration_(calibration) {
    connect(form_.Form2, &TForm2::standCalibrationAsked, this, &StandHandler::openWindow);
    connect(form_.standRun(), &CalibrationRun::finished, this,
            [this](const std::vector<CalibrationRecord> &records) {
                for (const CalibrationRecord &r : records)
                    calibration_.keep(r);
            });
    // The sensor page's own commands wait while the stand runs: they would
    // go to whichever position the multiplexer is on.
    connect(form_.standRun(), &CalibrationRun::busyChanged, this, [this](bool busy) {
        const InstrumentKind *kind = findInstrumentKind(form_.IdentifiedType);
        calibration_.holdPage(busy && kind ? PageIndex::ofBlock(kind->sensor.block) : -1, busy);
    });
    connect(&calibration_, &CalibrationHandler::batchRecordKept, this,
            [this](const CalibrationRecord &record, int waiting) {
                window()->recordKept(record);
                window()->showKept(++kept_, waiting, QString());
            });
    connect(&calibration_, &CalibrationHandler::batchRecordWaiting, this,
            [this](const CalibrationRecord &, const QString &error, int waiting) {
                window()->showKept(kept_, waiting, error);
            });
}

StandCalibrationWindow *StandHandler::window() {
    if (window_)
        return window_;
    window_ = new StandCalibrationWindow(*form_.standRun(), messages_, &form_);
    window_->hide();
    window_->setupFields->setStoreAccess(calibration_.registerAccess());
    window_->setFileChooser(*chooser_);
    connect(window_, &StandCalibrationWindow::started, this, [this] { kept_ = 0; });
    return window_;
}

void StandHandler::setFileChooser(FileChooser &chooser) {
    chooser_ = &chooser;
    if (window_)
        window_->setFileChooser(chooser);
}

void StandHandler::setGasControl(GasControl *control) {
    gasControl_ = control;
    connect(form_.standRun(), &CalibrationRun::changed, this, [this] {
        const StandCalibration *s = form_.standRun()->calibration();
        if (!gasControl_ || !s || !form_.standRun()->busy() || !s->waitsForTechnician() ||
            s->stage().number == followedStage_)
            return;
        followedStage_ = s->stage().number;
        gasControl_->choose(s->stage().gas);
    });
    connect(form_.standRun(), &CalibrationRun::busyChanged, this, [this](bool busy) {
        if (busy)
            followedStage_ = -1;
    });
}

void StandHandler::openWindow() {
    if (form_.standRun()->busy()) {
        showInScreen(*window());
        return;
    }
    if (form_.calibrationBusy() || form_.settingsBusy())
        return messages_.information(
            "С прибором уже идёт калибровка или обмен настройками: дождитесь их конца.");
    QString why;
    const std::optional<CalibrationRecord> base = calibration_.instrumentBase(&why);
    if (!base)
        return messages_.error(why);
    window()->prepare(*base);
    showInScreen(*window());
}
