// The multiplexer window: click rectangles and lamps, the sensor-type choice
// and its re-identification, with the fake driver and with a virtual instrument.

#include "mux/StandLayout.h"
#include "mux/TForm2.h"
#include "sim/SimFtDriver.h"
#include "testsupport/FakeFtDriver.h"
#include "testsupport/WindowHarness.h"
#include "ui/TForm1.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {
// A click given in window-relative coordinates, as the stand's rectangles are.
QPoint client(int x, int y) {
    return {x - StandLayout::FrameLeft, y - StandLayout::FrameTop};
}
} // namespace

class TestMux : public QObject, protected WindowHarness {
    Q_OBJECT

    TForm2 *mux = nullptr;

    QList<int> litLamps() const {
        QList<int> lit;
        for (int n = 1; n <= 32; ++n)
            if (mux->lampLit(n))
                lit << n;
        return lit;
    }
    void connectAndIdentify(std::uint8_t type) {
        form->ListView1->selectRow(0);
        form->ListView1DblClick();
        receive(frame(0, 9, 0, 0, type, 1, 0));
    }

  private slots:
    void init() {
        startWindow({{"FT232R USB UART", "A50285BI"}});
        form->pictureFolder = ZE23_PICTURE_DIR;
        mux = form->Form2;
    }
    void cleanup() { form.reset(); }

    void windowAsBuilt() {
        QCOMPARE(mux->windowTitle(), QString("Управление мультиплексором"));
        // Wider than the stand, for its title; the stand in the middle, the
        // button that calibrates it under it.
        QCOMPARE(mux->size(), QSize(340, 357));
        QCOMPARE(mux->StandCalibrationButton->text(), QString("Калибровка стенда…"));
        QVERIFY(mux->StandCalibrationButton->geometry().top() >= 321);
        QCOMPARE(mux->findChild<QWidget *>("standArea")->geometry(), QRect(58, 0, 224, 321));
        QCOMPARE(mux->RadioGroup1->title(), QString("Тип датчика"));
        QCOMPARE(mux->RadioGroup1->geometry(), QRect(8, 216, 161, 97));
        QCOMPARE(mux->itemIndex(), -1);
        QStringList items;
        for (QRadioButton *b : mux->RadioItems)
            items << b->text();
        QCOMPARE(items, (QStringList{"ТКС", "ТКС + ПГС метан/пропан", "ТКС + ПГС водород", "ПГС",
                                     "Электрохимия"}));
        for (int n = 1; n <= 32; ++n) {
            auto *lamp = mux->findChild<QLabel *>(QString("Panel%1").arg(n));
            QVERIFY(lamp);
            QCOMPARE(lamp->size(), QSize(9, 6));
        }
        QVERIFY(litLamps().isEmpty());
    }

    void rectangleEdges_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("channel"); // 0: nothing hit
        QTest::newRow("top left corner") << 6 << 34 << 1;
        QTest::newRow("left of it") << 5 << 34 << 0;
        QTest::newRow("above it") << 6 << 33 << 0;
        QTest::newRow("bottom right corner") << 29 << 54 << 1;
        QTest::newRow("between columns") << 31 << 40 << 0;
        QTest::newRow("row 1 column 3") << 70 << 40 << 3;
        QTest::newRow("row 2 column 5") << 117 << 110 << 13;
        QTest::newRow("row 3 column 1") << 10 << 140 << 32;
        QTest::newRow("row 4 column 8") << 223 << 209 << 17;
        QTest::newRow("past the last column") << 224 << 209 << 0;
        QTest::newRow("between rows") << 10 << 70 << 0;
    }
    void rectangleEdges() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, channel);
        std::optional<StandPosition> p = StandLayout::hit(x, y);
        QCOMPARE(p ? p->channel : 0, channel);
    }

    void channelsAndLamps() {
        // Every channel once, every lamp once, each lamp at its place.
        QSet<int> channels, lamps;
        for (const StandPosition &p : StandLayout::positions()) {
            channels << p.channel;
            lamps << p.lamp;
            QCOMPARE(mux->Lamps[std::size_t(p.lamp - 1)]->pos(), QPoint(p.lampLeft, p.lampTop));
        }
        QCOMPARE(channels.size(), 32);
        QCOMPARE(lamps.size(), 32);
        QCOMPARE(StandLayout::byChannel(3)->lamp, 4);
        QCOMPARE(StandLayout::byChannel(3)->lampLeft, 65);
        QCOMPARE(StandLayout::byChannel(4)->lamp, 3);
        QCOMPARE(StandLayout::byChannel(4)->lampLeft, 93);
        QCOMPARE(StandLayout::byChannel(32)->lamp, 17);
        QCOMPARE(StandLayout::byChannel(17)->lamp, 32);
        QCOMPARE(StandLayout::byChannel(9)->lamp, 5);
        QCOMPARE(StandLayout::byChannel(5)->lampTop, 58);
    }

    void clickPicksAChannel() {
        form->exchange.CommandFrame = {0x80, 9, 0, 3, 4, 5, 6, 0};
        mux->FormClick(client(10, 140));
        QCOMPARE(form->exchange.CommandFrame, (Frame{0x80, 12, 32, 3, 4, 5, 6, 0}));
        QCOMPARE(litLamps(), QList<int>{17});
        mux->FormClick(client(70, 40));
        QCOMPARE(int(form->exchange.CommandFrame[2]), 3);
        QCOMPARE(litLamps(), QList<int>{4});
    }

    void clickBesideEverythingClearsTheLamps() {
        mux->FormClick(client(70, 40));
        form->exchange.CommandFrame[1] = 9;
        mux->FormClick(client(31, 40));
        QCOMPARE(int(form->exchange.CommandFrame[1]), 12);
        QCOMPARE(int(form->exchange.CommandFrame[2]), 3);
        QVERIFY(litLamps().isEmpty());
    }

    void aRealClickOnTheWindow() {
        mux->show();
        QTest::mouseClick(mux->findChild<QWidget *>("standArea"), Qt::LeftButton, {},
                          client(150, 100));
        QCOMPARE(int(form->exchange.CommandFrame[2]), 14);
        QCOMPARE(litLamps(), QList<int>{14});
        // A click on a lamp is not a click on the stand.
        QTest::mouseClick(mux->Lamps[0], Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(litLamps(), QList<int>{14});
    }

    void channelGoesOutWithTheBasePoll() {
        connectAndIdentify(1);
        mux->FormClick(client(10, 90)); // channel 5
        QCOMPARE(nextFrameSent(), frame(0x80, 12, 5));
        receive(frame(0, 12));
        QCOMPARE(nextFrameSent(), frame(0x80, 12, 5));
    }

    void openingLoadsThePictureAndPreselects() {
        connectAndIdentify(2);
        form->Button72Click();
        QVERIFY(mux->isVisible());
        QVERIFY(!mux->picture().isNull());
        QCOMPARE(mux->picture().size(), QSize(222, 200));
        QCOMPARE(mux->itemIndex(), 1);
        // The preselection counted as a choice: base page, sensor tabs hidden, 12 then 9.
        QCOMPARE(form->activePage(), PageIndex::Base);
        QVERIFY(!form->isTabShown(PageIndex::TksPgs));
        QVERIFY(form->isTabShown(PageIndex::Pump));
        QCOMPARE(nextFrameSent(), frame(0x80, 12, 0, 0, 2));
        QCOMPARE(nextFrameSent(), frame(0x80, 9, 0, 0, 2));
        receive(frame(0, 9, 0, 0, 2, 7, 0));
        QVERIFY(form->isTabShown(PageIndex::TksPgs));
        QCOMPARE(nextFrameSent(), frame(0x94, 12));
        // Opening again with the same type changes nothing and sends nothing new.
        form->exchange.CommandFrame = {0x80, 12, 0, 0, 0, 0, 0, 0};
        form->Button72Click();
        QCOMPARE(form->exchange.Sequence.SequenceCount, 0);
        QCOMPARE(nextFrameSent(), frame(0x80, 12));
    }

    void preselectionByKind_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("item");
        QTest::newRow("ТКС") << 1 << 0;
        QTest::newRow("водород") << 3 << 2;
        QTest::newRow("ПГС") << 4 << 3;
        QTest::newRow("optical chooses nothing") << 5 << -1;
        QTest::newRow("oxygen chooses nothing") << 7 << -1;
    }
    void preselectionByKind() {
        QFETCH(int, type);
        QFETCH(int, item);
        connectAndIdentify(std::uint8_t(type));
        mux->setItemIndex(4); // an earlier choice of "Электрохимия"
        form->exchange.Sequence.SequenceCount = 0;
        form->Button72Click();
        QCOMPARE(mux->itemIndex(), item);
        QCOMPARE(form->exchange.Sequence.SequenceCount, item >= 0 ? 2 : 0);
    }

    void choosingATypeReidentifies() {
        connectAndIdentify(1);
        mux->FormClick(client(10, 90)); // channel 5
        form->PageControl1->setCurrentIndex(PageIndex::Pump);
        mux->RadioItems[4]->click(); // "Электрохимия"
        QCOMPARE(form->activePage(), PageIndex::Base);
        QVERIFY(!form->isTabShown(PageIndex::Tks));
        QVERIFY(form->Timer1->isActive());
        QVERIFY(form->Timer2->isActive());
        QCOMPARE(nextFrameSent(), frame(0x80, 12, 5, 0, 7));
        QCOMPARE(nextFrameSent(), frame(0x80, 9, 5, 0, 7));
        receive(frame(0, 9, 0, 0, 7, 1, 0));
        QVERIFY(form->isTabShown(PageIndex::Oxygen));
        QCOMPARE(form->IdentifiedType, 7);
        // The lamp stays, but the base poll no longer carries the channel.
        QCOMPARE(litLamps(), QList<int>{9});
        QCOMPARE(nextFrameSent(), frame(0x80, 12));
    }

    void choiceWithoutAnAdapterSendsNothing() {
        mux->RadioItems[0]->click();
        QVERIFY(!form->Timer1->isActive());
        QVERIFY(form->Timer2->isActive());
        QCOMPARE(int(form->exchange.CommandFrame[4]), 1);
    }

    void missingPictureSaysSoAndStillWorks() {
        QTemporaryDir empty;
        form->pictureFolder = empty.path();
        connectAndIdentify(1);
        form->Button72Click();
        QCOMPARE(messages.errors.size(), 1);
        QVERIFY(messages.errors.first().startsWith("Cannot open file \"" + empty.path() +
                                                   "/stend1.bmp\"."));
        QVERIFY(mux->isVisible());
        QVERIFY(mux->picture().isNull());
        QCOMPARE(mux->itemIndex(), -1); // no preselection after a failed load
        mux->FormClick(client(10, 40));
        QCOMPARE(litLamps(), QList<int>{1});
        form->Timer3Timer();
    }

    void virtualInstrumentTakesTheType() {
        std::int64_t now = 0;
        SimFtDriver sim([&now] { return now; });
        RecordingMessages simMessages;
        TForm1 window(sim, simMessages);
        auto run = [&](int ms) {
            for (int t = 0; t < ms; t += 50) {
                now += 50;
                if (now % 350 == 0)
                    window.Timer1Timer();
                if (now % 100 == 0)
                    window.Timer2Timer();
            }
        };
        window.ListView1->selectRow(0); // kind 1
        window.ListView1DblClick();
        run(1000);
        QCOMPARE(window.IdentifiedType, 1);
        window.Form2->RadioItems[2]->click(); // "ТКС + ПГС водород"
        run(1500);
        QCOMPARE(sim.instrument(0).kind(), 3);
        QCOMPARE(window.IdentifiedType, 3);
        QVERIFY(window.isTabShown(PageIndex::Hydrogen));
        QVERIFY(!window.isTabShown(PageIndex::Tks));
        QVERIFY(simMessages.informations.isEmpty());
    }
};

QTEST_MAIN(TestMux)
#include "test_mux.moc"
