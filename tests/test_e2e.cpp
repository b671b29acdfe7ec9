// The main window against the virtual instruments, ticks driven by hand on a
// hand-moved clock: open, identify, poll, and recover from line trouble.

#include "charts/StripChart.h"
#include "pages/BasePage.h"
#include "pages/PumpPage.h"
#include "pages/RadioGroup.h"
#include "sim/CatalyticSensorModel.h"
#include "sim/OpticalBlockModel.h"
#include "sim/OxygenBlockModel.h"
#include "sim/PgsBlockModel.h"
#include "sim/SimFtDriver.h"
#include "testsupport/RecordingMessages.h"
#include "ui/TForm1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <memory>

class TestEndToEnd : public QObject {
    Q_OBJECT

    std::int64_t nowMs = 0;
    std::unique_ptr<SimFtDriver> sim;
    RecordingMessages messages;
    std::unique_ptr<TForm1> form;

    // Runs the window's ticks for `ms` milliseconds of clock time.
    void run(int ms) {
        for (int t = 0; t < ms; t += 50) {
            nowMs += 50;
            if (nowMs % 350 == 0)
                form->Timer1Timer();
            if (nowMs % 100 == 0)
                form->Timer2Timer();
        }
    }
    int rowOfKind(int kind) {
        for (std::size_t i = 0; i < sim->adapterCount(); ++i)
            if (sim->instrument(i).kind() == kind)
                return int(i);
        return -1;
    }
    void open(int row) {
        form->ListView1->selectRow(row);
        form->ListView1DblClick();
    }

  private slots:
    void init() {
        nowMs = 0;
        sim = std::make_unique<SimFtDriver>([this] { return nowMs; });
        messages.clear();
        form = std::make_unique<TForm1>(*sim, messages);
        form->pictureFolder = ZE23_PICTURE_DIR;
    }
    void cleanup() {
        form.reset();
        sim.reset();
    }

    void listsOneVirtualAdapterPerKind() {
        QCOMPARE(form->ListView1->rowCount(), 6);
        for (int kind : {1, 2, 3, 4, 5, 7})
            QVERIFY(rowOfKind(kind) >= 0);
        for (int r = 0; r < 6; ++r)
            QCOMPARE(form->ListView1->item(r, 2)->text().size(), 8);
    }

    void everyKindIsIdentifiedWithinASecond_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("blockPage");
        for (auto [kind, page] : {std::pair{1, 3}, {2, 5}, {3, 6}, {4, 4}, {5, 7}, {7, 8}})
            QTest::newRow(qPrintable(QString::number(kind))) << kind << page;
    }
    void everyKindIsIdentifiedWithinASecond() {
        QFETCH(int, kind);
        QFETCH(int, blockPage);
        int row = rowOfKind(kind);
        open(row);
        QCOMPARE(form->Label1->text(), QString("Поиск прибора ..."));
        run(1000);
        QCOMPARE(int(form->IdentifiedType), kind);
        QVERIFY(form->isTabShown(PageIndex::Base));
        QVERIFY(form->isTabShown(PageIndex::Pump));
        QVERIFY(form->isTabShown(blockPage));
        QCOMPARE(form->activePage(), PageIndex::Base);
        QString serial = QString::number(sim->instrument(std::size_t(row)).serialNumber());
        QVERIFY2(form->Panel2->text().endsWith("   № " + serial), qPrintable(form->Panel2->text()));
        QCOMPARE(form->Label1->text(), QString());
        QVERIFY(messages.informations.isEmpty());
        QVERIFY(messages.errors.isEmpty());
        // Polling runs after identification.
        run(1000);
        QCOMPARE(int(form->exchange.CommandFrame[1]), 12);
    }

    void recoversFromAShiftedStream_data() {
        QTest::addColumn<int>("fault");
        QTest::newRow("byte added") << 0;
        QTest::newRow("byte lost") << 1;
        QTest::newRow("checksum") << 2;
        QTest::newRow("split reply") << 3;
    }
    void recoversFromAShiftedStream() {
        QFETCH(int, fault);
        int row = rowOfKind(1);
        SimFaults &f = sim->faults(std::size_t(row));
        if (fault == 0)
            f.garbageBefore = 0x5A;
        else if (fault == 1)
            f.dropByteAt = 3;
        else if (fault == 2)
            f.corruptChecksum = true;
        else {
            f.splitAfter = 3;
            f.splitGapMs = 150;
        }
        open(row);
        // The first reply is the damaged one; identification still follows
        // within two more replies.
        run(350 * 4);
        QCOMPARE(int(form->IdentifiedType), 1);
        QVERIFY(!form->exchange.resynchronising());
        QVERIFY(messages.informations.isEmpty());
    }

    void baseCommandsReachTheInstrument() {
        int row = rowOfKind(1);
        VirtualInstrument &vi = sim->instrument(std::size_t(row));
        open(row);
        run(1000);
        form->basePage->Button6Click(); // LED ON
        run(1000);
        QVERIFY(vi.ledOn());
        QVERIFY(vi.testMode());
        QCOMPARE(form->basePage->Panel7->text(), QString("Режим теста"));
        form->basePage->Button4Click(); // working mode
        run(1000);
        QVERIFY(!vi.testMode());
        QCOMPARE(form->basePage->Panel7->text(), QString("Режим теста не активен"));
        vi.setBatteryMillivolts(3900);
        run(1000);
        QCOMPARE(form->basePage->Panel10->text(), QString("3900  мВ"));
        QCOMPARE(form->basePage->Panel5->text(), QString("АКБ разряжена"));
        form->basePage->Button2Click(); // off
        run(1000);
        QVERIFY(vi.isOff());
        QVERIFY(!form->ConnectionOpen);
        QCOMPARE(form->activePage(), PageIndex::Usb);
        QVERIFY(messages.informations.isEmpty());
    }

    void pumpAmplitudeRunStopsAtTheLimit() {
        int row = rowOfKind(4);
        VirtualInstrument &vi = sim->instrument(std::size_t(row));
        open(row);
        run(1000);
        form->PageControl1->setCurrentIndex(PageIndex::Pump);
        run(1000);
        QCOMPARE(form->pumpPage->Panel11->text(), QString("Версия 2.3"));
        int before = vi.pumpAmplitude();
        form->pumpPage->Button12Click(); // ">>": the run goes on by itself
        run(3500);
        QVERIFY(vi.pumpAmplitude() > before + 5);
        form->pumpPage->Button11Click(); // "Стоп"
        run(700);
        int stopped = vi.pumpAmplitude();
        run(2000);
        QCOMPARE(vi.pumpAmplitude(), stopped);
        QCOMPARE(form->pumpPage->Panel17->text(), QString::number(stopped));
    }

    // The sensor page comes alive, and a threshold written and saved lands in
    // the block.
    void catalyticPagesLive_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("page");
        // version, concentration, chart, calibration gas, threshold 1, write, save
        QTest::addColumn<QStringList>("names");
        QTest::newRow("ТКС") << 1 << 3
                             << QStringList{"Panel28",   "Edit7",    "Chart3",  "MaskEdit1",
                                            "MaskEdit2", "Button27", "Button25"};
        QTest::newRow("ТКС+ПГС") << 2 << 5
                                 << QStringList{"Panel42",   "Panel54",  "Chart5",  "MaskEdit5",
                                                "MaskEdit6", "Button47", "Button49"};
        QTest::newRow("водород") << 3 << 6
                                 << QStringList{"Panel63",    "Panel64",  "Chart7",  "MaskEdit9",
                                                "MaskEdit10", "Button60", "Button62"};
    }
    void catalyticPagesLive() {
        QFETCH(int, kind);
        QFETCH(int, page);
        QFETCH(QStringList, names);
        auto find = [this](const QString &name) { return form->findChild<QWidget *>(name); };
        int row = rowOfKind(kind);
        CatalyticSensorModel &block = *sim->instrument(std::size_t(row)).catalytic();
        open(row);
        run(1000);
        form->PageControl1->setCurrentIndex(page);
        run(3000);
        QVERIFY(qobject_cast<QLabel *>(find(names[0]))->text().startsWith("Версия "));
        auto *calibrationGas = qobject_cast<QLineEdit *>(find(names[3]));
        QCOMPARE(calibrationGas->text(), QString::number(block.working().calibrationGas));
        QVERIFY(qobject_cast<StripChart *>(find(names[2]))->history().writePosition() > 3);
        qobject_cast<QLineEdit *>(find(names[4]))->setText("60");
        calibrationGas->setText("300");
        qobject_cast<QPushButton *>(find(names[5]))->click();
        run(1000);
        QCOMPARE(block.working().threshold1, 60);
        QCOMPARE(block.saved().calibrationGas, kind == 3 ? 200 : 250);
        qobject_cast<QPushButton *>(find(names[6]))->click();
        run(1000);
        QCOMPARE(block.saved().calibrationGas, 300);
        QVERIFY(messages.errors.isEmpty());
    }

    void pgsPageLives() {
        int row = rowOfKind(4);
        PgsBlockModel &block = *sim->instrument(std::size_t(row)).pgs();
        open(row);
        run(1000);
        form->PageControl1->setCurrentIndex(PageIndex::Pgs);
        run(2000);
        auto panel = [this](const char *name) { return form->findChild<QLabel *>(name); };
        QCOMPARE(panel("Panel38")->text(), QString::number(block.threshold1()));
        block.holdGas(40);
        run(700);
        form->findChild<QPushButton *>("Button38")->click(); // threshold 1 := what it reads now
        run(1500);
        QVERIFY(qAbs(block.threshold1() - block.converterValue()) < 8);
        QCOMPARE(panel("Panel38")->text(), QString::number(block.threshold1()));
        QVERIFY(qAbs(panel("Panel41")->text().toInt() - block.threshold1()) < 8);
    }

    void opticalLinkErrorCanBeProvoked() {
        int row = rowOfKind(5);
        open(row);
        run(1000);
        form->PageControl1->setCurrentIndex(PageIndex::OpticMethane);
        run(3000);
        auto label = [this](const char *name) { return form->findChild<QLabel *>(name)->text(); };
        QCOMPARE(label("Panel77"), QString("Версия 1.5"));
        QCOMPARE(label("Panel70"), QString("Связь в норме"));
        QVERIFY(form->findChild<QPlainTextEdit *>("Memo1")->document()->blockCount() > 5);
        form->findChild<QPushButton *>("Button73")->click();
        run(1400);
        QVERIFY(!sim->instrument(std::size_t(row)).optical()->isOn());
        form->findChild<QPushButton *>("Button71")->click();
        run(3000);
        QCOMPARE(label("Panel70"), QString("Ошибка связи 1F"));
        run(5000);
        QCOMPARE(label("Panel70"), QString("Связь в норме"));
    }

    void oxygenFrontEndRoundTrip() {
        int row = rowOfKind(7);
        OxygenBlockModel &block = *sim->instrument(std::size_t(row)).oxygen();
        open(row);
        run(1000);
        form->PageControl1->setCurrentIndex(PageIndex::Oxygen);
        run(2000);
        auto *load = form->findChild<RadioGroup *>("RadioGroup1");
        QCOMPARE(load->itemIndex(), 2); // the block's 50 Ом
        form->findChild<QRadioButton *>("RadioGroup1Item0")->click();
        form->findChild<QPushButton *>("Button75")->click();
        run(1000);
        QCOMPARE(int(block.frontEnd().gain), 0x0C);
        auto *status = form->findChild<QLabel *>("Panel79");
        QCOMPARE(status->text(), QString("Статус: Запись разрешена"));
        // A write-protected front end keeps its bytes, and the page shows them.
        block.setWriteProtected(true);
        form->findChild<QRadioButton *>("RadioGroup1Item3")->click();
        form->findChild<QPushButton *>("Button75")->click();
        run(1000);
        QCOMPARE(int(block.frontEnd().gain), 0x0C);
        QCOMPARE(status->text(), QString("Статус: Запись защищена"));
        QCOMPARE(load->itemIndex(), 0);
        QVERIFY(messages.errors.isEmpty());
    }

    void wrongLineSettingsFindNothing() {
        // An adapter left at its power-on settings never answers the request.
        int row = rowOfKind(4);
        open(row);
        sim->setBaudRate(form->ft.DeviceHandle, 9600);
        run(2000);
        QCOMPARE(int(form->IdentifiedType), 0);
        QCOMPARE(form->Label1->text(), QString("Поиск прибора ..."));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_e2e.moc"
