// The main window over a fake driver: the page set, the device list, opening
// and every way a connection ends, device-change notices, closing, and
// identification of every instrument kind.

#include "link/DeviceChangeWait.h"
#include "mux/TForm2.h"
#include "testsupport/FakeFtDriver.h"
#include "testsupport/WindowHarness.h"
#include "ui/TForm1.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <memory>

using Op = FakeFtDriver::Op;

class TestMainWindow : public QObject, protected WindowHarness {
    Q_OBJECT

    QStringList visibleTabs() const {
        QStringList out;
        for (int i = 0; i < form->PageControl1->count(); ++i)
            if (form->PageControl1->isTabVisible(i))
                out << form->PageControl1->tabText(i);
        return out;
    }

  private slots:
    // Built first page first, the window holds its device list alone until
    // it has been painted; then the rest follows by itself, once, and the
    // window is the same as one built whole.
    void firstPageFirstFinishesOncePainted() {
        FakeFtDriver fake;
        fake.adapters = {{"FT232R USB UART", "A50285BI"}};
        TForm1 window(fake, messages, nullptr, TForm1::Building::FirstPageFirst);
        int built = 0;
        connect(&window, &TForm1::built, this, [&built] { ++built; });
        QCOMPARE(window.PageControl1->count(), 1);
        QVERIFY(!window.isBuilt() && !window.calibration());
        window.show();
        QVERIFY(QTest::qWaitFor([&window] { return window.isBuilt(); }, 5000));
        QCOMPARE(built, 1);
        QCOMPARE(window.PageControl1->count(), 10);
        QVERIFY(window.calibration() && window.Form2 && window.Timer2->isActive());
        QCOMPARE(window.ListView1->rowCount(), 1);
        QVERIFY(window.findChild<QWidget *>("workshopGroup")->isVisible());
        window.finishBuilding();
        QCOMPARE(built, 1);
    }
    void init() { startWindow({{"FT232R USB UART", "A50285BI"}, {"USB Serial", "FT9XK2LM"}}); }
    void cleanup() { form.reset(); }

    void startsWithTheDeviceListOnly() {
        QCOMPARE(form->windowTitle(), QString("Настройка приборов серии ЗЭ23 V1.0"));
        QCOMPARE(form->PageControl1->count(), 10);
        const QStringList captions = {"Устройства USB",
                                      "База",
                                      "Насос",
                                      "ТКС",
                                      "ПГС",
                                      "ТКС+ПГС",
                                      "ТКС+ПГС водород",
                                      "Оптика метен 100%",
                                      "Кислород",
                                      "Угарный газ (СО)"};
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(form->PageControl1->widget(i)->objectName(), QString("TabSheet%1").arg(i + 1));
            QCOMPARE(form->PageControl1->tabText(i), captions[i]);
            QCOMPARE(form->PageControl1->isTabEnabled(i), i == 0);
        }
        QCOMPARE(visibleTabs(), QStringList{"Устройства USB"});
        QCOMPARE(form->activePage(), 0);
        QCOMPARE(form->Panel1->text(), QString("Нет активных устройств"));
        QVERIFY(!form->Timer1->isActive());
        QVERIFY(form->Timer2->isActive());
        QVERIFY(form->Timer3->isActive());
        QCOMPARE(form->Timer1->interval(), 350);
        QCOMPARE(form->Timer2->interval(), 100);
        QCOMPARE(form->Timer3->interval(), 100);
        for (const char *name : {"Timer1", "Timer2", "Timer3", "ListView1", "Button1", "Label1",
                                 "Panel1", "ProgressBar1", "Panel2", "PageControl1"})
            QVERIFY2(form->findChild<QObject *>(name), name);
        QVERIFY(form->Form2 && !form->Form2->isVisible());
        QCOMPARE(form->Form2->windowTitle(), QString("Управление мультиплексором"));
    }

    void listsTheAdapters() {
        QCOMPARE(form->ListView1->rowCount(), 2);
        QCOMPARE(form->ListView1->item(1, 0)->text(), QString("Устройство 2"));
        QCOMPARE(form->ListView1->item(1, 1)->text(), QString("USB Serial"));
        QCOMPARE(form->ListView1->item(1, 2)->text(), QString("FT9XK2LM"));
        QCOMPARE(form->ListView1->horizontalHeaderItem(2)->text(), QString("Серийный номер"));
    }

    void opensAtTheInstrumentsLineSettings() {
        openRow(1);
        QCOMPARE(QString::fromStdString(driver.openedSerial()), QString("FT9XK2LM"));
        QCOMPARE(driver.purges(), (std::vector<std::uint32_t>{FT_PURGE_RX, FT_PURGE_TX}));
        QCOMPARE(driver.baudRate(), 250000u);
        QCOMPARE(driver.wordLength(), 8);
        QCOMPARE(driver.stopBits(), 2);
        QCOMPARE(driver.parity(), 0);
        QVERIFY(form->ConnectionOpen);
        QCOMPARE(form->Panel1->text(), QString("Открыт USB порт   USB Serial   № FT9XK2LM"));
        QCOMPARE(form->Label1->text(), QString("Поиск прибора ..."));
        QVERIFY(form->Timer1->isActive());
        QVERIFY(form->Timer2->isActive());
        QCOMPARE(nextFrameSent(), (Bytes{0x80, 0x09, 0, 0, 0, 0, 0, 0x89}));
        QCOMPARE(nextFrameSent(), (Bytes{0x80, 0x09, 0, 0, 0, 0, 0, 0x89}));
        QVERIFY(messages.errors.isEmpty());
    }

    // Three seconds of receive ticks without a good frame while searching: the
    // adapter is open, the instrument silent. The search itself goes on.
    void silentInstrumentIsNoticed() {
        openRow(0);
        QLabel *hint = form->findChild<QLabel *>("SilenceHint");
        QVERIFY(hint);
        auto silentTicks = [&](int n) {
            for (int i = 0; i < n; ++i)
                form->Timer2Timer();
        };
        silentTicks(29);
        QCOMPARE(hint->text(), QString());
        driver.queueIncoming({1, 2, 3}); // noise is no answer
        silentTicks(1);
        QVERIFY(hint->text().contains("прибор не отвечает"));
        QCOMPARE(form->Label1->text(), QString("Поиск прибора ..."));
        receive(frame(0, 12)); // something answers after all
        QCOMPARE(hint->text(), QString());
        silentTicks(30);
        QVERIFY(!hint->text().isEmpty());
        identifyAs(1);
        QCOMPARE(hint->text(), QString());
        silentTicks(40); // polling: no longer searching
        QCOMPARE(hint->text(), QString());
        openRow(0);
        silentTicks(30);
        form->Button1->click(); // ending the connection takes the notice away
        QCOMPARE(hint->text(), QString());
    }

    void aRealDoubleClickReachesTheHandler() {
        QRect cell = form->ListView1->visualItemRect(form->ListView1->item(0, 1));
        QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(form->ListView1->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(form->ConnectionOpen);
        QCOMPARE(QString::fromStdString(driver.openedSerial()), QString("A50285BI"));
    }

    void failingOpenLeavesNoConnection() {
        driver.failWith(Op::Open, FT_DEVICE_NOT_OPENED);
        openRow(0);
        QCOMPARE(messages.errors,
                 QStringList{"Open_USB_Device_By_Serial_Number - Device not opened..."});
        QVERIFY(!form->ConnectionOpen);
        QVERIFY(!form->Timer1->isActive());
        QCOMPARE(form->Panel1->text(), QString("Нет активных устройств"));
        QCOMPARE(form->Label1->text(), QString());
    }

    void failingSetUpCarriesOn() {
        driver.failWith(Op::SetBaudRate, FT_INVALID_BAUD_RATE);
        openRow(0);
        QCOMPARE(messages.errors, QStringList{"FT_SetBaudRate - Invalid baud rate..."});
        QVERIFY(form->ConnectionOpen);
        QVERIFY(form->Timer1->isActive());
    }

    void doubleClickWithoutSelectionOnlyHidesPages() {
        openRow(0);
        identifyAs(1);
        form->ListView1->clearSelection();
        form->ListView1DblClick();
        QVERIFY(form->ConnectionOpen);
        QVERIFY(form->Timer1->isActive());
        QCOMPARE(driver.closeCount(), 0);
        QCOMPARE(visibleTabs(), QStringList{"Устройства USB"});
        QCOMPARE(form->activePage(), 0);
    }

    void reopeningTheOpenAdapterStartsAfresh() {
        openRow(0);
        identifyAs(4);
        openRow(0);
        QCOMPARE(driver.closeCount(), 1);
        QCOMPARE(driver.openCount(), 2);
        QVERIFY(form->ConnectionOpen);
        QCOMPARE(visibleTabs(), QStringList{"Устройства USB"});
        QCOMPARE(form->Label1->text(), QString("Поиск прибора ..."));
        QCOMPARE(nextFrameSent(), (Bytes{0x80, 0x09, 0, 0, 0, 0, 0, 0x89}));
    }

    void refreshEndsTheConnection() {
        openRow(0);
        identifyAs(1);
        driver.adapters.push_back({"Third", "THIRD001"});
        form->Button1->click();
        QVERIFY(!form->ConnectionOpen);
        QVERIFY(!form->Timer1->isActive());
        QVERIFY(!form->Timer2->isActive());
        QCOMPARE(driver.closeCount(), 1);
        QCOMPARE(form->Panel1->text(), QString("Нет активных устройств"));
        QCOMPARE(form->Label1->text(), QString());
        QCOMPARE(visibleTabs(), QStringList{"Устройства USB"});
        QCOMPARE(form->ListView1->rowCount(), 3);
    }

    void refreshWithNothingAttached() {
        form->Panel1->setText("Список обновлен!");
        driver.adapters.clear();
        form->Button1Click();
        QCOMPARE(form->ListView1->rowCount(), 0);
        QCOMPARE(form->Panel1->text(), QString("Список обновлен!"));
        QCOMPARE(driver.closeCount(), 0);
    }

    void deviceChangeEndsTheConnectionAndWaits() {
        openRow(0);
        identifyAs(1);
        driver.adapters.pop_back();
        form->WMDeviceChange(TForm1::DeviceRemoveComplete);
        QVERIFY(!form->ConnectionOpen);
        QCOMPARE(driver.closeCount(), 1);
        QCOMPARE(visibleTabs(), QStringList{"Устройства USB"});
        QCOMPARE(form->Panel1->text(), QString("Обновление списка устройств. Ожидайте! ..."));
        QVERIFY(form->deviceChangeWait->isRunning());
        QCOMPARE(form->ListView1->rowCount(), 2); // read again only after the wait

        for (int i = 0; i < 200; ++i)
            form->deviceChangeWait->step();
        QCOMPARE(form->ProgressBar1->value(), 199);
        // A second notice during the wait starts it over instead of nesting.
        form->WMDeviceChange(TForm1::DeviceArrival);
        QCOMPARE(form->deviceChangeWait->position(), 0);
        int steps = 0;
        while (form->deviceChangeWait->isRunning() && steps < 1000) {
            form->deviceChangeWait->step();
            ++steps;
        }
        QCOMPARE(steps, 351);
        QCOMPARE(form->Panel1->text(), QString("Список обновлен!"));
        QCOMPARE(form->ProgressBar1->value(), 0);
        QCOMPARE(form->ListView1->rowCount(), 1);
        QCOMPARE(driver.closeCount(), 1);
        QVERIFY(messages.errors.isEmpty());
    }

    void otherDeviceChangeMessagesAreIgnored() {
        openRow(0);
        form->WMDeviceChange(0x0007);
        QVERIFY(form->ConnectionOpen);
        QVERIFY(!form->deviceChangeWait->isRunning());
    }

    void deviceChangeWithoutConnection() {
        form->WMDeviceChange(TForm1::DeviceArrival);
        QCOMPARE(driver.closeCount(), 0);
        QVERIFY(form->deviceChangeWait->isRunning());
        QVERIFY(messages.errors.isEmpty());
    }

    void closingWithAnAdapterWaitsThenGoes() {
        form->show();
        openRow(0);
        identifyAs(2);
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        QVERIFY(!form->ConnectionOpen);
        QCOMPARE(driver.closeCount(), 1);
        QCOMPARE(form->Panel1->text(), QString("Закрытие программы !!!"));
        QCOMPARE(visibleTabs(), QStringList{"Устройства USB"});
        QVERIFY(form->closingWait->isActive());
        QCOMPARE(form->closingWait->interval(), 3000);
        QVERIFY(!form->close()); // a second request waits with the first
        QCOMPARE(driver.closeCount(), 1);
        form->finishClosing();
        QVERIFY(!form->isVisible());
    }

    void closingWithoutAnAdapterIsImmediate() {
        form->show();
        QVERIFY(form->close());
        QVERIFY(!form->closingWait->isActive());
        QCOMPARE(form->Panel1->text(), QString("Нет активных устройств"));
    }

    void ticksNeverShowBoxes() {
        openRow(0);
        driver.failWith(Op::GetStatus, FT_IO_ERROR);
        driver.failWith(Op::Write, FT_IO_ERROR);
        form->Timer1Timer();
        form->Timer2Timer();
        QVERIFY(messages.errors.isEmpty());
        QVERIFY(form->ft.ErrorReportsEnabled);
        // Before any adapter was opened the receive tick fails quietly too.
        form.reset();
        form = std::make_unique<TForm1>(driver, messages);
        form->Timer2Timer();
        QVERIFY(messages.errors.isEmpty());
    }

    void identifiesEveryKind_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<int>("blockPage");
        QTest::addColumn<QString>("panel2");
        QTest::addColumn<int>("pollAddress");
        QTest::newRow("1") << 1
                           << QStringList{"Устройства USB", "База ЗЭ-11.2К", "Насос", "Блок ТКС"}
                           << 3 << "ЗЭ11.2к   № 12345" << 0x80;
        QTest::newRow("2") << 2
                           << QStringList{"Устройства USB", "База ЗЭ-22", "Насос", "Блок ТКС+ПГС"}
                           << 5 << "ЗЭ22   № 12345" << 0x94;
        QTest::newRow("3") << 3
                           << QStringList{"Устройства USB", "База ЗЭ-22", "Насос",
                                          "Блок ТКС+ПГС водород"}
                           << 6 << "ЗЭ22   № 12345" << 0x95;
        QTest::newRow("4") << 4 << QStringList{"Устройства USB", "База ЗЭ-12", "Насос", "Блок ПГС"}
                           << 4 << "ЗЭ12   № 12345" << 0x80;
        QTest::newRow("5") << 5
                           << QStringList{"Устройства USB", "База ЗЭ-Хрень", "Насос",
                                          "Оптика метан 100%"}
                           << 7 << "ЗЭ22   № 12345" << 0x80;
        QTest::newRow("7") << 7 << QStringList{"Устройства USB", "База ЗЭ-ХХХ", "Насос", "Кислород"}
                           << 8 << "ЗЭ-ХХХ   № 12345" << 0x80;
    }
    void identifiesEveryKind() {
        QFETCH(int, type);
        QFETCH(QStringList, tabs);
        QFETCH(int, blockPage);
        QFETCH(QString, panel2);
        QFETCH(int, pollAddress);
        openRow(0);
        identifyAs(static_cast<std::uint8_t>(type));
        QCOMPARE(visibleTabs(), tabs);
        QVERIFY(form->PageControl1->isTabEnabled(blockPage));
        QVERIFY(form->isTabShown(blockPage));
        QCOMPARE(form->activePage(), 1);
        QCOMPARE(form->Panel2->text(), panel2);
        QCOMPARE(form->Label1->text(), QString());
        QCOMPARE(form->IdentifiedType, type);
        Bytes poll = frame(static_cast<std::uint8_t>(pollAddress), 12);
        QCOMPARE(nextFrameSent(), poll);
        // Making the base page active from code queued no entry sequence.
        QCOMPARE(form->exchange.Sequence.SequenceCount, 0);
        QVERIFY(messages.informations.isEmpty());
    }

    void serialNumberEdges() {
        openRow(0);
        identifyAs(1, 65535);
        QCOMPARE(form->Panel2->text(), QString("ЗЭ11.2к   № 65535"));
        identifyAs(1, 0);
        QCOMPARE(form->Panel2->text(), QString("ЗЭ11.2к   № 0"));
    }

    void rejectsUnknownKinds() {
        openRow(0);
        for (int type : {0, 6, 8, 255}) {
            identifyAs(static_cast<std::uint8_t>(type));
            QCOMPARE(form->IdentifiedType, 0);
            QCOMPARE(visibleTabs(), QStringList{"Устройства USB"});
            QCOMPARE(nextFrameSent(), (Bytes{0x80, 0x09, 0, 0, 0, 0, 0, 0x89}));
        }
        QCOMPARE(messages.informations.size(), 4);
        QCOMPARE(messages.informations.first(), QString("Прибор неизвестен!"));
        QCOMPARE(form->Label1->text(), QString());
    }

    void anotherReplyBeforeIdentificationIsUnknown() {
        openRow(0);
        receive(frame(0, 12));
        QCOMPARE(messages.informations, QStringList{"Прибор неизвестен!"});
        Bytes bad = frame(0, 9, 0, 0, 1);
        bad[7] ^= 1;
        receive(bad);
        QCOMPARE(form->IdentifiedType, 0);
        QCOMPARE(messages.informations.size(), 1);
    }

    void laterIdentificationReturnsToTheBasePage() {
        openRow(0);
        identifyAs(7);
        form->PageControl1->setCurrentIndex(PageIndex::Oxygen); // the technician's choice
        identifyAs(1);
        QCOMPARE(form->activePage(), PageIndex::Base);
        // The oxygen tab stays beside the new kind's pages.
        QVERIFY(form->isTabShown(PageIndex::Oxygen));
        QVERIFY(form->isTabShown(PageIndex::Tks));
    }

    void pageChangeRunsOnlyForTheTechnician_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("address");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("pump") << 2 << 0x8F << QList<int>{9};
        QTest::newRow("ТКС") << 3 << 0x83 << QList<int>{9, 2, 3, 4};
        QTest::newRow("ПГС") << 4 << 0x88 << QList<int>{9, 4};
        QTest::newRow("ТКС+ПГС") << 5 << 0x94 << QList<int>{9, 2, 3, 4};
        QTest::newRow("hydrogen") << 6 << 0x95 << QList<int>{9, 2, 3, 4};
        QTest::newRow("optical") << 7 << 0x8B << QList<int>{9};
        QTest::newRow("oxygen") << 8 << 0x96 << QList<int>{9, 2, 3, 4};
    }
    void pageChangeRunsOnlyForTheTechnician() {
        QFETCH(int, page);
        QFETCH(int, address);
        QFETCH(QList<int>, codes);
        openRow(0);
        identifyAs(1);
        form->setTabShown(page, true);
        form->exchange.CommandFrame = {0x80, 12, 1, 2, 3, 4, 5, 0};
        form->PageControl1->setCurrentIndex(page);
        QList<int> sent;
        for (int i = 0; i < codes.size(); ++i) {
            Bytes f = nextFrameSent();
            QCOMPARE(int(f[0]), address);
            QCOMPARE(Bytes(f.begin() + 2, f.begin() + 7), (Bytes{1, 2, 3, 4, 5}));
            sent << f[1];
        }
        QCOMPARE(sent, codes);
        // Back to the base page: its own poll, whatever the page left queued
        // or written; only the stand's channel in byte 2 stays.
        form->PageControl1->setCurrentIndex(page);
        form->PageControl1->setCurrentIndex(PageIndex::Base);
        QVERIFY(!form->exchange.Sequence.pending());
        const Bytes f = nextFrameSent();
        QCOMPARE(Bytes(f.begin(), f.begin() + 7), (Bytes{0x80, 12, 1, 0, 0, 0, 0}));
    }

    void deviceListTabChangesNothing() {
        openRow(0);
        identifyAs(1);
        form->PageControl1->setCurrentIndex(PageIndex::Pump);
        Frame before = form->exchange.CommandFrame;
        form->PageControl1->setCurrentIndex(PageIndex::Usb);
        QCOMPARE(form->exchange.CommandFrame, before);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
