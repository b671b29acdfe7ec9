// The adapter layer over a fake driver: status texts, silenced reports, the
// serial-number copy, list buffers, and drivers combined into one list.

#include "link/CompositeFtDriver.h"
#include "link/D2xxLayer.h"
#include "testsupport/FakeFtDriver.h"

#include <QTest>

using Op = FakeFtDriver::Op;

class TestLink : public QObject {
    Q_OBJECT

    FakeFtDriver driver;
    D2xxLayer *ft = nullptr;
    QStringList boxes;

  private slots:
    void init() {
        driver = FakeFtDriver();
        driver.adapters = {{"FT232R USB UART", "A50285BI"}, {"USB <-> Serial", "FT9XK2LM"}};
        delete ft;
        ft = new D2xxLayer(driver);
        boxes.clear();
        ft->setErrorBox([this](const std::string &s) { boxes << QString::fromStdString(s); });
    }
    void cleanup() {
        delete ft;
        ft = nullptr;
    }

    void statusTexts_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        const char *texts[] = {" - Invalid handle...",
                               " - Device not found...",
                               " - Device not opened...",
                               " - General IO error...",
                               " - Insufficient resources...",
                               " - Invalid parameter...",
                               " - Invalid baud rate...",
                               " Device not opened for erase...",
                               " Device not opened for write...",
                               " - Failed to write...",
                               " - EEPROM read failed...",
                               " - EEPROM write failed...",
                               " - EEPROM erase failed...",
                               " - EEPROM not present...",
                               " - EEPROM not programmed...",
                               " - Invalid arguments...",
                               " - Other error ..."};
        for (int s = 1; s <= 17; ++s)
            QTest::newRow(qPrintable(QString::number(s))) << s << QString("FT_Read") + texts[s - 1];
        // Past the library's table the box still says what failed.
        QTest::newRow("18") << 18 << "FT_Read - Unknown error, status 18...";
        QTest::newRow("1000") << 1000 << "FT_Read - Unknown error, status 1000...";
    }
    void statusTexts() {
        QFETCH(int, status);
        QFETCH(QString, text);
        ft->Open_USB_Device_By_Serial_Number("A50285BI");
        driver.failWith(Op::Read, static_cast<FtStatus>(status));
        QCOMPARE(ft->ReadFTBytes(8), 0u);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].section('\n', 0, 0), text);
    }

    void everyOperationNamesItself_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("name");
        QTest::newRow("count") << int(Op::ListCount) << "GetFTDeviceCount";
        QTest::newRow("serial") << int(Op::ListSerialNumber) << "GetFTDeviceSerialNo";
        QTest::newRow("description") << int(Op::ListDescription) << "GetFTDeviceDescription";
        QTest::newRow("open") << int(Op::Open) << "Open_USB_Device_By_Serial_Number";
        QTest::newRow("close") << int(Op::Close) << "FT_Close";
        QTest::newRow("write") << int(Op::Write) << "FT_Write";
        QTest::newRow("baud") << int(Op::SetBaudRate) << "FT_SetBaudRate";
        QTest::newRow("data") << int(Op::SetDataCharacteristics) << "FT_SetDataCharacteristics";
        QTest::newRow("status") << int(Op::GetStatus) << "FT_GetStatus";
    }
    void everyOperationNamesItself() {
        QFETCH(int, op);
        QFETCH(QString, name);
        driver.failWith(static_cast<Op>(op), FT_IO_ERROR);
        ft->Open_USB_Device_By_Serial_Number("A50285BI");
        if (op == int(Op::Open)) {
            QCOMPARE(boxes, QStringList{name + " - General IO error..."});
            return;
        }
        ft->GetFTDeviceCount();
        ft->GetFTDeviceSerialNo(0);
        ft->GetFTDeviceDescription(0);
        ft->WriteFTBytes(8);
        ft->SetFTBaudRate();
        ft->SetFTDataCharacteristics();
        ft->GetFTQueueStatus();
        ft->CloseFTDevice();
        QCOMPARE(boxes, QStringList{name + " - General IO error..."});
    }

    void purgesNameTheirQueue() {
        ft->Open_USB_Device_By_Serial_Number("A50285BI");
        driver.failWith(Op::Purge, FT_INVALID_HANDLE);
        ft->PurgeFTReceive();
        ft->PurgeFTTransmit();
        QCOMPARE(boxes, (QStringList{"FT_Purge RX - Invalid handle...",
                                     "FT_Purge TX - Invalid handle..."}));
    }

    void reportsOffShowNothing() {
        ft->ErrorReportsEnabled = false;
        QCOMPARE(ft->GetFTQueueStatus(), FT_INVALID_HANDLE); // nothing open
        QVERIFY(boxes.isEmpty());
        ft->ErrorReportsEnabled = true;
        ft->GetFTQueueStatus();
        QCOMPARE(boxes, QStringList{"FT_GetStatus - Invalid handle..."});
    }

    void driverDetailFollowsTheText() {
        driver.failWith(Op::Open, FT_DEVICE_NOT_OPENED);
        driver.setErrorDetail("в группу dialout");
        ft->Open_USB_Device_By_Serial_Number("A50285BI");
        QCOMPARE(boxes,
                 QStringList{
                     "Open_USB_Device_By_Serial_Number - Device not opened...\nв группу dialout"});
    }

    // What the box tells the technician to do, by what the driver found.
    void adviceFollowsTheDetail_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("trouble");
        QTest::addColumn<QStringList>("words");
        const int open = int(Op::Open);
        QTest::newRow("no permission")
            << open << int(FT_DEVICE_NOT_OPENED) << int(LinkTrouble::NoPermission)
            << QStringList{"udev", "dialout", "войдите снова"};
        QTest::newRow("busy") << open << int(FT_DEVICE_NOT_OPENED) << int(LinkTrouble::Busy)
                              << QStringList{"занят другой программой"};
        QTest::newRow("gone on opening") << open << int(FT_DEVICE_NOT_FOUND)
                                         << int(LinkTrouble::None) << QStringList{"отключён"};
        QTest::newRow("gone from the list") << int(Op::ListCount) << int(FT_DEVICE_NOT_FOUND)
                                            << int(LinkTrouble::None) << QStringList{"отключён"};
        QTest::newRow("nothing known")
            << open << int(FT_IO_ERROR) << int(LinkTrouble::None) << QStringList{};
    }
    void adviceFollowsTheDetail() {
        QFETCH(int, op);
        QFETCH(int, status);
        QFETCH(int, trouble);
        QFETCH(QStringList, words);
        driver.failWith(Op(op), FtStatus(status));
        driver.setErrorDetail("/dev/ttyUSB0");
        driver.setTrouble(LinkTrouble(trouble));
        if (Op(op) == Op::Open)
            ft->Open_USB_Device_By_Serial_Number("A50285BI");
        else
            ft->GetFTDeviceCount();
        QCOMPARE(boxes.size(), 1);
        const QStringList parts = boxes[0].split("\n\n");
        QVERIFY(parts[0].endsWith("\n/dev/ttyUSB0"));
        QCOMPARE(parts.size(), words.isEmpty() ? 1 : 2);
        for (const QString &w : words)
            QVERIFY2(parts[1].contains(w), qPrintable(w));
    }

    void serialNumberCopy_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("passed");
        QString sixty = QString("S").repeated(11) + QString("0123456789").repeated(4) + "ABCDEFGHI";
        QTest::newRow("sixty characters cut to 49") << sixty << sixty.left(49);
        QTest::newRow("forty-nine kept") << sixty.left(49) << sixty.left(49);
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("ordinary") << "A50285BI"
                                  << "A50285BI";
    }
    void serialNumberCopy() {
        QFETCH(QString, given);
        QFETCH(QString, passed);
        driver.adapters = {{"long", passed.toStdString()}};
        QCOMPARE(ft->Open_USB_Device_By_Serial_Number(given.toStdString()), FT_OK);
        QCOMPARE(QString::fromStdString(driver.openedSerial()), passed);
        QCOMPARE(QString(ft->OpenSerialNumber.data()), passed);
    }

    void listTexts() {
        std::string sixtyFour(64, 'D');
        sixtyFour[63] = 'Z';
        driver.adapters = {{sixtyFour, "0123456789ABCDEF"}, {"short", "S1"}};
        ft->GetFTDeviceDescription(0);
        QCOMPARE(ft->ListText, sixtyFour); // a full buffer has no zero and loses nothing
        ft->GetFTDeviceSerialNo(0);
        QCOMPARE(ft->ListText, std::string("0123456789ABCDEF"));
        ft->GetFTDeviceSerialNo(1);
        QCOMPARE(ft->ListText, std::string("S1"));
        // A failing query leaves the previous text for its caller.
        driver.failWith(Op::ListDescription, FT_IO_ERROR);
        ft->GetFTDeviceDescription(1);
        QCOMPARE(ft->ListText, std::string("S1"));
    }

    void failingCountKeepsTheLastCount() {
        ft->GetFTDeviceCount();
        QCOMPARE(ft->DeviceCount, 2u);
        driver.failWith(Op::ListCount, FT_IO_ERROR);
        driver.adapters.clear();
        ft->GetFTDeviceCount();
        QCOMPARE(ft->DeviceCount, 2u);
    }

    void closeKeepsTheHandle() {
        ft->Open_USB_Device_By_Serial_Number("A50285BI");
        FtHandle h = ft->DeviceHandle;
        QVERIFY(h != 0);
        QCOMPARE(ft->CloseFTDevice(), FT_OK);
        QCOMPARE(ft->DeviceHandle, h);
        // The stale handle is refused by the driver, and said so.
        ft->CloseFTDevice();
        QCOMPARE(boxes, QStringList{"FT_Close - Invalid handle..."});
    }

    void readAndWriteUseTheBuffers() {
        ft->Open_USB_Device_By_Serial_Number("A50285BI");
        driver.queueIncoming({1, 2, 3, 4, 5});
        ft->GetFTQueueStatus();
        QCOMPARE(ft->RxQueueBytes, 5u);
        QCOMPARE(ft->ReadFTBytes(8), 5u);
        QCOMPARE(ft->ReceiveBuffer[4], 5);
        ft->TransmitBuffer[0] = 0x80;
        ft->TransmitBuffer[1] = 0x09;
        QCOMPARE(ft->WriteFTBytes(2), 2u);
        QCOMPARE(driver.written(), (std::vector<std::uint8_t>{0x80, 0x09}));
    }

    void compositeListsEveryDriver() {
        FakeFtDriver other;
        other.adapters = {{"virtual", "FTV1AAAA"}};
        CompositeFtDriver both;
        both.add(driver);
        both.add(other);
        D2xxLayer layer(both);
        layer.GetFTDeviceCount();
        QCOMPARE(layer.DeviceCount, 3u);
        layer.GetFTDeviceSerialNo(2);
        QCOMPARE(layer.ListText, std::string("FTV1AAAA"));
        layer.GetFTDeviceDescription(1);
        QCOMPARE(layer.ListText, std::string("USB <-> Serial"));
        QCOMPARE(layer.Open_USB_Device_By_Serial_Number("FTV1AAAA"), FT_OK);
        QVERIFY(other.isOpen());
        QVERIFY(!driver.isOpen());
        other.queueIncoming({7, 7, 7});
        layer.GetFTQueueStatus();
        QCOMPARE(layer.RxQueueBytes, 3u);
        QCOMPARE(layer.CloseFTDevice(), FT_OK);
        QVERIFY(!other.isOpen());
        QCOMPARE(layer.Open_USB_Device_By_Serial_Number("NOSUCH"), FT_DEVICE_NOT_FOUND);
    }

    void compositeSkipsADriverThatCannotList() {
        FakeFtDriver broken;
        broken.failWith(Op::ListCount, FT_OTHER_ERROR);
        CompositeFtDriver both;
        both.add(broken);
        both.add(driver);
        std::uint32_t n = 0;
        QCOMPARE(both.listCount(n), FT_OK);
        QCOMPARE(n, 2u);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
