// Pictures of the main window against the virtual instruments, for a
// developer to look at: every page of every kind, after some seconds of
// polling on a hand-moved clock (with any text cut off named), and the
// multiplexer window. Usage: ze23-snapshots DIR [JOURNAL [OUTBOX]]
// (the journal DIR/records.sqlite unless given: a file or a server, and then
// the bench's own journal, as ze23-setup's --records and --outbox take them).
#include "pages/BlockPage.h"
#include "protocol/InstrumentKind.h"
#include "sim/SimFtDriver.h"
#include "testsupport/CutTexts.h"
#include "testsupport/HandClock.h"
#include "testsupport/RecordingMessages.h"
#include "testsupport/ScriptedChooser.h"
#include "ui/CalibrationHandler.h"
#include "ui/SensorHistoryHandler.h"
#include "ui/TForm1.h"
#include "workshop/CalibrationContextFields.h"
#include "workshop/CalibrationRun.h"
#include "workshop/CalibrationWindow.h"
#include "workshop/CylinderFields.h"
#include "workshop/JournalWindow.h"
#include "workshop/SensorHistoryWindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTableWidget>

#include <cstdio>

namespace {
std::int64_t nowMs = 0;

void run(TForm1 &form, int ms) {
    runTicks(form, nowMs, ms);
}

// The sensor calibrated through its window, a picture at each new step, and
// the certificate at the end.
void calibrate(TForm1 &form, VirtualInstrument &vi, const QDir &dir, int kind, int cylinder,
               const QString &concentration) {
    using Action = CalibrationProcedure::Action;
    CalibrationWindow &w = *form.calibration()->window();
    const int page = PageIndex::ofBlock(findInstrumentKind(std::uint8_t(kind))->sensor.block);
    form.calibration()->openWindow(page);
    w.technicianEdit->setText("Иванов И. И.");
    w.context->laboratoryEdit->setText("Лаборатория газового контроля ООО «Шахтные приборы»");
    w.context->laboratoryAddressEdit->setText("620000, Екатеринбург, ул. Заводская, 1");
    w.context->approvedByEdit->setText("Сидоров В. В.");
    w.context->temperatureEdit->setText("21,5");
    w.context->pressureEdit->setText("101,3");
    w.context->humidityEdit->setText("45");
    // Each kind's own (the register holds each number once); none for a span in air.
    w.cylinderNumberEdit->setText(concentration.isEmpty() ? QString()
                                                          : QString("ГСО 10-12%1").arg(kind));
    w.cylinderGasEdit->setText("CH4 в воздухе");
    w.cylinders->cylinderSupplierEdit->setText("ООО «Мониторинг»");
    w.cylinderConcentrationEdit->setText(concentration);
    w.cylinderExpiryEdit->setDate(QDate::currentDate().addYears(1));
    // The oxygen zero's nitrogen, the ПГС threshold-2 gas.
    if (w.gasTabs->isTabVisible(1)) {
        CylinderFields &f = *w.secondCylinders;
        const bool nitrogen = f.cylinderComponentCombo->currentData() == "nitrogen";
        f.cylinderNumberEdit->setText(QString("ГСО 10-13%1").arg(kind));
        f.cylinderGasEdit->setText(nitrogen ? "азот" : "CH4 в воздухе");
        f.cylinderBalanceEdit->setText(nitrogen ? "азот" : "воздух");
        f.cylinderSupplierEdit->setText("ООО «Мониторинг»");
        f.cylinderConcentrationEdit->setText(nitrogen ? "99,99" : "5,00");
        f.cylinderExpiryEdit->setDate(QDate::currentDate().addYears(1));
    }
    w.grab().save(dir.filePath(QString("kind%1-calibration-0.png").arg(kind)));
    w.startButton->click();
    std::string shown;
    int pictures = 1;
    for (int guard = 0; guard < 600 && form.calibrationBusy(); ++guard) {
        run(form, 1000);
        const CalibrationProcedure *p = form.calibration()->run().procedure();
        if (!p)
            break;
        vi.applyGas(p->step().gas, cylinder);
        if (p->step().instruction != shown || guard % 25 == 24) {
            shown = p->step().instruction;
            w.grab().save(
                dir.filePath(QString("kind%1-calibration-%2.png").arg(kind).arg(pictures++)));
        }
        for (Action a : {Action::Ready, Action::Adjust, Action::WriteGas})
            if (w.actionButtons.at(int(a))->isVisible()) {
                w.actionButtons.at(int(a))->click();
                break;
            }
    }
    run(form, 1000);
    w.grab().save(dir.filePath(QString("kind%1-calibration-end.png").arg(kind)));
    form.grab().save(dir.filePath(QString("kind%1-base-after.png").arg(kind)));
    form.setActivePage(PageIndex::Base);
    form.grab().save(dir.filePath(QString("kind%1-base-after.png").arg(kind)));
    ScriptedChooser chooser;
    chooser.answer = dir.filePath(QString("kind%1-certificate.pdf").arg(kind));
    w.setFileChooser(chooser);
    w.certificateButton->click();
    w.close();
}
} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ze23-snapshots DIR [JOURNAL [OUTBOX]]\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(dir.path());
    QStandardPaths::setTestModeEnabled(true);
    const QString journal =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath("records.sqlite");
    const QString outbox = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    SimFtDriver sim([] { return nowMs; });
    for (std::size_t row = 0; row < sim.adapterCount(); ++row) {
        RecordingMessages messages;
        TForm1 form(sim, messages);
        form.clock = [] { return nowMs; };
        if (!outbox.isEmpty())
            form.calibration()->setOutboxPath(outbox);
        form.calibration()->setRecordsPath(journal);
        form.pictureFolder = QCoreApplication::applicationDirPath() + "/src";
        form.resize(1100, 760);
        form.show();
        form.ListView1->selectRow(int(row));
        form.ListView1DblClick();
        run(form, 3000);
        const int kind = sim.instrument(row).kind();
        for (int page = 0; page < form.PageControl1->count(); ++page) {
            if (!form.isTabShown(page))
                continue;
            form.PageControl1->setCurrentIndex(page);
            run(form, 20000);
            const QString name = QString("kind%1-page%2.png").arg(kind).arg(page);
            form.grab().save(dir.filePath(name));
            std::printf("%s\n", qPrintable(dir.filePath(name)));
            for (const QString &cut : cutTexts(&form))
                std::printf("  cut off: %s\n", qPrintable(cut));
        }

        const bool percent = kind != 7;
        // The first kind a few times over, for its sensor's history.
        for (int n = kind == 1 ? 3 : 1; n > 0; --n)
            calibrate(form, sim.instrument(row), dir, kind, percent ? 250 : 0,
                      percent ? "2,50" : "");
        form.calibration()->sensorHistory()->open(form.IdentifiedSerialNumber);
        QApplication::processEvents();
        form.calibration()->sensorHistory()->window()->grab().save(
            dir.filePath(QString("kind%1-sensor-history.png").arg(kind)));
        form.calibration()->sensorHistory()->window()->close();
        // The journal with every kind calibrated so far.
        form.calibration()->openJournal(0);
        QApplication::processEvents();
        form.calibration()->journal()->grab().save(
            dir.filePath(QString("kind%1-journal.png").arg(kind)));
        form.calibration()->journal()->close();
        if (row == 0) {
            form.Button72Click();
            QApplication::processEvents();
            QWidget *multiplexer = form.findChild<QWidget *>("Form2");
            multiplexer->grab().save(dir.filePath("multiplexer.png"));
            multiplexer->hide();
        }
    }
    return 0;
}
