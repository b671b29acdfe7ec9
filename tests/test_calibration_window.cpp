// The calibration window against the virtual instruments, on a hand-moved
// clock: each kind's sensor calibrated from its page to a kept record and a
// certificate, the gas put on the sensor as each step asks for it.

#include "pages/BasePage.h"
#include "protocol/InstrumentKind.h"
#include "records/CylinderRegister.h"
#include "records/RecordStore.h"
#include "sim/SimFtDriver.h"
#include "testsupport/RecordingMessages.h"
#include "testsupport/ScriptedChooser.h"
#include "ui/CalibrationHandler.h"
#include "ui/CalibrationRun.h"
#include "ui/CalibrationWindow.h"
#include "ui/CylinderFields.h"
#include "ui/TForm1.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Action = CalibrationProcedure::Action;

class TestCalibrationWindow : public QObject {
    Q_OBJECT

    std::int64_t nowMs = 0;
    std::unique_ptr<SimFtDriver> sim;
    RecordingMessages messages;
    ScriptedChooser chooser;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TForm1> form;
    std::size_t row = 0;

    void run(int ms) {
        for (int t = 0; t < ms; t += 50) {
            nowMs += 50;
            if (nowMs % 350 == 0)
                form->Timer1Timer();
            if (nowMs % 100 == 0)
                form->Timer2Timer();
            if (nowMs % 1000 == 0)
                QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    }
    CalibrationWindow &window() { return *form->calibration()->window(); }
    QPushButton *action(Action a) { return window().actionButtons.at(int(a)); }
    QString recordsPath() const { return dir->filePath("records.sqlite"); }

    // Opens the virtual instrument of `kind` and its sensor page.
    int openKind(int kind) {
        for (std::size_t i = 0; i < sim->adapterCount(); ++i)
            if (sim->instrument(i).kind() == kind)
                row = i;
        form->ListView1->selectRow(int(row));
        form->ListView1DblClick();
        run(1500);
        const int page = PageIndex::ofBlock(findInstrumentKind(std::uint8_t(kind))->sensor.block);
        form->PageControl1->setCurrentIndex(page);
        run(3000);
        return page;
    }
    // Without a concentration, the oxygen span in air: no cylinder.
    void fillAndStart(const QString &concentration, QDate expiry) {
        window().technicianEdit->setText("Иванов И. И.");
        window().cylinderNumberEdit->setText(concentration.isEmpty() ? "" : "ГСО 10-123");
        window().cylinderGasEdit->setText("CH4 в воздухе");
        window().cylinders->cylinderSupplierEdit->setText("ООО «Мониторинг»"); // one is asked for
        window().cylinderConcentrationEdit->setText(concentration);
        window().cylinderExpiryEdit->setDate(expiry);
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
        QSettings().clear();
        nowMs = 0;
        dir = std::make_unique<QTemporaryDir>();
        sim = std::make_unique<SimFtDriver>([this] { return nowMs; });
        messages.clear();
        form = std::make_unique<TForm1>(*sim, messages);
        form->clock = [this] { return nowMs; };
        form->calibration()->setRecordsPath(recordsPath());
        form->setFileChooser(chooser);
        form->pictureFolder = ZE23_PICTURE_DIR;
    }
    void cleanup() {
        form.reset();
        sim.reset();
    }

    void eachKindIsCalibratedToACertificate_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("concentration"); // on the cylinder, %
        QTest::addColumn<int>("cylinder");          // the same in the block's units
        QTest::addColumn<int>("outcome");
        const int adjusted = int(CalibrationOutcome::Adjusted);
        QTest::newRow("ТКС") << 1 << "2,50" << 250 << adjusted;
        QTest::newRow("ТКС+ПГС") << 2 << "2,20" << 220 << adjusted;
        QTest::newRow("водород") << 3 << "1,00" << 100 << adjusted;
        QTest::newRow("ПГС") << 4 << "0,50" << 0 << adjusted;
        QTest::newRow("оптический") << 5 << "2,50" << 250 << int(CalibrationOutcome::PassedAsFound);
        QTest::newRow("кислород") << 7 << "" << 0 << adjusted;
    }
    void eachKindIsCalibratedToACertificate() {
        QFETCH(int, kind);
        QFETCH(QString, concentration);
        QFETCH(int, cylinder);
        QFETCH(int, outcome);
        const int page = openKind(kind);
        form->TabSheets[std::size_t(page)]
            ->findChild<QPushButton *>(QString("CalibrationButton%1").arg(page))
            ->click();
        QVERIFY(window().isVisible());
        fillAndStart(concentration, QDate::currentDate().addYears(1));
        QVERIFY2(form->calibrationBusy(), qPrintable(messages.errors.join("; ")));
        calibrate(cylinder);
        QVERIFY2(!form->calibrationBusy(), procedure().step().instruction.c_str());
        QVERIFY2(messages.errors.isEmpty(), qPrintable(messages.errors.join("; ")));

        RecordStore store;
        QString error;
        QVERIFY(store.open(recordsPath(), &error));
        const std::optional<CalibrationRecord> r = store.last(form->IdentifiedSerialNumber);
        QVERIFY(r);
        QCOMPARE(int(r->outcome), outcome);
        QCOMPARE(r->technician, std::string("Иванов И. И."));
        QVERIFY(!r->nextDue.empty());
        QVERIFY(r->measurements.size() >= 2);
        QVERIFY(form->calibration()->lastCalibrationLabel()->text().contains(
            QString::fromStdString(outcomeText(r->outcome))));

        chooser.answer = dir->filePath("certificate.pdf");
        QVERIFY(window().certificateButton->isEnabled());
        window().certificateButton->click();
        QVERIFY(QFileInfo(chooser.answer).size() > 1000);
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
};

const CalibrationProcedure &TestCalibrationWindow::procedure() {
    return *form->calibration()->run().procedure();
}

QTEST_MAIN(TestCalibrationWindow)
#include "test_calibration_window.moc"
