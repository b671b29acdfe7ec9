// The decoder frame and the base and pump pages, inside the main window over
// a fake driver: indicators, readings, charts, every command's frame, and the
// page-change table.

#include "charts/StripChart.h"
#include "pages/BasePage.h"
#include "pages/PageFormat.h"
#include "pages/PumpPage.h"
#include "testsupport/FakeFtDriver.h"
#include "testsupport/WindowHarness.h"
#include "ui/TForm1.h"

#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <memory>

using Colour = IndicatorPanel::Colour;

namespace {
QColor rgb(Colour c) {
    return IndicatorPanel::rgb(c);
}
} // namespace

class TestPages : public QObject, protected WindowHarness {
    Q_OBJECT

    BasePage *base = nullptr;
    PumpPage *pump = nullptr;

    void selectPage(int page) { form->PageControl1->setCurrentIndex(page); }

  private slots:
    void init() {
        QLocale::setDefault(QLocale::c());
        startWindow({{"FT232R USB UART", "A50285BI"}});
        base = form->basePage;
        pump = form->pumpPage;
        form->ListView1->selectRow(0);
        form->ListView1DblClick();
        receive(frame(0, 9, 0, 0, 1, 0x39, 0x30));
        QCOMPARE(form->activePage(), PageIndex::Base);
    }
    void cleanup() {
        form.reset();
        QLocale::setDefault(QLocale::c());
    }

    // --- decoder frame ---

    void panelsStartEmpty() {
        for (IndicatorPanel *p : {base->Panel3, base->Panel9, base->Panel10, pump->Panel11,
                                  pump->Panel15, pump->Panel18})
            QVERIFY(p->text().isEmpty());
    }

    void baseReplyShowsEveryIndicator() {
        receive({0x00, 0x0C, 0x18, 0x02, 0x00, 0x88, 0x13, 0x8D});
        struct Expect {
            IndicatorPanel *panel;
            const char *text;
            Colour colour;
        };
        const Expect expected[] = {
            {base->Panel3, "Обрыв АКБ", Colour::Red},
            {base->Panel4, "Режим заряда", Colour::Yellow},
            {base->Panel5, "Питание в норме", Colour::Face},
            {base->Panel6, "Меню не активно", Colour::Face},
            {base->Panel7, "Режим теста не активен", Colour::Face},
            {base->Panel8, "Связь с датчиком отсутствует", Colour::Red},
            {base->Panel9, "Связь с насосом в норме", Colour::Face},
        };
        for (const Expect &e : expected) {
            QCOMPARE(e.panel->text(), QString::fromUtf8(e.text));
            QCOMPARE(e.panel->colour(), rgb(e.colour));
        }
        QCOMPARE(base->Panel10->text(), QString("5000  мВ"));
        QCOMPARE(base->Chart1->series()->at(199).y(), 5000.0);
        QCOMPARE(nextFrameSent(), frame(0x80, 12));
    }

    void baseBitCombinations_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("link");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("all clear")
            << 0x00 << 0x00 << QStringList{"Контакт АКБ в норме",    "Рабочий режим",
                                           "Питание в норме",        "Меню не активно",
                                           "Режим теста не активен", "Связь с датчиком в норме",
                                           "Связь с насосом в норме"};
        QTest::newRow("all set") << 0x1F << 0x03
                                 << QStringList{"Обрыв АКБ",
                                                "Режим заряда",
                                                "АКБ разряжена",
                                                "Меню активно",
                                                "Режим теста",
                                                "Связь с датчиком отсутствует",
                                                "Связь с насосом отсутствует"};
        QTest::newRow("unused bits ignored")
            << 0xE0 << 0xFC << QStringList{"Контакт АКБ в норме",    "Рабочий режим",
                                           "Питание в норме",        "Меню не активно",
                                           "Режим теста не активен", "Связь с датчиком в норме",
                                           "Связь с насосом в норме"};
    }
    void baseBitCombinations() {
        QFETCH(int, state);
        QFETCH(int, link);
        QFETCH(QStringList, texts);
        receive(frame(0, 12, std::uint8_t(state), std::uint8_t(link), 0, 0x10, 0x14));
        QStringList shown;
        for (IndicatorPanel *p : {base->Panel3, base->Panel4, base->Panel5, base->Panel6,
                                  base->Panel7, base->Panel8, base->Panel9})
            shown << p->text();
        QCOMPARE(shown, texts);
    }

    void replyOfAnotherBlockOnlyReloadsTheBasePoll() {
        receive(frame(0, 12, 0x10));
        base->Button3Click();
        receive(frame(15, 1, 0x00));
        QCOMPARE(base->Panel3->text(), QString("Обрыв АКБ"));
        QCOMPARE(nextFrameSent(), frame(0x80, 12));
        QCOMPARE(base->Chart1->history().writePosition(), 2);
    }

    void commandRepeatsUntilAnswered() {
        base->Button3Click();
        QCOMPARE(nextFrameSent(), frame(0x80, 6));
        receive(frame(0, 12)); // a poll answer leaves the command standing
        QCOMPARE(nextFrameSent(), frame(0x80, 6));
        receive(frame(0, 6, 0x01));
        QCOMPARE(base->Panel7->text(), QString("Режим теста"));
        QCOMPARE(nextFrameSent(), frame(0x80, 12));
    }

    void baseCommandFrames_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("sent");
        auto bytes = [](const Bytes &b) {
            return QByteArray(reinterpret_cast<const char *>(b.data()), 8);
        };
        QTest::newRow("Режим теста") << "Button3" << bytes(frame(0x80, 6, 9, 9, 9, 9, 9));
        QTest::newRow("Рабочий режим") << "Button4" << bytes(frame(0x80, 7, 9, 9, 9, 9, 9));
        QTest::newRow("ЗВУК") << "Button5" << bytes(frame(0x80, 6, 9, 0, 0x10, 9, 9));
        QTest::newRow("LED ON") << "Button6" << bytes(frame(0x80, 6, 9, 0xFF, 9, 9, 9));
        QTest::newRow("LED OFF") << "Button7" << bytes(frame(0x80, 6, 9, 0, 9, 9, 9));
        QTest::newRow("ВЫКЛ.") << "Button2" << bytes(frame(0x80, 8, 9, 9, 9, 9, 9));
    }
    void baseCommandFrames() {
        QFETCH(QString, button);
        QFETCH(QByteArray, sent);
        // Data bytes a command does not set go out as they stand.
        form->exchange.CommandFrame = {0x80, 12, 9, 9, 9, 9, 9, 0};
        base->findChild<QPushButton *>(button)->click();
        Bytes f = nextFrameSent();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(f.data()), 8), sent);
    }

    void offCommandEndsTheConnectionOnTheBasePage() {
        base->Button2->click();
        receive(frame(0, 12)); // before the off frame went out: nothing ends
        QVERIFY(form->ConnectionOpen);
        QCOMPARE(nextFrameSent()[1], 8);
        receive(frame(0, 8, 0x04));
        QVERIFY(!form->ConnectionOpen);
        QCOMPARE(driver.closeCount(), 1);
        QCOMPARE(form->activePage(), PageIndex::Usb);
        QVERIFY(!form->isTabShown(PageIndex::Base));
        QCOMPARE(form->Panel1->text(), QString("Нет активных устройств"));
        // The rest of the section still ran on that reply.
        QCOMPARE(base->Panel5->text(), QString("АКБ разряжена"));
    }

    void offCommandAnsweredOnAnotherPageEndsNothing() {
        base->Button2Click();
        form->Timer1Timer();
        selectPage(PageIndex::Pump);
        receive(frame(15, 12, 0x01));
        QVERIFY(form->ConnectionOpen);
    }

    void intervalPerPage_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("interval");
        QTest::newRow("base") << 1 << 0 << 350;
        QTest::newRow("pump") << 2 << 15 << 350;
        QTest::newRow("ТКС") << 3 << 3 << 350;
        QTest::newRow("ПГС") << 4 << 8 << 350;
        QTest::newRow("ТКС+ПГС") << 5 << 20 << 350;
        QTest::newRow("hydrogen") << 6 << 21 << 350;
        QTest::newRow("optical") << 7 << 11 << 800;
        QTest::newRow("oxygen") << 8 << 22 << 350;
    }
    void intervalPerPage() {
        QFETCH(int, page);
        QFETCH(int, block);
        QFETCH(int, interval);
        form->setTabShown(page, true);
        selectPage(page);
        form->Timer1->setInterval(1);
        receive(frame(0, 12)); // any block's reply runs the section's start
        QCOMPARE(form->Timer1->interval(), interval);
        QCOMPARE(int(form->exchange.CommandFrame[0]), 0x80 | block);
    }

    void sectionReloadsItsPollOnlyForItsOwnBlock() {
        selectPage(PageIndex::Pump);
        for (int i = 0; i < 3; ++i)
            form->Timer1Timer();
        form->exchange.CommandFrame = {0x8F, 3, 0, 0, 0, 0, 0, 0};
        receive(frame(0, 9)); // another block answering something else
        QCOMPARE(int(form->exchange.CommandFrame[1]), 3);
        receive(frame(15, 3, 0x01, 100, 0, 50, 60));
        QCOMPARE(nextFrameSent(), frame(0x8F, 12));
    }

    // --- pump page ---

    void pumpEntryAndVersion() {
        selectPage(PageIndex::Pump);
        QCOMPARE(nextFrameSent(), frame(0x8F, 9));
        receive(frame(15, 9, 0xC1, 0x2C, 0x01, 80, 0x23));
        QCOMPARE(pump->Panel11->text(), QString("Версия 2.3"));
        QCOMPARE(pump->Panel12->text(), QString("Насос включен"));
        QCOMPARE(pump->Panel12->colour(), rgb(Colour::Face));
        QCOMPARE(pump->Panel13->text(), QString("Настройки по умолчанию"));
        QCOMPARE(pump->Panel13->colour(), rgb(Colour::Yellow));
        QCOMPARE(pump->Panel14->text(), QString("Режим настройки"));
        QCOMPARE(pump->Panel14->colour(), rgb(Colour::Yellow));
        // A reply to 9 shows no readings.
        QVERIFY(pump->Panel15->text().isEmpty());
        QCOMPARE(pump->Chart2->history().writePosition(), 1);
        QCOMPARE(nextFrameSent(), frame(0x8F, 12));
    }

    void pumpOffIsRed() {
        selectPage(PageIndex::Pump);
        receive(frame(15, 12, 0x00));
        QCOMPARE(pump->Panel12->text(), QString("Насос выключен"));
        QCOMPARE(pump->Panel12->colour(), rgb(Colour::Red));
        QCOMPARE(pump->Panel13->text(), QString("Настройки в норме"));
        QCOMPARE(pump->Panel14->text(), QString("Рабочий режим"));
    }

    void pumpReadings_data() {
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("plotted");
        QTest::newRow("even") << 150 << "75" << 75.0;
        QTest::newRow("odd") << 151 << "75.5" << 75.5;
        QTest::newRow("zero") << 0 << "0" << 0.0;
        QTest::newRow("largest") << 65535 << "32767.5" << 32767.5;
    }
    void pumpReadings() {
        QFETCH(int, raw);
        QFETCH(QString, shown);
        QFETCH(double, plotted);
        selectPage(PageIndex::Pump);
        receive(frame(15, 12, 0x01, std::uint8_t(raw & 0xFF), std::uint8_t(raw >> 8), 42, 61));
        QCOMPARE(pump->Panel15->text(), shown);
        QCOMPARE(pump->Panel16->text(), QString("61"));
        QCOMPARE(pump->Panel17->text(), QString("42"));
        QCOMPARE(pump->Chart2->series()->at(199).y(), plotted);
    }

    void pumpCurrentInACommaLocale() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        selectPage(PageIndex::Pump);
        receive(frame(15, 12, 0x01, 0x0F, 0x27, 0, 0)); // 9999 raw
        QCOMPARE(pump->Panel15->text(), QString("4999,5"));
        QCOMPARE(PageFormat::general(-1234.5), QString("-1234,5"));
        QCOMPARE(PageFormat::general(6553.5), QString("6553,5"));
        QCOMPARE(PageFormat::fixed1(20), QString("20,0"));
    }

    void positionSensorRange_data() {
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("min");
        QTest::addColumn<QString>("difference");
        QTest::newRow("ordinary") << 900 << 120 << " MAX-MIN     : 780";
        QTest::newRow("min above max") << 10 << 300 << " MAX-MIN     : -290";
        QTest::newRow("extremes") << 65535 << 0 << " MAX-MIN     : 65535";
    }
    void positionSensorRange() {
        QFETCH(int, max);
        QFETCH(int, min);
        QFETCH(QString, difference);
        selectPage(PageIndex::Pump);
        form->Timer1Timer(); // the entry code goes out first
        receive(frame(15, 12, 0x01, 100, 0, 7, 8));
        pump->Button21->click();
        QCOMPARE(nextFrameSent()[1], 14);
        receive(frame(15, 14, 0x01, std::uint8_t(max), std::uint8_t(max >> 8), std::uint8_t(min),
                      std::uint8_t(min >> 8)));
        QCOMPARE(pump->Panel18->text(), " MAX            : " + QString::number(max));
        QCOMPARE(pump->Panel19->text(), " MIN            : " + QString::number(min));
        QCOMPARE(pump->Panel20->text(), difference);
        // The readings keep what the poll showed.
        QCOMPARE(pump->Panel15->text(), QString("50"));
        QCOMPARE(pump->Panel17->text(), QString("7"));
        QCOMPARE(pump->Chart2->history().writePosition(), 2);
    }

    void pumpCommandFrames_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("repeat"); // -1 left as it was
        QTest::newRow("ВКЛ.") << "Button18" << 9 << -1;
        QTest::newRow("ВЫКЛ.") << "Button19" << 8 << -1;
        QTest::newRow("РЕЖИМ НАСТРОЙКИ") << "Button20" << 6 << -1;
        QTest::newRow("СОХРАНЕНИЕ") << "Button22" << 7 << -1;
        QTest::newRow("Обновить") << "Button21" << 14 << -1;
        QTest::newRow("frequency <<") << "Button13" << 3 << -1;
        QTest::newRow("frequency >>") << "Button17" << 4 << -1;
        QTest::newRow("amplitude <<") << "Button9" << 13 << 1;
        QTest::newRow("amplitude <") << "Button8" << 13 << 0;
        QTest::newRow("Стоп") << "Button11" << 12 << 0;
        QTest::newRow("amplitude >") << "Button10" << 1 << 0;
        QTest::newRow("amplitude >>") << "Button12" << 1 << 1;
    }
    void pumpCommandFrames() {
        QFETCH(QString, button);
        QFETCH(int, code);
        QFETCH(int, repeat);
        pump->AmplitudeRepeat = repeat == 0;
        bool before = pump->AmplitudeRepeat;
        form->exchange.CommandFrame = {0x80, 12, 1, 2, 3, 4, 5, 0};
        pump->findChild<QPushButton *>(button)->click();
        QCOMPARE(nextFrameSent(), frame(0x8F, std::uint8_t(code), 1, 2, 3, 4, 5));
        QCOMPARE(pump->AmplitudeRepeat, repeat == -1 ? before : repeat == 1);
        QCOMPARE(form->exchange.Sequence.SequenceCount, 0);
    }

    void amplitudeRunRepeatsUntilStopped() {
        selectPage(PageIndex::Pump);
        form->Timer1Timer();
        pump->Button9->click();
        QCOMPARE(nextFrameSent(), frame(0x8F, 13));
        for (int step = 0; step < 3; ++step) {
            receive(frame(15, 13, 0x01, 100, 0, std::uint8_t(100 - step), 60));
            QCOMPARE(nextFrameSent(), frame(0x8F, 13));
        }
        QCOMPARE(pump->Panel17->text(), QString("98"));
        pump->Button11->click();
        QCOMPARE(nextFrameSent(), frame(0x8F, 12));
        receive(frame(15, 13, 0x01, 100, 0, 97, 60)); // a late answer no longer repeats
        QCOMPARE(nextFrameSent(), frame(0x8F, 12));
    }

    void singleStepEndsAfterItsAnswer() {
        selectPage(PageIndex::Pump);
        form->Timer1Timer();
        pump->Button12->click();
        receive(frame(15, 1, 0x01, 100, 0, 101, 60));
        QCOMPARE(nextFrameSent(), frame(0x8F, 1));
        pump->Button10->click(); // ">" clears the run
        receive(frame(15, 1, 0x01, 100, 0, 102, 60));
        QCOMPARE(nextFrameSent(), frame(0x8F, 12));
    }

    void pumpIgnoresOtherBlocks() {
        selectPage(PageIndex::Pump);
        receive(frame(15, 12, 0x01, 100, 0, 10, 60));
        receive(frame(0, 12, 0x00, 0, 0, 0, 0));
        QCOMPARE(pump->Panel15->text(), QString("50"));
        QCOMPARE(pump->Chart2->history().writePosition(), 2);
        QCOMPARE(int(form->exchange.CommandFrame[0]), 0x8F);
    }

    void leavingAPageFreezesIt() {
        receive(frame(0, 12, 0x00, 0, 0, 0x88, 0x13));
        selectPage(PageIndex::Pump);
        receive(frame(0, 12, 0x10, 0, 0, 0x10, 0x14));
        QCOMPARE(base->Panel3->text(), QString("Контакт АКБ в норме"));
        QCOMPARE(base->Panel10->text(), QString("5000  мВ"));
        selectPage(PageIndex::Base);
        QCOMPARE(base->Chart1->history().writePosition(), 2);
    }

    void versionText() {
        QCOMPARE(PageFormat::version(0x23), QString("Версия 2.3"));
        QCOMPARE(PageFormat::version(0xFF), QString("Версия 15.15"));
        QCOMPARE(PageFormat::version(0x00), QString("Версия 0.0"));
    }

    void maskedIntegers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // -1: not a number
        QTest::newRow("plain") << "250" << 250;
        QTest::newRow("blanks around") << " 50 " << 50;
        QTest::newRow("empty") << "   " << -1;
        QTest::newRow("blank inside") << "2 5" << -1;
        QTest::newRow("letters") << "2a" << -1;
    }
    void maskedIntegers() {
        QFETCH(QString, text);
        QFETCH(int, value);
        std::optional<std::int32_t> got = PageFormat::integer(text);
        QCOMPARE(got.has_value(), value >= 0);
        if (got)
            QCOMPARE(*got, value);
        QCOMPARE(PageFormat::notAnInteger("2 5"), QString("'2 5' is not a valid integer value"));
    }
};

QTEST_MAIN(TestPages)
#include "test_pages.moc"
