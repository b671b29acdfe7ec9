// The stand calibration as the program wires it, against the virtual ТКС
// instrument's stand on a hand-moved clock: opened from the multiplexer
// window, some positions fitted, each gas put on the whole stand when asked,
// to the records under one batch and the batch's report.

#include "mux/TForm2.h"
#include "records/CylinderRegister.h"
#include "records/RecordStore.h"
#include "testsupport/SimulatedBench.h"
#include "ui/CalibrationHandler.h"
#include "ui/PageIndex.h"
#include "ui/StandHandler.h"
#include "ui/TForm1.h"
#include "ui/WorkshopHandler.h"
#include "workshop/CalibrationContextFields.h"
#include "workshop/CalibrationSetupFields.h"
#include "workshop/JournalWindow.h"
#include "workshop/RuleFields.h"
#include "workshop/StandCalibrationWindow.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

class TestStandWindow : public QObject, SimulatedBench {
    Q_OBJECT

    StandCalibrationWindow &window() { return *form->stand()->window(); }

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { startBench(); }
    void open(int kind) {
        connectKind(kind);
        run(3000);
    }
    void cleanup() { stopBench(); }

    // Six positions fitted: four drifted sensors, the empty 7 and the block
    // at 12 that loses its save. The page polls while the stand waits for a
    // gas; the records go to the journal under the batch, and its report
    // names every position.
    void aStandToItsReport_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>(
            "concentration"); // the cylinder's; none for the oxygen span in air
        QTest::addColumn<int>("gases");
        QTest::newRow("ТКС") << 1 << "2,50" << 5;
        QTest::newRow("кислород") << 7 << "" << 5;
    }
    void aStandToItsReport() {
        QFETCH(int, kind);
        QFETCH(QString, concentration);
        open(kind);
        form->Form2->StandCalibrationButton->click();
        QVERIFY(window().isVisible());
        for (int p = 1; p <= 32; ++p)
            window().fittedButtons[std::size_t(p - 1)]->setChecked(p <= 4 || p == 7 || p == 12);
        QCOMPARE(window().labelsTable->rowCount(), 6);
        // As a barcode scanner reads it: typed, Enter, and on to the next.
        window().labelsTable->editItem(window().labelsTable->item(0, 1));
        QLineEdit *editor = window().labelsTable->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "DTK-001");
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the edit is committed from the event loop
        QCOMPARE(window().labelsTable->item(0, 1)->text(), "DTK-001");
        QCOMPARE(window().labelsTable->currentRow(), 1);
        CalibrationSetupFields &fields = *window().setupFields;
        fields.technicianEdit->setText("Иванов И. И.");
        fields.context->laboratoryEdit->setText("Лаборатория газового контроля");
        if (!concentration.isEmpty()) {
            CylinderFields &c = *fields.cylinders;
            c.cylinderNumberEdit->setText("ГСО 10-123");
            c.cylinderGasEdit->setText("CH4 в воздухе");
            c.cylinderSupplierEdit->setText("ООО «Мониторинг»");
            c.cylinderConcentrationEdit->setText(concentration);
            c.cylinderExpiryEdit->setDate(QDate::currentDate().addYears(1));
        }
        // The oxygen zero's nitrogen, typed in: registered as the stand starts.
        const bool nitrogen = !fields.gasTabs->isTabVisible(1);
        if (!nitrogen) {
            CylinderFields &n = *fields.secondCylinders;
            QCOMPARE(n.cylinderNumberEdit->objectName(), "standSecondGasCylinderNumberEdit");
            n.cylinderNumberEdit->setText("N2-1");
            n.cylinderGasEdit->setText("азот");
            n.cylinderBalanceEdit->setText("азот");
            n.cylinderSupplierEdit->setText("ООО «Мониторинг»");
            n.cylinderConcentrationEdit->setText("99,99");
            n.cylinderExpiryEdit->setDate(QDate::currentDate().addYears(1));
        }
        QCOMPARE(nitrogen, kind != 7);
        fields.ruleFields->steadySecondsSpin->setValue(20); // the rules as on the desk
        window().startButton->click();
        QVERIFY2(messages.errors.isEmpty(), qPrintable(messages.errors.join("; ")));
        QVERIFY(form->calibrationBusy());
        const QString batch = window().batch();
        // The sensor page's own commands wait while the stand has the line.
        const std::uint8_t block = *VirtualInstrument::sensorBlockOf(std::uint8_t(kind));
        QWidget *page = form->TabSheets[std::size_t(PageIndex::ofBlock(block))];
        const auto pageButtonsEnabled = [page] {
            int enabled = 0;
            // "Калибровка…" stays, to say the stand has the line.
            for (QPushButton *b : page->findChildren<QPushButton *>())
                enabled += b->isEnabled() && b->text() != "Калибровка…";
            return enabled;
        };
        QCOMPARE(pageButtonsEnabled(), 0);

        int gases = 0, pagePolls = 0;
        for (int guard = 0; guard < 3000 && form->standRun()->busy(); ++guard) {
            run(1000);
            if (window().readyButton->isEnabled()) {
                // Idle between stages: the page has the line again.
                const std::size_t before = sim->written(row).size();
                run(1000);
                pagePolls += int(sim->written(row).size() - before);
                sim->instrument(row).applyGas(form->standRun()->calibration()->stage().gas, 250);
                window().readyButton->click();
                ++gases;
            }
        }
        QVERIFY(!form->standRun()->busy());
        QVERIFY(!window().readyButton->isEnabled() && !window().abortButton->isEnabled());
        QVERIFY(pageButtonsEnabled() > 0);
        QTEST(gases, "gases");
        QVERIFY(pagePolls > 0);
        run(2000);
        const auto colour = [this](int p) {
            return window().cells[std::size_t(p - 1)]->palette().color(QPalette::Button);
        };
        QCOMPARE(colour(7), QColor(0xC8, 0xC8, 0xC8));  // empty
        QCOMPARE(colour(12), QColor(0xFF, 0x88, 0x88)); // failed
        QCOMPARE(colour(1), QColor(0xA8, 0xE0, 0xA8));  // adjusted
        QVERIFY(window().keptLabel->text().contains("Записей партии в журнале: 5"));

        RecordStore store;
        QVERIFY(store.open(recordsPath(), nullptr));
        int inBatch = 0;
        for (const CalibrationRecord &r : store.list()) {
            QCOMPARE(QString::fromStdString(r.batch), batch);
            QCOMPARE(r.steady.readings, 3);
            QCOMPARE(r.steady.windowSeconds, 20);
            QCOMPARE(r.gases.size(), std::size_t(nitrogen ? 0 : 1));
            if (!nitrogen)
                QCOMPARE(r.gases.front().cylinder.number, std::string("N2-1"));
            ++inBatch;
            if (*r.standPosition == 12)
                QCOMPARE(r.outcome, CalibrationOutcome::Failed);
            else
                QCOMPARE(r.outcome, CalibrationOutcome::Adjusted);
        }
        QCOMPARE(inBatch, 5);
        QCOMPARE(store.verify().finding, ChainCheck::Finding::Intact);
        // The cylinders typed in are in the register now.
        QString why;
        for (const char *number : {"ГСО 10-123", "N2-1"})
            if (CylinderRegister(store).find(number, &why).has_value() !=
                (number == std::string("N2-1") ? !nitrogen : !concentration.isEmpty()))
                QFAIL(number);

        chooser.answer = dir->filePath("partiya.pdf");
        window().reportButton->click();
        QProcess text;
        text.start("pdftotext", {"-layout", chooser.answer, "-"});
        QVERIFY(text.waitForFinished(60000));
        const QString report = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        QVERIFY2(report.contains("Партия " + batch), qPrintable(report));
        QVERIFY(report.contains("DTK-001"));
        QVERIFY(report.contains("пусто"));
        QVERIFY(report.contains("настроены и годны: 4; годны без настройки: 0; не годны: 1"));

        // Later, from the journal: the batch's report again, made from its records.
        form->workshop()->journalButton->click();
        JournalWindow &journal = *form->calibration()->journal();
        journal.recordsTable->selectRow(0);
        chooser.answer = dir->filePath("iz-zhurnala.pdf");
        journal.batchReportButton->click();
        QVERIFY2(messages.errors.isEmpty(), qPrintable(messages.errors.join("; ")));
        text.start("pdftotext", {"-layout", chooser.answer, "-"});
        QVERIFY(text.waitForFinished(60000));
        const QString again = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        QVERIFY2(again.contains("Партия " + batch) && again.contains("DTK-001") &&
                     again.contains("не годны: 1; прерваны: 0; пустых: 0") &&
                     again.contains("не записываются"),
                 qPrintable(again));
        QCOMPARE(again.contains("N2-1"), !nitrogen);

        // Closed and opened again, the batch stays shown until the next is asked for.
        window().close();
        form->Form2->StandCalibrationButton->click();
        QVERIFY(!window().runArea->isHidden() && window().reportButton->isVisible());
        window().newBatchButton->click();
        QVERIFY(!window().setupArea->isHidden() && window().runArea->isHidden());
    }
};

QTEST_MAIN(TestStandWindow)
#include "test_stand_window.moc"
