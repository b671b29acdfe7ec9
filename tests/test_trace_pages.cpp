// The optical methane and oxygen pages inside the main window over a fake
// driver: their status rules, readings, frame traces, the oxygen block's front
// end and its picture. Everything is reached by object name and button.

#include "charts/StripChart.h"
#include "pages/IndicatorPanel.h"
#include "pages/RadioGroup.h"
#include "pages/TraceMemo.h"
#include "testsupport/WindowHarness.h"

#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

using Colour = IndicatorPanel::Colour;

class TestTracePages : public QObject, protected WindowHarness {
    Q_OBJECT

    void openPage(std::uint8_t kind, int page, const QString &pictures = ZE23_PICTURE_DIR) {
        startWindow({{"FT232R USB UART", "A50285BI"}});
        form->pictureFolder = pictures;
        openRow(0);
        identifyAs(kind);
        form->PageControl1->setCurrentIndex(page);
    }
    // Lets the entry sequence go out and its last reply start the poll.
    void settle(std::uint8_t block) {
        while (form->exchange.Sequence.pending())
            form->Timer1Timer();
        receive(frame(block, 4, 0x01));
    }
    template <class W = QLabel> W *w(const char *name) {
        W *found = form->findChild<W *>(name);
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }
    QString text(const char *name) { return w(name)->text(); }
    bool is(const char *name, const char *shown, Colour colour) {
        auto *p = w<IndicatorPanel>(name);
        return p->text() == QString::fromUtf8(shown) && p->colour() == IndicatorPanel::rgb(colour);
    }
    QList<int> codesSent(int n) {
        QList<int> codes;
        for (int i = 0; i < n; ++i)
            codes << nextFrameSent()[1];
        return codes;
    }
    void click(const char *name) { w<QPushButton>(name)->click(); }

  private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() {
        form.reset();
        QLocale::setDefault(QLocale::c());
    }

    void traceLine() {
        const Frame poll = sealed({0x8B, 0x0C, 0, 0, 0, 0, 0, 0});
        const Frame answer = sealed({0x0B, 0x0C, 0x81, 0xF4, 0x01, 0x00, 0x04, 0});
        QCOMPARE(TraceMemo::line(poll, answer),
                 QString("8B 0C 00 00 00 00 00 87       Ответ:  0B 0C 81 F4 01 00 04 77 "));
    }

    // The memo shows the newest lines, the file gets the five times as many
    // kept beside it, oldest first.
    void traceKeepsTheNewestLines() {
        TraceMemo memo("Memo", nullptr);
        const int traced = TraceMemo::KeptLines + 5;
        auto command = [](int i) {
            return Frame{0x8B, 0x0C, std::uint8_t(i & 0xFF), std::uint8_t(i >> 8), 0, 0, 0, 0};
        };
        const Frame answer{0x0B, 0x0C, 0x81};
        for (int i = 0; i < traced; ++i)
            memo.trace(command(i), answer);
        QCOMPARE(memo.document()->blockCount(), TraceMemo::ShownLines);
        QCOMPARE(memo.document()->firstBlock().text(),
                 TraceMemo::line(command(traced - TraceMemo::ShownLines), answer));
        const QStringList kept = memo.keptText().split('\n');
        QCOMPARE(kept.size(), TraceMemo::KeptLines + 1);
        QCOMPARE(kept.front(), TraceMemo::line(command(5), answer));
        QCOMPARE(kept[TraceMemo::KeptLines - 1], TraceMemo::line(command(traced - 1), answer));
        QCOMPARE(kept.back(), QString()); // the last line ended too
        QCOMPARE(memo.document()->lastBlock().text(), kept[TraceMemo::KeptLines - 1]);
    }

    // --- optical methane page ---

    void opticalStatus_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("readings"); // concentration and signal updated
        QTest::newRow("off") << 12 << 0x00 << true;
        QTest::newRow("on, thresholds") << 12 << 0x71 << true;
        QTest::newRow("set-up, settings error") << 12 << 0x85 << true;
        QTest::newRow("link error") << 12 << 0x03 << false;
        QTest::newRow("link error on 4") << 4 << 0x03 << false;
        QTest::newRow("reply to 4") << 4 << 0x01 << false;
        QTest::newRow("reply to 7") << 7 << 0x01 << true;
    }
    void opticalStatus() {
        QFETCH(int, code);
        QFETCH(int, status);
        QFETCH(bool, readings);
        openPage(5, PageIndex::OpticMethane);
        receive(frame(11, 12, 0x71, 0x10, 0x00, 0xD0, 0x07)); // alarms, 0.16 %, 2000
        receive(frame(11, std::uint8_t(code), std::uint8_t(status), 0x1F, 0, 0xE8, 0x03));
        const bool on = status & 1, link = status & 2;
        QVERIFY(is("Panel73", on ? "Сенсор включен" : "Сенсор выключен",
                   on ? Colour::Face : Colour::Red));
        QVERIFY(is("Panel76",
                   !on             ? ""
                   : status & 0x10 ? "Превышение порога 1"
                                   : "Нет превышения порога 1",
                   on && (status & 0x10) ? Colour::Red : Colour::Face));
        const bool alarm3 = on && (status & 0x40);
        QVERIFY(is("Panel74",
                   !on      ? ""
                   : alarm3 ? "Превышение порога 3"
                            : "Нет превышения порога 3",
                   alarm3 ? Colour::Red : Colour::Face));
        QVERIFY(is("Panel72", status & 0x80 ? "Режим настройки" : "Рабочий режим",
                   status & 0x80 ? Colour::Yellow : Colour::Face));
        QVERIFY(is("Panel71", status & 0x04 ? "Ошибка настройки" : "Настройки в норме",
                   status & 0x04 ? Colour::Yellow : Colour::Face));
        if (!link)
            QVERIFY(is("Panel70", "Связь в норме", Colour::Face));
        else if (code == 12)
            QVERIFY(is("Panel70", "Ошибка связи 1F", Colour::Yellow));
        else
            QVERIFY(is("Panel70", "Связь в норме", Colour::Face));
        QCOMPARE(text("Panel78"), QString(readings ? "1000" : "2000"));
        QCOMPARE(w<QLineEdit>("Edit8")->text(), QString(readings ? "  0.31" : "  0.16"));
        QCOMPARE(w<StripChart>("Chart9")->history().writePosition(),
                 readings && code == 12 ? 3 : 2);
    }

    void opticalSequenceTraceAndInterval() {
        openPage(5, PageIndex::OpticMethane);
        form->Timer1Timer();
        receive(frame(11, 9, 0x01, 0, 0, 0, 0x15));
        QCOMPARE(text("Panel77"), QString("Версия 1.5"));
        QCOMPARE(form->Timer1->interval(), 800);
        receive(frame(11, 12, 0x01, 0xFF, 0xFF, 0, 0));
        QCOMPARE(w<QLineEdit>("Edit8")->text(), QString("  -0.01"));
        click("Button71");
        QList<int> codes;
        for (int code : {9, 13, 3, 4}) {
            codes << nextFrameSent()[1];
            receive(frame(11, std::uint8_t(code), 0x01));
        }
        QCOMPARE(codes, (QList<int>{9, 13, 3, 4}));
        QCOMPARE(nextFrameSent(), frame(0x8B, 12));
        QCOMPARE(w<TraceMemo>("Memo1")->document()->lastBlock().text(),
                 TraceMemo::line(sealed({0x8B, 4, 0, 0, 0, 0, 0, 0}),
                                 sealed({0x0B, 4, 0x01, 0, 0, 0, 0, 0})));
        click("Button73");
        QCOMPARE(nextFrameSent(), frame(0x8B, 8));
        form->PageControl1->setCurrentIndex(PageIndex::Base);
        receive(frame(0, 12));
        QCOMPARE(form->Timer1->interval(), 350);
    }

    // --- oxygen page ---

    void oxygenStatus_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("texts"); // Panel82, 85, 86, 87, 88, 90
        QTest::newRow("0x70") << 0x70 << QStringList{"Рабочий режим",       "Настройки в норме",
                                                     "Превышение порога 3", "Превышение порога 2",
                                                     "Превышение порога 1", "Температура в норме"};
        QTest::newRow("0xF0") << 0xF0
                              << QStringList{"Режим настройки",    "Настройки в норме", "", "", "",
                                             "Температура в норме"};
        QTest::newRow("0x05") << 0x05
                              << QStringList{"Рабочий режим",      "Ошибка настройки", "", "", "",
                                             "Ошибка термосенсора"};
    }
    void oxygenStatus() {
        QFETCH(int, status);
        QFETCH(QStringList, texts);
        openPage(7, PageIndex::Oxygen);
        receive(frame(22, 12, 0x70));
        receive(frame(22, 12, std::uint8_t(status)));
        const char *names[] = {"Panel82", "Panel85", "Panel86", "Panel87", "Panel88", "Panel90"};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(text(names[i]), texts[i]);
            const bool alarm =
                texts[i].startsWith("Превышение") || texts[i] == "Ошибка термосенсора";
            const bool attention = texts[i] == "Режим настройки" || texts[i] == "Ошибка настройки";
            QCOMPARE(w<IndicatorPanel>(names[i])->colour(),
                     IndicatorPanel::rgb(alarm       ? Colour::Red
                                         : attention ? Colour::Yellow
                                                     : Colour::Face));
        }
    }

    void oxygenReadings() {
        openPage(7, PageIndex::Oxygen);
        settle(22);
        receive(frame(22, 12, 0, 0xFF, 0xFF, 60, 100));
        QCOMPARE(text("Panel81"), QString("t = 25 °C   k=100.0 %"));
        QCOMPARE(text("Panel83"), QString("-0.1 %"));
        receive(frame(22, 1, 0, 0xD1, 0x00, 0x39, 0x30));
        QCOMPARE(text("Panel80"), QString("Usens = 1234  мВ"));
        QCOMPARE(text("Panel83"), QString("20.9 %"));
        QCOMPARE(w<StripChart>("Chart10")->series()->at(199).y(), 1234.0);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        receive(frame(22, 2, 0, 125, 0, 0xFD, 0xFF));
        QCOMPARE(w<QLineEdit>("Edit9")->text(), QString("  12,5"));
        QCOMPARE(w<QLineEdit>("Edit10")->text(), QString("  -0,3"));
        receive(frame(22, 12, 0, 0xD1, 0x00, 90, 95));
        QCOMPARE(text("Panel81"), QString("t = -5 °C   k=99,5 %"));
        receive(frame(22, 4, 0, 0xB4, 0x00, 0x0F, 0x27));
        QCOMPARE(w<QLineEdit>("MaskEdit15")->text(), QString("180"));
        QCOMPARE(w<QLineEdit>("MaskEdit16")->text(), QString("9999"));
    }

    void oxygenPollsInTurn() {
        openPage(7, PageIndex::Oxygen);
        QCOMPARE(codesSent(4), (QList<int>{9, 2, 3, 4}));
        receive(frame(22, 4, 0));
        QCOMPARE(codesSent(3), (QList<int>{12, 1, 1}));
        receive(frame(22, 12, 0)); // no new sequence for the poll's own reply
        receive(frame(22, 1, 0));
        QCOMPARE(codesSent(2), (QList<int>{12, 1}));
        receive(frame(21, 1, 0)); // another block's reply is only traced
        QCOMPARE(w<TraceMemo>("Memo2")->document()->blockCount(), 4);
    }

    void frontEnd() {
        openPage(7, PageIndex::Oxygen);
        click("Button75"); // nothing known yet: refused
        QCOMPARE(messages.errors.size(), 1);
        QVERIFY(!form->exchange.Sequence.pending() || nextFrameSent()[1] == 9);
        settle(22);
        receive(frame(22, 9, 0, 0x21, 0x0E, 0x36, 0x85)); // mode 5: the mode stays unknown
        QCOMPARE(text("Panel84"), QString("Версия 2.1"));
        QCOMPARE(w<RadioGroup>("RadioGroup7")->itemIndex(), 1);
        QCOMPARE(w<RadioGroup>("RadioGroup8")->itemIndex(), -1);
        receive(frame(22, 32, 0, 0x01, 0x00, 0x00, 0x03)); // not ready: nothing loaded
        QCOMPARE(text("Panel79"), QString("Статус: НЕ ГОТОВ"));
        QCOMPARE(w<RadioGroup>("RadioGroup8")->itemIndex(), -1);
        receive(frame(22, 33, 0, 0x12, 0x0E, 0x36, 0x03)); // ready, unknown status text
        QCOMPARE(text("Panel79"), QString("Статус: НЕ ГОТОВ"));
        QCOMPARE(w<RadioGroup>("RadioGroup7")->itemIndex(), 0);
        QCOMPARE(w<RadioGroup>("RadioGroup8")->itemIndex(), 3);
        form->exchange.CommandFrame[3] = 0x77;
        click("Button75");
        QCOMPARE(nextFrameSent(), frame(0x96, 33, 0, 0x77, 0x0E, 0x36, 0x03));
        QCOMPARE(w<RadioGroup>("RadioGroup1")->items().first(), QString("10 Oм"));
        QCOMPARE(w<RadioGroup>("RadioGroup4")->items().last(), QString("67% "));
    }

    void oxygenCommands() {
        openPage(7, PageIndex::Oxygen);
        settle(22);
        const std::pair<const char *, QList<int>> buttons[] = {
            {"Button74", {32}},    {"Button77", {16, 9}},   {"Button78", {6}},
            {"Button79", {7}},     {"Button82", {2, 3, 4}}, {"Button83", {14, 2}},
            {"Button84", {15, 2}}, {"Button85", {2}}}; // defaults change no frame
        for (const auto &[button, codes] : buttons) {
            click(button);
            QCOMPARE(codesSent(int(codes.size())), codes);
        }
        QCOMPARE(w<QLineEdit>("MaskEdit13")->text(), QString("210"));
        QCOMPARE(w<QLineEdit>("MaskEdit16")->text(), QString("250"));
        w<QLineEdit>("MaskEdit14")->setText("20");
        click("Button80");
        receive(frame(22, 1, 0)); // a reply before the tick keeps the write's bytes
        QCOMPARE(nextFrameSent(), frame(0x96, 10, 0, 0xD2, 0x00, 0x14, 0x00));
        receive(frame(22, 10, 0)); // the polls after it carry none of its bytes
        QCOMPARE(nextFrameSent(), frame(0x96, 12, 0, 0, 0, 0, 0));
        w<QLineEdit>("MaskEdit16")->setText("");
        click("Button81");
        QCOMPARE(messages.errors, QStringList{"'' is not a valid integer value"});
        QVERIFY(nextFrameSent()[1] != 11);
        click("Button76");
        QVERIFY(w<QWidget>("Image1")->isVisibleTo(form.get()));
        QVERIFY(!w<QWidget>("Chart10")->isVisibleTo(form.get()));
        click("Button76");
        QVERIFY(w<QWidget>("Chart10")->isVisibleTo(form.get()));
    }

    void frontEndPicture() {
        QTemporaryDir empty;
        openPage(7, PageIndex::Oxygen, empty.path());
        QCOMPARE(messages.errors.size(), 1);
        QVERIFY(messages.errors[0].contains("LMP91000.bmp"));
        QCOMPARE(codesSent(1), QList<int>{9}); // the block is read all the same
        form->PageControl1->setCurrentIndex(PageIndex::Base);
        form->PageControl1->setCurrentIndex(PageIndex::Oxygen);
        QCOMPARE(messages.errors.size(), 1);
        form->pictureFolder = ZE23_PICTURE_DIR;
        form->PageControl1->setCurrentIndex(PageIndex::Base);
        form->PageControl1->setCurrentIndex(PageIndex::Oxygen);
        QVERIFY(!w("Image1")->pixmap().isNull());
    }
};

QTEST_MAIN(TestTracePages)
#include "test_trace_pages.moc"
