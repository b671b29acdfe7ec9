// The technician's calibrations: the window opened from the sensor page, its
// fields filled, and each step answered about once a second, with the gas the
// step asks for put on the virtual sensor (or, by plan, the wrong one), until
// the procedure is over; or aborted, or the window closed, partway. Each
// procedure that ends must leave its record in the journal, and none may go on
// once its connection has ended.

#include "Technician.h"

#include "sim/RandomIn.h"
#include "ui/CalibrationHandler.h"
#include "workshop/CalibrationRun.h"
#include "workshop/CalibrationWindow.h"
#include "workshop/CylinderFields.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {
constexpr std::int64_t Second = 1000;
constexpr std::int64_t Minute = 60 * Second;
using Action = CalibrationProcedure::Action;

// The cylinder for each kind's sensor: its percent as typed and in the
// block's units; the ПГС block's for its threshold-1 gas (1,00 % for the
// other), the oxygen block spanned in air without one (nitrogen for its zero).
struct BenchCylinder {
    int kind;
    const char *concentration;
    int units;
};
constexpr BenchCylinder BenchCylinders[] = {{1, "2,50", 250}, {2, "2,20", 220}, {3, "1,00", 100},
                                            {4, "0,50", 0},   {5, "2,50", 250}, {7, "", 0}};

const BenchCylinder &cylinderOf(int kind) {
    for (const BenchCylinder &c : BenchCylinders)
        if (c.kind == kind)
            return c;
    return BenchCylinders[0];
}

QPushButton *shown(CalibrationWindow &w, Action a) {
    QPushButton *b = w.actionButtons.at(int(a));
    return !b->isHidden() && b->isEnabled() ? b : nullptr;
}
} // namespace

void Technician::calibrationNote(const QString &what) {
    calibrationNotes << QString("kind %1, %2 s: %3; last moves: %4")
                            .arg(kind_)
                            .arg(bench_.nowMs() / Second)
                            .arg(what, recentMoves_.join("; "));
}

void Technician::countRecord(const CalibrationRecord &record) {
    ++counts.calibrationsEnded;
    if (record.outcome == CalibrationOutcome::PassedAsFound ||
        record.outcome == CalibrationOutcome::Adjusted)
        ++counts.calibrationsPassed;
    // The window keeps the record before anyone else hears of the end. The
    // journal is opened for the count alone, so that its pages are not held
    // through the day.
    RecordStore records;
    QString error;
    if (!records.open(bench_.form.calibration()->recordsPath(), &error))
        calibrationNote("journal not opened: " + error);
    const auto held = static_cast<std::int64_t>(records.list().size());
    if (held < counts.calibrationsEnded - counts.recordsMissing) {
        ++counts.recordsMissing;
        calibrationNote(QString("a calibration ended, the journal holds %1 records").arg(held));
    }
}

void Technician::checkCalibration() {
    const bool running = !bench_.form.ConnectionOpen && bench_.form.calibrationBusy();
    if (running && !leftRunning_) {
        ++counts.calibrationsLeftRunning;
        calibrationNote("the procedure runs with the connection ended");
    }
    leftRunning_ = running;
}

void Technician::calibrate(CalibrationPlan plan) {
    TForm1 &form = bench_.form;
    if (!bench_.identified(kind_) || form.calibrationBusy())
        return;
    showPage(blockPage_);
    auto *button = form.TabSheets[std::size_t(blockPage_)]->findChild<QPushButton *>(
        QString("CalibrationButton%1").arg(blockPage_));
    if (!button || !button->isEnabled())
        return;
    button->click();
    note("CalibrationButton (calibration window)");
    CalibrationWindow &w = *form.calibration()->window();
    const BenchCylinder &cylinder = cylinderOf(kind_);
    w.technicianEdit->setText("Иванов И. И.");
    // Each kind's own for the gas the block is set for: the register holds
    // each number once.
    const bool none = !*cylinder.concentration;
    w.cylinderNumberEdit->setText(
        none ? QString()
             : QString("ГСО 10-12%1 %2")
                   .arg(kind_)
                   .arg(w.cylinders->cylinderComponentCombo->currentData().toString()));
    w.cylinderGasEdit->setText(none ? "" : "CH4 в воздухе");
    w.cylinders->cylinderSupplierEdit->setText(none ? "" : "ООО «Мониторинг»");
    w.cylinderConcentrationEdit->setText(cylinder.concentration);
    w.cylinderExpiryEdit->setDate(QDate::currentDate().addYears(1));
    // The ПГС threshold-2 gas, the oxygen zero's nitrogen.
    if (w.gasTabs->isTabVisible(1)) {
        CylinderFields &f = *w.secondCylinders;
        const QString component = f.cylinderComponentCombo->currentData().toString();
        const bool nitrogen = component == "nitrogen";
        f.cylinderNumberEdit->setText(QString("ГСО 10-13%1 %2").arg(kind_).arg(component));
        f.cylinderGasEdit->setText(nitrogen ? "азот" : "CH4 в воздухе");
        f.cylinderBalanceEdit->setText(nitrogen ? "азот" : "воздух");
        f.cylinderSupplierEdit->setText("ООО «Мониторинг»");
        f.cylinderConcentrationEdit->setText(nitrogen ? "99,99" : "1,00");
        f.cylinderExpiryEdit->setDate(QDate::currentDate().addYears(1));
    }
    w.startButton->click();
    SoakBench::deliverCalls();
    ++counts.calibrations;
    const std::int64_t now = bench_.nowMs();
    calibration_.emplace();
    calibration_->plan = plan;
    calibration_->begunAt = now;
    calibration_->nextMove = now + Second;
    calibration_->interruptAt = in(20 * Second, 4 * Minute);
    if (!form.calibrationBusy()) {
        calibrationNote("the calibration did not begin");
        endCalibration();
    }
}

void Technician::calibrationMove() {
    Calibration &c = *calibration_;
    const std::int64_t now = bench_.nowMs();
    c.nextMove = now + Second;
    SoakBench::deliverCalls();
    TForm1 &form = bench_.form;
    CalibrationWindow &w = *form.calibration()->window();
    if (!form.calibrationBusy())
        return endCalibration();
    if (now - c.begunAt > CalibrationWithinMs) {
        ++counts.calibrationsStuck;
        calibrationNote(QString("no end after %1 s at \"%2\"")
                            .arg((now - c.begunAt) / Second)
                            .arg(QString::fromStdString(
                                form.calibration()->run().procedure()->step().instruction)));
        w.closeButton->click();
        SoakBench::deliverCalls();
        return endCalibration();
    }
    if (c.interrupted)
        return;
    if (c.plan == CalibrationPlan::Abort && now >= c.interruptAt) {
        if (QPushButton *abort = shown(w, Action::Abort)) {
            c.interrupted = true;
            ++counts.calibrationsAborted;
            note("abortButton \"Прервать\"");
            abort->click();
            SoakBench::deliverCalls();
            return;
        }
    }
    if (c.plan == CalibrationPlan::Close && now >= c.interruptAt) {
        c.interrupted = true;
        ++counts.calibrationsClosed;
        note("closeButton \"Закрыть\" mid-calibration");
        w.closeButton->click();
        SoakBench::deliverCalls();
        return;
    }
    answerStep();
}

void Technician::answerStep() {
    Calibration &c = *calibration_;
    const CalibrationProcedure &p = *bench_.form.calibration()->run().procedure();
    const CalibrationProcedure::Step &step = p.step();
    if (step.instruction != c.step) {
        // A new step: its gas goes on, or by plan now and then another one.
        c.step = step.instruction;
        c.gas = step.gas;
        if (c.plan == CalibrationPlan::WrongGas && randomIn(random_, 0, 2) == 0) {
            c.gas = TestGas(randomIn(random_, 0, int(TestGas::Threshold2)));
            if (!c.wrongGas)
                ++counts.calibrationsWrongGas;
            c.wrongGas = true;
        }
        bench_.sim.instrument(row_).applyGas(c.gas, cylinderOf(kind_).units);
    }
    CalibrationWindow &w = *bench_.form.calibration()->window();
    QPushButton *choice = nullptr;
    const auto wait = p.steadyWait();
    if (wait && wait->tooLong)
        choice = shown(w, Action::AcceptNow);
    // As the test gas settles: gas on, go on to adjust, write the cylinder.
    for (Action a : {Action::Ready, Action::Adjust, Action::WriteGas})
        if (!choice)
            choice = shown(w, a);
    if (c.plan == CalibrationPlan::WrongGas && !choice)
        for (Action a : {Action::Finish, Action::KeepGas})
            if (!choice)
                choice = shown(w, a);
    if (!choice)
        return;
    note(QString("%1 \"%2\"").arg(choice->objectName(), choice->text()));
    choice->click();
    SoakBench::deliverCalls();
}

void Technician::endCalibration() {
    calibration_.reset();
    bench_.sim.instrument(row_).applyGas(TestGas::Ambient, 0);
    CalibrationWindow &w = *bench_.form.calibration()->window();
    if (w.isVisible())
        w.closeButton->click();
    SoakBench::deliverCalls();
    nextCalibration_ = in(40 * Minute, 120 * Minute);
}
