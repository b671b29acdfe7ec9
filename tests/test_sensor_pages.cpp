// The sensor pages inside the main window over a fake driver. The shared
// thermocatalytic part is tested on the TKS page; the other pages only for
// what sets them apart. Everything is reached by object name and button.

#include "charts/StripChart.h"
#include "pages/IndicatorPanel.h"
#include "pages/ValueField.h"
#include "testsupport/WindowHarness.h"

#include <QGroupBox>
#include <QLineSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using Colour = IndicatorPanel::Colour;

class TestSensorPages : public QObject, protected WindowHarness {
    Q_OBJECT

    // Opens an instrument of `kind`, shows `page` as the technician would and
    // lets its opening sequence go out.
    void openPage(std::uint8_t kind, int page) {
        startWindow({{"FT232R USB UART", "A50285BI"}});
        openRow(0);
        identifyAs(kind);
        form->PageControl1->setCurrentIndex(page);
        while (form->exchange.Sequence.pending())
            form->Timer1Timer();
    }
    template <class W = QWidget> W *w(const char *name) {
        W *found = form->findChild<W *>(name);
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }
    QString text(const char *name) {
        if (auto *box = form->findChild<QGroupBox *>(name))
            return box->title();
        if (auto *edit = form->findChild<QLineEdit *>(name))
            return edit->text();
        return w<QLabel>(name)->text();
    }
    void click(const char *name) { w<QPushButton>(name)->click(); }
    // Byte 1 of the frames the next `n` transmit ticks send.
    QList<int> codesSent(int n) {
        QList<int> codes;
        for (int i = 0; i < n; ++i)
            codes << nextFrameSent()[1];
        return codes;
    }
    void type(const char *field, const QString &value) { w<QLineEdit>(field)->setText(value); }

  private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() {
        form.reset();
        QLocale::setDefault(QLocale::c());
    }

    void everyWidgetCarriesItsName_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("names");
        QTest::newRow("ТКС") << 1 << 3
                             << "GroupBox11 GroupBox12 GroupBox13 Edit5 Edit6 Edit7 Panel30 "
                                "Label2 Label3 Label4 Label5 Label6 Label7 Chart3 Series3";
        QTest::newRow("ПГС") << 4 << 4
                             << "GroupBox14 GroupBox15 GroupBox16 Label8 Label9 Chart4 Series4";
        QTest::newRow("ТКС+ПГС") << 2 << 5
                                 << "GroupBox17 GroupBox18 GroupBox19 GroupBox20 Edit1 Edit2 "
                                    "Panel43 Label10 Label15 Chart5 Series5 Chart6 Series6";
        QTest::newRow("водород") << 3 << 6
                                 << "GroupBox21 GroupBox22 GroupBox23 GroupBox24 Edit3 Edit4 "
                                    "Panel69 Label16 Label21 Chart7 LineSeries1 Chart8 LineSeries2";
        const auto range = [](const char *prefix, int from, int to) {
            QStringList names;
            for (int i = from; i <= to; ++i)
                names << prefix + QString::number(i);
            return names.join(' ');
        };
        QTest::newRow("numbered") << 1 << 3
                                  << range("Panel", 21, 69) + " " + range("Button", 14, 70) + " " +
                                         range("MaskEdit", 1, 12);
    }
    void everyWidgetCarriesItsName() {
        QFETCH(int, kind);
        QFETCH(int, page);
        QFETCH(QString, names);
        openPage(std::uint8_t(kind), page);
        // A sensor page is made when an instrument with its block is first
        // identified: the names span four of them.
        for (std::uint8_t other : {1, 4, 2, 3})
            identifyAs(other);
        for (const QString &name : names.split(' '))
            QVERIFY2(form->findChild<QObject *>(name), qPrintable(name));
        QCOMPARE(w<QPushButton>("Button26")->text(), QString("Подстройка \"0\""));
        QCOMPARE(text("GroupBox13"), QString("Концентроция, %"));
        QCOMPARE(w<StripChart>("Chart3")->title(),
                 QString("Напряжение на средней точке сенсора, мB"));
    }

    // The shared thermocatalytic indicators, on the TKS page.
    void catalyticStatus_data() {
        QTest::addColumn<QList<int>>("statuses");
        QTest::addColumn<QStringList>("texts"); // Panel21 to Panel27, then the gas
        QTest::addColumn<QList<int>>("colours");
        const int F = int(Colour::Face), Y = int(Colour::Yellow), R = int(Colour::Red);
        QTest::newRow("on, all well") << QList<int>{0x01}
                                      << QStringList{"Сенсор включен",
                                                     "Рабочий режим",
                                                     "Настройки в норме",
                                                     "Сенсор в норме",
                                                     "Нет превышения порога откл.",
                                                     "Нет превышения порога 2",
                                                     "Нет превышения порога 1",
                                                     "МЕТАН"}
                                      << QList<int>{F, F, F, F, F, F, F};
        QTest::newRow("0x33") << QList<int>{0x33}
                              << QStringList{"Сенсор включен",
                                             "Рабочий режим",
                                             "Настройки в норме",
                                             "Сенсор в норме",
                                             "Нет превышения порога откл.",
                                             "Превышение порога 2",
                                             "Превышение порога 1",
                                             "ПРОПАН"}
                              << QList<int>{F, F, F, F, F, R, R};
        QTest::newRow("everything set")
            << QList<int>{0xFF} << QStringList{"Сенсор включен",          "Режим настройки",
                                               "Ошибка настройки",        "КЗ или обрыв сенсора",
                                               "Превышение порога откл.", "Превышение порога 2",
                                               "Превышение порога 1",     "ПРОПАН"}
            << QList<int>{F, Y, Y, R, R, R, R};
        QTest::newRow("switched off after alarms")
            << QList<int>{0x71, 0x00} << QStringList{"Сенсор выключен",
                                                     "Рабочий режим",
                                                     "Настройки в норме",
                                                     "Сенсор в норме",
                                                     "",
                                                     "",
                                                     "",
                                                     "МЕТАН"}
            << QList<int>{R, F, F, F, R, R, R};
    }
    void catalyticStatus() {
        QFETCH(QList<int>, statuses);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, colours);
        openPage(1, 3);
        for (int status : statuses)
            receive(frame(3, 12, std::uint8_t(status)));
        for (int i = 0; i < 7; ++i) {
            QByteArray name = "Panel" + QByteArray::number(21 + i);
            QCOMPARE(text(name), texts[i]);
            QCOMPARE(w<IndicatorPanel>(name)->colour(), IndicatorPanel::rgb(Colour(colours[i])));
        }
        QCOMPARE(text("GroupBox12"), texts[7]);
    }

    void catalyticReplies_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("changed"); // the widgets the reply writes
        QTest::newRow("voltages") << 2 << "Edit5 Edit6";
        QTest::newRow("calibration gas") << 3 << "MaskEdit1 MaskEdit2";
        QTest::newRow("thresholds") << 4 << "MaskEdit3 MaskEdit4";
        QTest::newRow("on") << 9 << "Panel28";
        QTest::newRow("poll") << 12 << "Edit7 Panel29 Chart3";
        QTest::newRow("gas choice") << 1 << "Edit7 Panel29 Chart3";
        QTest::newRow("save") << 7 << "Edit7 Panel29 Chart3";
        QTest::newRow("unknown") << 99 << "Edit7 Panel29 Chart3";
        QTest::newRow("zero") << 5 << "";
        QTest::newRow("reset") << 16 << "";
    }
    void catalyticReplies() {
        QFETCH(int, code);
        QFETCH(QString, changed);
        openPage(1, 3);
        receive(frame(3, std::uint8_t(code), 0x01, 0xD2, 0x04, 0x32, 0x00));
        const char *readers[] = {"Edit5",     "Edit6",   "MaskEdit1", "MaskEdit2", "MaskEdit3",
                                 "MaskEdit4", "Panel28", "Edit7",     "Panel29"};
        for (const char *name : readers)
            QCOMPARE(!text(name).isEmpty(), changed.split(' ').contains(name));
        QCOMPARE(w<StripChart>("Chart3")->history().writePosition() > 1,
                 changed.contains("Chart3"));
        if (code == 2)
            QCOMPARE(text("Edit5"), QString("  123.4"));
        if (code == 9)
            QCOMPARE(text("Panel28"), QString("Версия 0.0"));
    }

    void catalyticReadings() {
        openPage(1, 3);
        receive(frame(3, 12, 0x01, 0x9C, 0xFF, 0xA8, 0x61));
        QCOMPARE(text("Edit7"), QString("  -1"));
        QCOMPARE(text("Panel29"), QString("2500  мВ"));
        receive(frame(3, 12, 0x81, 0x9C, 0xFF, 0xFF, 0xFF)); // set-up mode
        QCOMPARE(text("Edit7"), QString(" XXXX"));
        QCOMPARE(w<StripChart>("Chart3")->series()->at(199).y(), 6553.5);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        receive(frame(3, 12, 0x01, 0xD2, 0x04, 0x39, 0x30)); // 12.34 %, 1234.5 mV
        QCOMPARE(text("Edit7"), QString("  12,34"));
        QCOMPARE(text("Panel29"), QString("1234,5  мВ"));
        receive(frame(3, 12, 0x81, 0, 0, 0, 0)); // a reply of another block changes nothing
        receive(frame(8, 12, 0x00, 0, 0, 0, 0));
        QCOMPARE(text("Panel21"), QString("Сенсор включен"));
    }

    void catalyticCommands_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("ВКЛ.") << "Button14" << QList<int>{9, 2, 3, 4};
        QTest::newRow("ОТКЛ.") << "Button15" << QList<int>{8, 8};
        QTest::newRow("Режим настройки") << "Button16" << QList<int>{6, 6};
        QTest::newRow("Выбор газа") << "Button23" << QList<int>{1, 2, 3, 4};
        QTest::newRow("Подстройка 0") << "Button26" << QList<int>{5, 2, 3, 4};
        QTest::newRow("СБРОС") << "Button24" << QList<int>{16, 2, 3, 4};
        QTest::newRow("Сохранение") << "Button25" << QList<int>{7, 7};
        QTest::newRow("Чтение") << "Button28" << QList<int>{2, 3, 4};
        QTest::newRow("U воздуха") << "Button30" << QList<int>{15, 2};
        QTest::newRow("U газа") << "Button31" << QList<int>{14, 2};
        QTest::newRow("defaults send nothing") << "Button29" << QList<int>{12};
    }
    void catalyticCommands() {
        QFETCH(QString, button);
        QFETCH(QList<int>, codes);
        openPage(1, 3);
        receive(frame(3, 4, 0x01)); // the last entry code answered: polling again
        click(qPrintable(button));
        QCOMPARE(codesSent(int(codes.size())), codes);
        QCOMPARE(int(driver.written()[0]), 0x83);
    }

    void zeroAdjustmentNeedsTheSensorOn() {
        openPage(1, 3);
        receive(frame(3, 4, 0x00));
        click("Button26");
        receive(frame(0, 12, 0x01)); // not from the block
        click("Button26");
        QCOMPARE(codesSent(1), QList<int>{12});
    }

    void thresholdWrites_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("fields"); // upper pair, "Применить", lower pair, "Применить"
        QTest::addColumn<int>("between"); // a reply decoded between the click and the tick
        QTest::newRow("ТКС") << 3 << "MaskEdit1 MaskEdit2 Button27 MaskEdit3 MaskEdit4 Button32"
                             << 2;
        QTest::newRow("ТКС+ПГС") << 5 << "MaskEdit5 MaskEdit6 Button47 MaskEdit7 MaskEdit8 Button48"
                                 << 21;
    }
    void thresholdWrites() {
        QFETCH(int, page);
        QFETCH(QString, fields);
        QFETCH(int, between);
        const QStringList n = fields.split(' ');
        const std::uint8_t block = page == 3 ? 3 : 20;
        openPage(page == 3 ? 1 : 2, page);
        // A field that is no number: the message, and nothing in the frame.
        type(qPrintable(n[0]), "25");
        type(qPrintable(n[1]), "");
        click(qPrintable(n[2]));
        w<QLineEdit>(qPrintable(n[0]))->setCursorPosition(0);
        QTest::keyClicks(w<QLineEdit>(qPrintable(n[0])), "2 5");
        click(qPrintable(n[2]));
        QCOMPARE(messages.errors, (QStringList{"'' is not a valid integer value",
                                               "'2 5' is not a valid integer value"}));
        QVERIFY(nextFrameSent()[1] != 10);
        // A value read back that the field cannot hold is shown whole, and refused.
        receive(frame(block, 4, 0x01, 0x9C, 0xFF, 0xD2, 0x04));
        QCOMPARE(text(qPrintable(n[3])), QString("-100"));
        QCOMPARE(text(qPrintable(n[4])), QString("1234"));
        QVERIFY(w<ValueField>(qPrintable(n[3]))->outOfRange());
        click(qPrintable(n[5]));
        QCOMPARE(messages.errors.size(), 3);
        QVERIFY(nextFrameSent()[1] != 11);
        auto *typedOver = w<ValueField>(qPrintable(n[3]));
        typedOver->selectAll();
        QTest::keyClicks(typedOver, "120");
        QTest::keyClick(typedOver, Qt::Key_Return);
        QCOMPARE(typedOver->text(), QString("120"));
        QVERIFY(!typedOver->outOfRange());
        // A good write keeps its values through a reply that reloads the poll.
        type(qPrintable(n[1]), "50");
        type(qPrintable(n[0]), "250");
        click(qPrintable(n[2]));
        receive(frame(block, std::uint8_t(between), 0x01));
        QCOMPARE(nextFrameSent(), frame(0x80 | block, 10, 0, 0xFA, 0x00, 0x32, 0x00));
        QCOMPARE(messages.errors.size(), 3);
    }

    void directCodesGiveWayToARunningSequence_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("ТКС: the code is lost") << 3 << QList<int>{9, 2, 3};
        QTest::newRow("ТКС+ПГС: the sequence is replaced") << 5 << QList<int>{8, 8, 8};
    }
    void directCodesGiveWayToARunningSequence() {
        QFETCH(int, page);
        QFETCH(QList<int>, codes);
        openPage(page == 3 ? 1 : 2, page);
        click(page == 3 ? "Button14" : "Button42");
        click(page == 3 ? "Button15" : "Button43");
        QCOMPARE(codesSent(3), codes);
    }

    void defaults_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("status"); // -1: the block has not answered
        QTest::addColumn<QString>("values");
        QTest::newRow("метан") << 3 << 0x01 << "250 50 100 500";
        QTest::newRow("пропан") << 3 << 0x03 << "100 20 40 200";
        QTest::newRow("gas unknown") << 3 << -1 << "   ";
        QTest::newRow("водород") << 6 << -1 << "200 40 80 400";
        QTest::newRow("водород, any status") << 6 << 0x03 << "200 40 80 400";
    }
    void defaults() {
        QFETCH(int, page);
        QFETCH(int, status);
        QFETCH(QString, values);
        openPage(page == 3 ? 1 : 3, page);
        if (status >= 0)
            receive(frame(page == 3 ? 3 : 21, 12, std::uint8_t(status)));
        click(page == 3 ? "Button29" : "Button66");
        const int first = page == 3 ? 1 : 9;
        QStringList shown;
        for (int i = 0; i < 4; ++i)
            shown
                << w<QLineEdit>(qPrintable("MaskEdit" + QString::number(first + i)))->displayText();
        QCOMPARE(shown.join(' ').simplified(), values.simplified());
        if (page == 6)
            QCOMPARE(text("GroupBox24"), QString("Водород"));
    }

    // The two-sensor pages: reversed status order, the semiconductor sensor,
    // and the alternating polls.
    void twoSensorPage_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("names"); // power, circuit, ПГС power, ПГС circuit, ПГС value
        QTest::newRow("ТКС+ПГС") << 5 << "Panel45 Panel48 Panel56 Panel57 Panel53 Chart5 Chart6";
        QTest::newRow("водород") << 6 << "Panel44 Panel59 Panel67 Panel68 Panel66 Chart7 Chart8";
    }
    void twoSensorPage() {
        QFETCH(int, page);
        QFETCH(QString, names);
        const QStringList n = names.split(' ');
        const std::uint8_t block = page == 5 ? 20 : 21;
        const std::uint8_t address = 0x80 | block;
        openPage(page == 5 ? 2 : 3, page);
        receive(frame(block, 12, 0x09, 0, 0, 0x39, 0x30));
        QCOMPARE(text(qPrintable(n[0])), QString("Сенсор включен"));
        QCOMPARE(text(qPrintable(n[1])), QString("КЗ или обрыв сенсора"));
        form->exchange.CommandFrame[3] = 0x55;
        QCOMPARE(nextFrameSent(), frame(address, 21, 0, 0x55));
        receive(frame(block, 21, 0x09, 0, 0, 0x00, 0x80));
        QCOMPARE(nextFrameSent(), frame(address, 12));
        QCOMPARE(text(qPrintable(n[2])), QString("Сенсор включен"));
        QCOMPARE(text(qPrintable(n[3])), QString("КЗ или обрыв сенсора"));
        QCOMPARE(w<IndicatorPanel>(qPrintable(n[3]))->colour(), IndicatorPanel::rgb(Colour::Red));
        QCOMPARE(text(qPrintable(n[4])), QString("  -3276.8"));
        QCOMPARE(w<StripChart>(qPrintable(n[6]))->series()->at(199).y(), 3276.8);
        QCOMPARE(w<StripChart>(qPrintable(n[5]))->history().writePosition(), 2);
        // The other two-sensor block's replies change nothing here.
        receive(frame(block ^ 1, 21, 0x00));
        QCOMPARE(text(qPrintable(n[2])), QString("Сенсор включен"));
        click(page == 5 ? "Button55" : "Button58");
        QCOMPARE(codesSent(2), (QList<int>{18, 21}));
        click(page == 5 ? "Button56" : "Button59");
        QCOMPARE(codesSent(1), QList<int>{20});
    }

    void pgsPage() {
        openPage(4, 4);
        receive(frame(8, 12, 0x31, 0xD2, 0x04, 0x10, 0x00));
        QCOMPARE(text("Panel31"), QString("308.5  мВ"));
        QCOMPARE(text("Panel41"), QString("  16"));
        QCOMPARE(text("Panel37"), QString("Превышение порога 1"));
        receive(frame(8, 12, 0x06, 0, 0, 0, 0));
        QCOMPARE(text("GroupBox14"), QString("ПРОПАН"));
        QCOMPARE(text("Panel35"), QString("Ошибка настройки"));
        QCOMPARE(text("Panel37"), QString());
        QCOMPARE(w<IndicatorPanel>("Panel37")->colour(), IndicatorPanel::rgb(Colour::Red));
        QCOMPARE(text("Panel41"), QString(" XXXX"));
        receive(frame(8, 4, 0x01, 0xFF, 0xFF, 0x2C, 0x01));
        QCOMPARE(text("Panel38"), QString("-1"));
        QCOMPARE(text("Panel39"), QString("300"));
        QCOMPARE(w<StripChart>("Chart4")->history().writePosition(), 3);
        receive(frame(8, 6, 0x81, 4, 0, 0, 0)); // the reply to 6 carries readings here
        QCOMPARE(text("Panel31"), QString("1  мВ"));
        const std::pair<const char *, QList<int>> buttons[] = {
            {"Button35", {9}},    {"Button36", {8}},     {"Button37", {6}},
            {"Button41", {1, 4}}, {"Button38", {11, 4}}, {"Button39", {10, 4}},
            {"Button40", {4}},    {"Button33", {7}},     {"Button34", {16}}};
        for (const auto &[button, codes] : buttons) {
            click(button);
            QCOMPARE(codesSent(int(codes.size())), codes);
        }
    }
};

QTEST_MAIN(TestSensorPages)
#include "test_sensor_pages.moc"
