// Adapter faults in every state of the window. Each status the library knows,
// and one it does not, comes back from each adapter call the window makes
// while listing, opening, searching for the instrument, polling a block page,
// waiting after a device change and closing; the adapter is also pulled out in
// each of those states. Outside the ticks the window names the failing call in
// the layer's words; inside them it stays quiet. Either way the technician can
// open the adapter again afterwards and the instrument answers as before.

#include "link/DeviceChangeWait.h"
#include "testsupport/WindowHarness.h"

#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <vector>

using Op = FakeFtDriver::Op;

namespace {
enum class Step { Listing, Opening, Searching, Polling, DeviceChange, Closing };

struct Call {
    Op op;
    const char *name; // as the layer names it in its error box
};

struct State {
    QByteArray name;
    Step step;
    int page;                // the page being polled when the state is reached
    bool inTicks;            // the state's adapter calls are made by the ticks
    std::vector<Call> calls; // the adapter calls of the state, in order
};

constexpr int OpCount = 11;
const char *const OpNames[OpCount] = {
    "ListCount", "ListSerialNumber", "ListDescription",        "Open",  "Close",    "Read",
    "Write",     "SetBaudRate",      "SetDataCharacteristics", "Purge", "GetStatus"};
// Not one call failing: the adapter pulled out, every call on its handle failing.
constexpr int Unplugged = OpCount;
constexpr int FirstHandleOp = int(Op::Close);

// The instrument kind that shows each block page (by page index).
constexpr std::uint8_t KindShowing[] = {0, 1, 1, 1, 4, 2, 3, 5, 7};

const FakeFtDriver::Adapter Ours{"FT232R USB UART", "A50285BI"};
const FakeFtDriver::Adapter Other{"USB Serial", "FT9XK2LM"};

std::vector<State> states() {
    const Call close{Op::Close, "FT_Close"}, count{Op::ListCount, "GetFTDeviceCount"},
        description{Op::ListDescription, "GetFTDeviceDescription"},
        serial{Op::ListSerialNumber, "GetFTDeviceSerialNo"};
    const std::vector<Call> ticks{
        {Op::Write, "FT_Write"}, {Op::GetStatus, "FT_GetStatus"}, {Op::Read, "FT_Read"}};
    std::vector<State> all{
        {"listing",
         Step::Listing,
         PageIndex::Base,
         false,
         {close, count, description, serial, description, serial}},
        {"opening",
         Step::Opening,
         PageIndex::Usb,
         false,
         {{Op::Open, "Open_USB_Device_By_Serial_Number"},
          {Op::Purge, "FT_Purge RX"},
          {Op::Purge, "FT_Purge TX"},
          {Op::SetBaudRate, "FT_SetBaudRate"},
          {Op::SetDataCharacteristics, "FT_SetDataCharacteristics"}}},
        {"searching", Step::Searching, PageIndex::Usb, true, ticks},
    };
    for (int page = PageIndex::Base; page <= PageIndex::Oxygen; ++page)
        all.push_back(
            {"polling page " + QByteArray::number(page), Step::Polling, page, true, ticks});
    all.push_back({"device change",
                   Step::DeviceChange,
                   PageIndex::Base,
                   false,
                   {close, count, count, description, serial, description, serial}});
    all.push_back({"closing", Step::Closing, PageIndex::Base, false, {close}});
    return all;
}

// What the adapter answers `call` with in a case.
FtStatus answer(Op call, int op, FtStatus fault) {
    if (op == Unplugged) // the list just loses it; opening it finds nothing
        return call == Op::Open ? FT_DEVICE_NOT_FOUND : int(call) >= FirstHandleOp ? fault : FT_OK;
    return call == Op(op) ? fault : FT_OK;
}

QString boxText(const char *name, FtStatus status) {
    return QString::fromStdString(D2xxLayer::boxText(name, status, {}, LinkTrouble::None));
}
} // namespace

class TestFaults : public QObject, protected WindowHarness {
    Q_OBJECT

    int rowOf(const std::string &serial) const {
        for (int row = 0; row < form->ListView1->rowCount(); ++row)
            if (form->ListView1->item(row, 2)->text().toStdString() == serial)
                return row;
        return -1;
    }
    void tick(const Bytes &reply = {}) {
        form->Timer1Timer();
        driver.queueIncoming(reply);
        form->Timer2Timer();
    }
    // A round of the ticks, the block answering whatever went out.
    void pollRound() {
        Bytes sent = nextFrameSent();
        receive(sent.size() == 8 ? frame(sent[0] & 0x7F, sent[1]) : Bytes{});
    }
    // A notice and the whole wait after it, step by step.
    void deviceChange(unsigned event) {
        form->WMDeviceChange(event);
        for (int i = 0; i < 1000 && form->deviceChangeWait->isRunning(); ++i)
            form->deviceChangeWait->step();
        QVERIFY(!form->deviceChangeWait->isRunning());
    }

    void reach(const State &s) {
        if (s.step == Step::Opening) {
            form->ListView1->selectRow(rowOf(Ours.serialNumber));
        } else {
            openRow(rowOf(Ours.serialNumber));
            if (s.step != Step::Searching)
                identifyAs(KindShowing[s.page]);
            if (s.page > PageIndex::Base)
                form->PageControl1->setCurrentIndex(s.page); // as the technician does
        }
        messages.clear(); // the oxygen page's note of its missing picture
    }

    void act(const State &s) {
        switch (s.step) {
        case Step::Listing:
            form->Button1Click();
            break;
        case Step::Opening:
            form->ListView1DblClick();
            break;
        case Step::Searching:
            tick();
            tick();
            tick(frame(0, Code::Identify, 0, 0, 1, 0x39, 0x30));
            break;
        case Step::Polling:
            pollRound();
            pollRound();
            break;
        case Step::DeviceChange:
            deviceChange(TForm1::DeviceRemoveComplete);
            break;
        case Step::Closing:
            form->FormClose();
            QVERIFY(form->isClosing());
            form->finishClosing();
            QVERIFY(!form->isClosing());
            break;
        }
    }

  private slots:
    void cleanup() { form.reset(); }

    void adapterFaults_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("op");
        QTest::addColumn<uint>("status");
        const std::vector<State> all = states();
        for (int i = 0; i < int(all.size()); ++i) {
            const State &s = all[i];
            for (int op = 0; op <= Unplugged; ++op) {
                const bool called = std::any_of(s.calls.begin(), s.calls.end(),
                                                [op](const Call &c) { return c.op == Op(op); });
                if (op == Unplugged)
                    for (uint status : {FT_DEVICE_NOT_FOUND, FT_IO_ERROR})
                        QTest::addRow("%s/unplugged/%u", s.name.constData(), status)
                            << i << op << status;
                else if (called)
                    for (uint status = 1; status <= 18; ++status)
                        QTest::addRow("%s/%s/%u", s.name.constData(), OpNames[op],
                                      status == 18 ? 99 : status)
                            << i << op << (status == 18 ? 99 : status);
            }
        }
    }
    void adapterFaults() {
        QFETCH(int, state);
        QFETCH(int, op);
        QFETCH(uint, status);
        const State s = states()[std::size_t(state)];
        const auto fault = static_cast<FtStatus>(status);
        startWindow({Ours, Other});
        reach(s);

        if (op == Unplugged) {
            driver.adapters.erase(driver.adapters.begin());
            for (int o = FirstHandleOp; o < OpCount; ++o)
                driver.failWith(Op(o), fault);
        } else {
            driver.failWith(Op(op), fault);
        }
        act(s);
        QVERIFY(form->ft.ErrorReportsEnabled);

        QStringList expected;
        if (!s.inTicks)
            for (const Call &c : s.calls)
                if (FtStatus a = answer(c.op, op, fault)) {
                    expected << boxText(c.name, a);
                    if (c.op == Op::Open)
                        break; // a failed open goes no further
                }
        if (op == Unplugged) {
            if (s.inTicks) // the notice closes the adapter the ticks were using
                expected << boxText("FT_Close", fault);
            deviceChange(TForm1::DeviceRemoveComplete);
            QCOMPARE(rowOf(Ours.serialNumber), -1);
        }
        QCOMPARE(messages.errors, expected);
        QCOMPARE(messages.informations, QStringList());

        // The adapter recovers, or is plugged in again, and is opened anew.
        for (int o = 0; o < OpCount; ++o)
            driver.failWith(Op(o), FT_OK);
        if (op == Unplugged) {
            driver.adapters.push_back(Ours);
            deviceChange(TForm1::DeviceArrival);
        }
        messages.clear();
        if (rowOf(Ours.serialNumber) < 0) // listed while a query failed: refreshed
            form->Button1Click();
        QVERIFY(rowOf(Ours.serialNumber) >= 0);
        openRow(rowOf(Ours.serialNumber));
        QCOMPARE(messages.errors, QStringList());
        QVERIFY(form->ConnectionOpen);
        QCOMPARE(form->Label1->text(), QString("Поиск прибора ..."));
        QCOMPARE(nextFrameSent(), frame(0x80, Code::Identify));
        identifyAs(2);
        QCOMPARE(form->Label1->text(), QString());
        QCOMPARE(form->IdentifiedType, 2);
        QVERIFY(form->isTabShown(PageIndex::TksPgs));
        QCOMPARE(nextFrameSent(), frame(0x94, Code::Poll));
        QCOMPARE(messages.errors + messages.informations, QStringList());
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
