// The calibration window against the virtual instruments, on a hand-moved
// clock: each kind's sensor calibrated from its page to a kept record and a
// certificate, the gas put on the sensor as each step asks for it.

#include "RecordSample.h"
#include "pages/BasePage.h"
#include "protocol/InstrumentKind.h"
#include "records/Certificate.h"
#include "records/CylinderRegister.h"
#include "records/RecordStore.h"
#include "testsupport/SimulatedBench.h"
#include "ui/CalibrationHandler.h"
#include "ui/TForm1.h"
#include "workshop/CalibrationContextFields.h"
#include "workshop/CalibrationRun.h"
#include "workshop/CalibrationWindow.h"
#include "workshop/CylinderFields.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using Action = CalibrationProcedure::Action;

class TestCalibrationWindow : public QObject, SimulatedBench {
    Q_OBJECT

    QStringList instructions; // each one shown during calibrate()

    CalibrationWindow &window() { return *form->calibration()->window(); }
    QPushButton *action(Action a) { return window().actionButtons.at(int(a)); }

    // Opens the virtual instrument of `kind` and its sensor page.
    int openKind(int kind) {
        connectKind(kind);
        run(1500);
        const int page = PageIndex::ofBlock(findInstrumentKind(std::uint8_t(kind))->sensor.block);
        form->PageControl1->setCurrentIndex(page);
        run(3000);
        return page;
    }
    // Without a concentration, the oxygen span in air: no cylinder. The
    // second gas (the oxygen zero's nitrogen, the ПГС threshold-2 gas) where
    // the block takes one.
    void fillAndStart(const QString &concentration, QDate expiry,
                      const QString &second = QString()) {
        window().technicianEdit->setText("Иванов И. И.");
        window().context->laboratoryEdit->setText("Лаборатория газового контроля");
        window().context->temperatureEdit->setText("21,5");
        window().context->pressureEdit->setText("101.3");
        window().context->humidityEdit->setText("45");
        window().cylinderNumberEdit->setText(concentration.isEmpty() ? "" : "ГСО 10-123");
        window().cylinderGasEdit->setText("CH4 в воздухе");
        window().cylinders->cylinderSupplierEdit->setText("ООО «Мониторинг»"); // one is asked for
        window().cylinderConcentrationEdit->setText(concentration);
        window().cylinderExpiryEdit->setDate(expiry);
        if (!second.isEmpty()) {
            CylinderFields &f = *window().secondCylinders;
            const bool nitrogen = f.cylinderComponentCombo->currentData() == "nitrogen";
            f.cylinderNumberEdit->setText(nitrogen ? "N2-1" : "ГСО 10-124");
            f.cylinderGasEdit->setText(nitrogen ? "азот" : "CH4 в воздухе");
            f.cylinderBalanceEdit->setText(nitrogen ? "азот" : "воздух");
            f.cylinderSupplierEdit->setText("ООО «Мониторинг»");
            f.cylinderConcentrationEdit->setText(second);
        }
        window().startButton->click();
        QCoreApplication::processEvents();
    }
    // Answers every step: the gas it asks for goes on the sensor, then Ready;
    // after the as-found check it adjusts and writes the cylinder's
    // concentration; it waits out the steady readings.
    void calibrate(int cylinder) {
        for (int guard = 0; guard < 400 && form->calibrationBusy(); ++guard) {
            run(1000);
            const CalibrationProcedure::Step &step = procedure().step();
            if (!instructions.contains(window().instructionLabel->text()))
                instructions << window().instructionLabel->text();
            sim->instrument(row).applyGas(step.gas, cylinder);
            for (Action a : {Action::Ready, Action::Adjust, Action::WriteGas})
                if (action(a)->isVisible()) {
                    action(a)->click();
                    QCoreApplication::processEvents();
                    break;
                }
        }
    }
    const CalibrationProcedure &procedure();

    static std::string iso(QDate d) { return d.toString(Qt::ISODate).toStdString(); }
    static RegisteredCylinder registered(const std::string &number, const std::string &component,
                                         int daysLeft) {
        const QDate today = QDate::currentDate();
        return {number,
                "CH4 в воздухе",
                component,
                250,
                5,
                "воздух",
                "ООО «Мониторинг»",
                iso(today.addDays(-200)),
                iso(today.addDays(daysLeft)),
                ""};
    }
    void registerAll(const std::vector<RegisteredCylinder> &cylinders) {
        RecordStore store;
        QString error;
        QVERIFY2(store.open(recordsPath(), &error), qPrintable(error));
        for (const RegisteredCylinder &c : cylinders)
            QVERIFY2(CylinderRegister(store).add(c, &error), qPrintable(error));
    }
    std::vector<RegisteredCylinder> registerHolds() {
        RecordStore store;
        QString error;
        store.open(recordsPath(), &error);
        return CylinderRegister(store).all(&error).value_or(std::vector<RegisteredCylinder>{});
    }
    // The fields as the technician types them for `c`.
    void type(const RegisteredCylinder &c) {
        CylinderFields &f = *window().cylinders;
        f.cylinderNumberEdit->setText(QString::fromStdString(c.number));
        f.cylinderGasEdit->setText(QString::fromStdString(c.gas));
        f.cylinderComponentCombo->setCurrentIndex(
            f.cylinderComponentCombo->findData(QString::fromStdString(c.component)));
        f.cylinderConcentrationEdit->setText(QString::number(c.concentration / 100.0, 'f', 2));
        f.cylinderUncertaintyEdit->setText(QString::number(c.uncertainty / 100.0, 'f', 2));
        f.cylinderBalanceEdit->setText(QString::fromStdString(c.balance));
        f.cylinderSupplierEdit->setText(QString::fromStdString(c.supplier));
        f.cylinderCertifiedEdit->setDate(
            QDate::fromString(QString::fromStdString(c.certified), Qt::ISODate));
        f.cylinderExpiryEdit->setDate(
            QDate::fromString(QString::fromStdString(c.expiry), Qt::ISODate));
    }
    // Started and closed at once: the interrupted record names its cylinder.
    std::optional<CalibrationRecord> startAndClose() {
        window().technicianEdit->setText("Иванов И. И.");
        window().startButton->click();
        QCoreApplication::processEvents();
        if (!form->calibrationBusy())
            return std::nullopt;
        run(2000);
        window().closeButton->click();
        run(5000);
        RecordStore store;
        store.open(recordsPath(), nullptr);
        return store.last(form->IdentifiedSerialNumber);
    }

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        // The program's locale writes the window's numbers.
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        startBench();
        form->pictureFolder = ZE23_PICTURE_DIR;
    }
    void cleanup() {
        instructions.clear();
        stopBench();
    }

    void eachKindIsCalibratedToACertificate_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("concentration"); // on the cylinder, %
        QTest::addColumn<int>("cylinder");          // the same in the block's units
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("second");  // the second gas's concentration, %
        QTest::addColumn<QString>("gasStep"); // the instruction of the step naming it
        const int adjusted = int(CalibrationOutcome::Adjusted);
        QTest::newRow("ТКС") << 1 << "2,50" << 250 << adjusted << ""
                             << "Подайте на датчик газ из баллона № ГСО 10-123 (2,50 % CH4)";
        QTest::newRow("ТКС+ПГС") << 2 << "2,20" << 220 << adjusted << ""
                                 << "Подайте на датчик газ из баллона № ГСО 10-123 (2,20 % CH4)";
        QTest::newRow("водород") << 3 << "1,00" << 100 << adjusted << ""
                                 << "Подайте на датчик газ из баллона № ГСО 10-123 (1,00 % H2)";
        QTest::newRow("ПГС") << 4 << "0,50" << 0 << adjusted << "1,00"
                             << "Подайте на датчик газ порога 2 из баллона № ГСО 10-124 (1,00 % "
                                "CH4)";
        QTest::newRow("оптический")
            << 5 << "2,50" << 250 << int(CalibrationOutcome::PassedAsFound) << ""
            << "Подайте на датчик газ из баллона № ГСО 10-123 (2,50 % CH4)";
        QTest::newRow("кислород") << 7 << "" << 0 << adjusted << "99,99"
                                  << "Подайте на датчик азот из баллона № N2-1 (99,99 %)";
    }
    void eachKindIsCalibratedToACertificate() {
        QFETCH(int, kind);
        QFETCH(QString, concentration);
        QFETCH(int, cylinder);
        QFETCH(int, outcome);
        QFETCH(QString, second);
        QFETCH(QString, gasStep);
        const int page = openKind(kind);
        form->TabSheets[std::size_t(page)]
            ->findChild<QPushButton *>(QString("CalibrationButton%1").arg(page))
            ->click();
        QVERIFY(window().isVisible());
        QCOMPARE(window().gasTabs->isTabVisible(1), !second.isEmpty());
        fillAndStart(concentration, QDate::currentDate().addYears(1), second);
        QVERIFY2(form->calibrationBusy(), qPrintable(messages.errors.join("; ")));
        calibrate(cylinder);
        QVERIFY2(instructions.contains(gasStep), qPrintable(instructions.join("\n")));
        QVERIFY2(!form->calibrationBusy(), procedure().step().instruction.c_str());
        QVERIFY2(messages.errors.isEmpty(), qPrintable(messages.errors.join("; ")));

        RecordStore store;
        QString error;
        QVERIFY(store.open(recordsPath(), &error));
        const std::optional<CalibrationRecord> r = store.last(form->IdentifiedSerialNumber);
        QVERIFY(r);
        QCOMPARE(int(r->outcome), outcome);
        QCOMPARE(r->technician, std::string("Иванов И. И."));
        QCOMPARE(r->laboratory, std::string("Лаборатория газового контроля"));
        QVERIFY(r->ambient == (Ambient{215, 1013, 45}));
        QCOMPARE(r->method, std::string(findCalibrationRules(r->block)->method));
        QVERIFY(!r->nextDue.empty());
        QVERIFY(r->measurements.size() >= 2);
        QVERIFY(form->calibration()->lastCalibrationLabel()->text().contains(
            QString::fromStdString(outcomeText(r->outcome))));
        // Numbered to the last step; what was written, as the block confirmed it.
        const bool adjusting = outcome == int(CalibrationOutcome::Adjusted);
        QCOMPARE(window().stepLabel->text(), adjusting ? "Шаг 8 из 8" : "Шаг 2 из 2");
        QCOMPARE(window().confirmationsLabel->text().contains("Настройка сохранена в блоке"),
                 adjusting);
        // The second gas's cylinder on record.
        QCOMPARE(r->gases.size(), std::size_t(second.isEmpty() ? 0 : 1));
        if (!second.isEmpty())
            QCOMPARE(r->gases[0].cylinder.concentration, hundredthsOf(second.toStdString()));

        chooser.answer = dir->filePath("certificate.pdf");
        QVERIFY(window().certificateButton->isEnabled());
        window().certificateButton->click();
        QVERIFY(QFileInfo(chooser.answer).size() > 1000);
        // The same document as the journal's record prints (ze23-cli
        // certificate), its check sum included.
        const QString fromJournal = dir->filePath("journal.pdf");
        QVERIFY2(Certificate::write(*r, fromJournal, &error), qPrintable(error));
        const auto text = [](const QString &pdf) {
            QProcess p;
            p.start("pdftotext", {"-layout", pdf, "-"});
            return p.waitForFinished() ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
        };
        const QString shown = text(chooser.answer);
        QVERIFY(shown.contains(QString::fromStdString(r->hash)));
        QCOMPARE(shown, text(fromJournal));
    }

    // A room no calibration is done in is refused in words before anything
    // is sent, and the fields keep what was typed.
    void roomOutOfRangeIsRefused_data() {
        QTest::addColumn<int>("field"); // temperature, pressure, humidity
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        QTest::newRow("hot") << 0 << "75"
                             << "Температура воздуха";
        QTest::newRow("pressure in mmHg") << 1 << "760"
                                          << "Атмосферное давление";
        QTest::newRow("humidity over 100") << 2 << "101"
                                           << "Относительная влажность";
        QTest::newRow("not a number") << 0 << "двадцать"
                                      << "Температура воздуха";
        QTest::newRow("finer than tenths") << 1 << "101,35"
                                           << "Атмосферное давление";
    }
    void roomOutOfRangeIsRefused() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, says);
        const int page = openKind(1);
        form->calibration()->openWindow(page);
        window().context->prepare();
        QLineEdit *edits[] = {window().context->temperatureEdit, window().context->pressureEdit,
                              window().context->humidityEdit};
        edits[field]->setText(typed);
        window().technicianEdit->setText("Иванов И. И.");
        window().startButton->click();
        QVERIFY(!form->calibrationBusy());
        QCOMPARE(messages.errors.size(), 1);
        QVERIFY2(messages.errors.front().startsWith(says), qPrintable(messages.errors.front()));
        QCOMPARE(edits[field]->text(), typed);
        messages.errors.clear();
        window().closeButton->click();
    }

    // Step by step through a ТКС calibration: the judged wait shades its
    // tolerance apart from the steadiness band, a wait that only settles the
    // sensor shades none, and each step starts its chart afresh.
    void eachWaitShowsItsTolerance() {
        const int page = openKind(1);
        form->calibration()->openWindow(page);
        fillAndStart("2,50", QDate::currentDate().addYears(1));
        QVERIFY(form->calibrationBusy());
        QChart *chart = window().waitChart->chart();
        const auto series = [&](const QString &name) {
            for (QAbstractSeries *s : chart->series())
                if (s->name() == name)
                    return s;
            return static_cast<QAbstractSeries *>(nullptr);
        };
        auto *tolerance = qobject_cast<QAreaSeries *>(series("Допуск"));
        auto *reading = qobject_cast<QLineSeries *>(series("Показание"));
        QVERIFY(tolerance && reading && series("Устойчивость"));
        // Until step `number` waits for `waiting`, the gas as asked.
        using Waiting = CalibrationProcedure::Waiting;
        const auto toWait = [&](int number, Waiting waiting = Waiting::Steady) {
            for (int guard = 0; guard < 400 && form->calibrationBusy(); ++guard) {
                const CalibrationProcedure::Step &step = procedure().step();
                if (step.number == number && step.waiting == waiting)
                    return true;
                sim->instrument(row).applyGas(step.gas, 250);
                for (Action a : {Action::Ready, Action::Adjust, Action::WriteGas})
                    if (action(a)->isVisible()) {
                        action(a)->click();
                        break;
                    }
                run(1000);
            }
            return false;
        };
        QVERIFY(toWait(2));
        run(3000);
        QCOMPARE(window().stepLabel->text(), "Шаг 2 из 8");
        QVERIFY(reading->count() > 0);
        const QList<QPointF> high = tolerance->upperSeries()->points();
        const QList<QPointF> low = tolerance->lowerSeries()->points();
        QVERIFY(!high.isEmpty() && !low.isEmpty());
        QCOMPARE(high.front().y(), 2.7);
        QCOMPARE(low.front().y(), 2.3);
        QVERIFY(toWait(3, Waiting::Technician)); // the decision: a chart of its own
        QCOMPARE(reading->count(), 0);
        QVERIFY(toWait(4)); // the air point in set-up mode: settled, not judged
        run(3000);
        QCOMPARE(window().stepLabel->text(), "Шаг 4 из 8");
        QVERIFY(reading->count() > 0);
        QVERIFY(tolerance->upperSeries()->points().isEmpty());
        QVERIFY(window().readingLabel->text().endsWith(" мВ"));
        QVERIFY(toWait(5));
        QVERIFY2(
            window().confirmationsLabel->text().startsWith("Точка воздуха записана: U воздух "),
            qPrintable(window().confirmationsLabel->text()));
        window().closeButton->click();
        run(5000);
    }

    // Live readings, rule fields, the results table and the chart's axes
    // write numbers as the program's locale does, one way in the window.
    void numbersFollowTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("point");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << ",";
        QTest::newRow("C") << QLocale::c() << ".";
    }
    void numbersFollowTheLocale() {
        QFETCH(QLocale, locale);
        QFETCH(QString, point);
        QLocale::setDefault(locale);
        registerAll({registered("A-good", "methane", 90)});
        const int page = openKind(1);
        form->calibration()->openWindow(page);
        QCOMPARE(window().steadyBandEdit->text(), "0" + point + "05");
        QCOMPARE(window().toleranceEdit->text(), "0" + point + "20");
        QComboBox *combo = window().cylinders->cylinderCombo;
        QVERIFY(combo->itemText(1).contains("2" + point + "50 %"));
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        QCOMPARE(window().cylinderConcentrationEdit->text(), "2" + point + "50");
        window().technicianEdit->setText("Иванов И. И.");
        window().startButton->click();
        QVERIFY2(form->calibrationBusy(), qPrintable(messages.errors.join("; ")));
        QVERIFY(window().waitChart->chart()->localizeNumbers());
        QCOMPARE(window().waitChart->chart()->locale().decimalPoint(), point);
        // "1944,5" on the converter's axis, as the pages write numbers.
        QVERIFY(window().waitChart->chart()->locale().numberOptions() &
                QLocale::OmitGroupSeparator);
        for (int guard = 0; guard < 100 && window().measurementsTable->rowCount() == 0; ++guard) {
            sim->instrument(row).applyGas(procedure().step().gas, 250);
            if (action(Action::Ready)->isVisible())
                action(Action::Ready)->click();
            run(1000);
        }
        QVERIFY(window().measurementsTable->rowCount() > 0);
        QVERIFY(window().measurementsTable->item(0, 2)->text() == "0" + point + "00");
        QVERIFY(window().measurementsTable->item(0, 3)->text().contains(point));
        // The procedure's and the record's texts too.
        const QString instruction = window().instructionLabel->text();
        QVERIFY2(instruction.endsWith("(2" + point + "50 % CH4)"), qPrintable(instruction));
        const QString conditions = window().conditionsLabel->text();
        QVERIFY2(conditions.contains("2" + point + "50\u00a0%") &&
                     conditions.contains("0" + point + "05\u00a0%"),
                 qPrintable(conditions));
        sim->instrument(row).applyGas(procedure().step().gas, 250);
        action(Action::Ready)->click();
        run(3000);
        const QString reading = window().readingLabel->text();
        QVERIFY2(reading.contains(point) && reading.endsWith(" %"), qPrintable(reading));
        QVERIFY2(window().waitLabel->text().contains("0" + point + "05 %"),
                 qPrintable(window().waitLabel->text()));
        window().closeButton->click();
        run(5000);
    }

    // The ПГС block takes a cylinder for each threshold gas, the oxygen zero
    // its nitrogen: refused with the reason, named by its tab, and neither
    // cylinder is registered then.
    void secondGasIsRefused_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("first"); // the first tab's concentration
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("component"); // of the second, when not as offered
        QTest::addColumn<bool>("sameNumber");
        QTest::addColumn<QString>("says");
        QTest::newRow("threshold-2 gas weaker")
            << 4 << "1,00"
            << "0,50"
            << "" << false
            << "Газ порога 2 (0,50 %) должен быть концентрированнее газа порога 1 (1,00 %): "
               "проверьте, не перепутаны ли баллоны.";
        QTest::newRow("zero not nitrogen")
            << 7 << ""
            << "99,99"
            << "methane" << false
            << "Нулевой газ (азот): Баллон с метаном не годится нулевым газом датчику "
               "кислорода: нужен азот.";
        QTest::newRow("one cylinder for both")
            << 4 << "0,50"
            << "1,00"
            << "" << true
            << "Баллон № ГСО 10-123 указан и на вкладке «Газ порога 1», и на вкладке «Газ "
               "порога 2»: для этих газов нужны разные баллоны.";
    }
    void secondGasIsRefused() {
        QFETCH(int, kind);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, component);
        QFETCH(bool, sameNumber);
        const int page = openKind(kind);
        form->calibration()->openWindow(page);
        CylinderFields &f = *window().secondCylinders;
        QVERIFY(window().gasTabs->isTabVisible(1));
        QCOMPARE(window().gasTabs->tabText(1), kind == 7 ? "Нулевой газ (азот)" : "Газ порога 2");
        QCOMPARE(f.cylinderNumberEdit->objectName(), "secondGasCylinderNumberEdit");
        // Told apart from the first tab's fields by a screen reader.
        QCOMPARE(f.cylinderConcentrationEdit->accessibleName(),
                 window().gasTabs->tabText(1) + ": Концентрация, %");
        QCOMPARE(f.cylinderComponentCombo->currentData().toString(),
                 kind == 7 ? "nitrogen" : "methane");
        if (!component.isEmpty())
            f.cylinderComponentCombo->setCurrentIndex(
                f.cylinderComponentCombo->findData(component));
        // As fillAndStart() fills them, the second gas's number perhaps the first's.
        window().technicianEdit->setText("Иванов И. И.");
        window().cylinderNumberEdit->setText(first.isEmpty() ? "" : "ГСО 10-123");
        window().cylinderGasEdit->setText("CH4 в воздухе");
        window().cylinders->cylinderSupplierEdit->setText("ООО «Мониторинг»");
        window().cylinderConcentrationEdit->setText(first);
        f.cylinderNumberEdit->setText(sameNumber ? "ГСО 10-123" : "ГСО 10-124");
        f.cylinderGasEdit->setText("CH4 в воздухе");
        f.cylinderBalanceEdit->setText(kind == 7 ? "азот" : "воздух");
        f.cylinderSupplierEdit->setText("ООО «Мониторинг»");
        f.cylinderConcentrationEdit->setText(second);
        window().startButton->click();
        QVERIFY(!form->calibrationBusy());
        QCOMPARE(messages.errors.size(), 1);
        QTEST(messages.errors[0], "says");
        QVERIFY(registerHolds().empty());
    }

    // Refused before anything is sent: the block is not touched.
    void anExpiredCylinderIsRefused() {
        const int page = openKind(1);
        form->calibration()->openWindow(page);
        fillAndStart("2,50", QDate::currentDate().addDays(-1));
        QVERIFY(!form->calibrationBusy());
        QCOMPARE(messages.errors.size(), 1);
        QVERIFY(messages.errors[0].contains("истёк"));
    }

    // Offered: the register's cylinders that suit the block and are good;
    // one typed in is registered as it starts, named whole by the record,
    // and offered the next time, filled in from the register.
    void aTypedCylinderIsRegisteredThenOffered() {
        registerAll(
            {registered("B-expired", "methane", -1), registered("C-propane", "propane", 90)});
        const int page = openKind(1);
        form->calibration()->openWindow(page);
        QComboBox *combo = window().cylinders->cylinderCombo;
        QCOMPARE(combo->count(), 1);
        RegisteredCylinder typed = registered("ГСО 77-1", "methane", 365);
        typed.concentration = 220;
        typed.supplier = "ПГС-Сервис";
        type(typed);
        const std::optional<CalibrationRecord> r = startAndClose();
        QVERIFY2(r, qPrintable(messages.errors.join("; ")));
        QCOMPARE(int(r->outcome), int(CalibrationOutcome::Interrupted));
        QCOMPARE(r->cylinder, recordCylinder(typed, 100));
        const std::vector<RegisteredCylinder> held = registerHolds();
        QCOMPARE(held.size(), std::size_t(3));
        typed.added = held[2].added; // by number: Latin first
        QVERIFY(held[2] == typed);

        // Remembered and offered: picked, shown as registered, not editable.
        form->calibration()->openWindow(page);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentIndex(), 1);
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        window().cylinderNumberEdit->setText("мимо");
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        QCOMPARE(window().cylinderNumberEdit->text(), "ГСО 77-1");
        QVERIFY(window().cylinderNumberEdit->isReadOnly());
        QCOMPARE(window().cylinders->cylinderUncertaintyEdit->text(), "0,05");
        QCOMPARE(window().cylinders->cylinderSupplierEdit->text(), "ПГС-Сервис");
        QCOMPARE(window().cylinders->cylinderCertifiedEdit->date(),
                 QDate::currentDate().addDays(-200));
        const std::optional<CalibrationRecord> again = startAndClose();
        QVERIFY(again && again->number == r->number + 1);
        QCOMPARE(again->cylinder, r->cylinder);
        QCOMPARE(registerHolds().size(), std::size_t(3));
    }

    // Refused before anything is sent, and the register is as it was.
    void anUnsuitableCylinderIsRefused_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("says");
        QTest::newRow("another gas") << "component"
                                     << "propane"
                                     << "Баллон с пропаном не подходит датчику метана.";
        QTest::newRow("not in air") << "balance"
                                    << "азот"
                                    << "ему нужен газ в воздухе";
        QTest::newRow("registered otherwise") << "concentration"
                                              << "2,20"
                                              << "записан иначе";
        QTest::newRow("registered and expired") << "number"
                                                << "B-expired"
                                                << "истёк";
        QTest::newRow("uncertainty too large") << "uncertainty"
                                               << "2,50"
                                               << "должна быть меньше самой концентрации";
    }
    void anUnsuitableCylinderIsRefused() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, says);
        registerAll({registered("A-good", "methane", 90), registered("B-expired", "methane", -1)});
        const int page = openKind(1);
        form->calibration()->openWindow(page);
        RegisteredCylinder c = registered(field == "number" ? "B-expired" : "A-good", "methane",
                                          field == "number" ? -1 : 90);
        if (field == "component" || field == "balance" || field == "uncertainty")
            c.number = "N-1";
        type(c);
        CylinderFields &f = *window().cylinders;
        if (field == "component")
            f.cylinderComponentCombo->setCurrentIndex(f.cylinderComponentCombo->findData(value));
        else if (field == "balance")
            f.cylinderBalanceEdit->setText(value);
        else if (field == "concentration")
            f.cylinderConcentrationEdit->setText(value);
        else if (field == "uncertainty")
            f.cylinderUncertaintyEdit->setText(value);
        QVERIFY(!startAndClose());
        QCOMPARE(messages.errors.size(), 1);
        QVERIFY2(messages.errors[0].contains(says), qPrintable(messages.errors[0]));
        QCOMPARE(registerHolds().size(), std::size_t(2));
    }

    // The page's commands wait; closing the connection keeps the record as
    // interrupted, and the base page says so the next time.
    void aConnectionEndingMidwayKeepsAnInterruptedRecord() {
        const int page = openKind(1);
        form->calibration()->openWindow(page);
        fillAndStart("2,50", QDate::currentDate().addYears(1));
        run(3000);
        QVERIFY(form->calibrationBusy());
        QVERIFY(
            !form->TabSheets[std::size_t(page)]->findChild<QPushButton *>("Button24")->isEnabled());
        form->Button1Click();
        QVERIFY(!form->calibrationBusy());
        form->ListView1->selectRow(int(row));
        form->ListView1DblClick();
        run(1500);
        QLabel *last = form->calibration()->lastCalibrationLabel();
        QVERIFY2(last->text().contains("Прервана"), qPrintable(last->text()));
        QCOMPARE(last->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
        QVERIFY(
            form->TabSheets[std::size_t(page)]->findChild<QPushButton *>("Button24")->isEnabled());
    }

    // A connection lost between set-up mode and the save: on the next
    // identification the base page says the block may be left changed, and
    // the calibration window resets it and keeps what it then holds as a
    // correction of the interrupted record.
    void aBlockLeftInSetUpIsResetAndItsPointsRecorded() {
        const int page = openKind(1);
        form->calibration()->openWindow(page);
        fillAndStart("2,50", QDate::currentDate().addYears(1));
        for (int guard = 0; guard < 200 && !action(Action::Adjust)->isVisible(); ++guard) {
            run(1000);
            sim->instrument(row).applyGas(procedure().step().gas, 250);
            if (action(Action::Ready)->isVisible())
                action(Action::Ready)->click();
        }
        action(Action::Adjust)->click();
        run(2000);
        QVERIFY(form->calibrationBusy());
        form->Button1Click();
        form->ListView1->selectRow(int(row));
        form->ListView1DblClick();
        run(1500);
        QLabel *last = form->calibration()->lastCalibrationLabel();
        QVERIFY2(last->text().contains("Связь прервалась во время настройки"),
                 qPrintable(last->text()));
        RecordStore store;
        QVERIFY(store.open(recordsPath(), nullptr));
        const std::optional<CalibrationRecord> interrupted =
            store.last(form->IdentifiedSerialNumber);
        QVERIFY(interrupted && leftInSetUp(*interrupted));

        form->calibration()->openWindow(page);
        QVERIFY(!window().recoveryGroup->isHidden());
        window().recoveryButton->click();
        for (int guard = 0; guard < 60 && form->calibrationBusy(); ++guard)
            run(500);
        const std::optional<CalibrationRecord> correction =
            store.last(form->IdentifiedSerialNumber);
        QVERIFY2(messages.errors.isEmpty(), qPrintable(messages.errors.join("; ")));
        QVERIFY(correction && correction->number > interrupted->number);
        QCOMPARE(correction->corrects, std::optional(interrupted->number));
        QCOMPARE(correction->outcome, CalibrationOutcome::Interrupted);
        // The virtual block's reset brings back what it kept: nothing changed.
        QVERIFY2(correction->remark.find("настройка не сохранена, блок сброшен") !=
                     std::string::npos,
                 correction->remark.c_str());
        for (const AdjustedPoint &p : correction->points)
            QCOMPARE(p.after, p.before);
        QVERIFY2(!last->text().contains("Связь прервалась"), qPrintable(last->text()));
    }

    // Another program holds the journal when a calibration ends: the record
    // waits in the program, the window says so and the window's thread does
    // not wait; the next try keeps it.
    void aRecordWaitsForAJournalHeldElsewhere() {
        CalibrationHandler &handler = *form->calibration();
        {
            RecordStore made;
            QVERIFY(made.open(recordsPath(), nullptr));
        }
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(recordsPath());
            QVERIFY(other.open());
            QSqlQuery hold(other);
            QVERIFY(hold.exec("BEGIN IMMEDIATE"));
            emit handler.run().finished({sampleRecord(23101)});
            QVERIFY2(window().outcomeLabel->text().contains("пока не сохранена"),
                     qPrintable(window().outcomeLabel->text()));
            QVERIFY(!window().certificateButton->isEnabled());
            QVERIFY(hold.exec("COMMIT"));
        }
        QSqlDatabase::removeDatabase("other");
        auto *retry = handler.findChild<QTimer *>("retryKeepTimer");
        QVERIFY(retry && retry->isActive());
        retry->setInterval(0);
        QTRY_VERIFY(window().certificateButton->isEnabled());
        QVERIFY2(window().outcomeLabel->text().contains("Запись № 1 сохранена в журнале."),
                 qPrintable(window().outcomeLabel->text()));
        QVERIFY(!window().outcomeLabel->text().contains("пока не сохранена"));
        RecordStore store;
        QVERIFY(store.open(recordsPath(), nullptr));
        QCOMPARE(store.list().size(), std::size_t(1));
    }
};

const CalibrationProcedure &TestCalibrationWindow::procedure() {
    return *form->calibration()->run().procedure();
}

QTEST_MAIN(TestCalibrationWindow)
#include "test_calibration_window.moc"
