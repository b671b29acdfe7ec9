// The sensor history window over a journal made in a temporary folder: what it
// shows for an instrument (charts, the table of points, the verdict in red or
// not), and the buttons that open it from the base page and the journal
// window, with the base page's own word on an ageing sensor.

#include "RecordSample.h"
#include "pages/BasePage.h"
#include "records/RecordStore.h"
#include "testsupport/WindowHarness.h"
#include "ui/CalibrationHandler.h"
#include "ui/SensorHistoryHandler.h"
#include "workshop/JournalWindow.h"
#include "workshop/SensorHistoryWindow.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A catalytic record left with U air `air` and U gas `gas` (tenths of a mV)
// in the sample's 2,50 % methane.
CalibrationRecord catalytic(int serial, std::string when, int air, int gas,
                            CalibrationOutcome outcome = CalibrationOutcome::Adjusted) {
    CalibrationRecord r = sampleRecord(serial, std::move(when));
    r.outcome = outcome;
    r.points = {{"U воздух, мВ", 10, air + 5, air}, {"U газ, мВ", 10, gas - 20, gas}};
    return r;
}
} // namespace

class TestSensorHistoryWindow : public QObject, WindowHarness {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    QString path() const { return dir->filePath("records.sqlite"); }

    void keep(const std::vector<CalibrationRecord> &records) {
        RecordStore store;
        QVERIFY(store.open(path(), nullptr));
        for (const CalibrationRecord &r : records)
            QVERIFY(store.add(r, nullptr));
    }
    static QList<QLineSeries *> lines(QChartView *view) {
        QList<QLineSeries *> out;
        for (QAbstractSeries *s : view->chart()->series())
            out << static_cast<QLineSeries *>(s);
        return out;
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        // As on a Russian desk: the window writes decimals in the program's locale.
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        // 23101 ages from 12 mV/% to 5,4 (45 %); 23102 stays sound; 23103 is
        // optical; an interrupted one of 23101 is in the table, not the charts.
        CalibrationRecord optical = sampleRecord(23103, "2026-05-01T10:00:00");
        optical.block = 11;
        optical.points.clear();
        keep({catalytic(23101, "2025-01-10T10:00:00", 4100, 4400),
              catalytic(23102, "2025-02-10T10:00:00", 4000, 4300),
              catalytic(23101, "2025-07-10T10:00:00", 4105, 4300),
              catalytic(23101, "2025-09-10T10:00:00", 4105, 4105, CalibrationOutcome::Interrupted),
              catalytic(23102, "2026-02-10T10:00:00", 4010, 4290), optical,
              catalytic(23101, "2026-01-10T10:00:00", 4110, 4245)});
        messages.clear();
    }
    void cleanup() { form.reset(); }

    void showsAnInstrument_data() {
        QTest::addColumn<int>("serial");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<bool>("red");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("plotted");
        QTest::newRow("ageing") << 23101
                                << "Датчик близок к концу ресурса. Чувствительность датчика упала "
                                   "до 45 % от первой калибровки (порог 50 %)."
                                << true << 4 << 3;
        QTest::newRow("sound") << 23102
                               << "Датчик в норме. Чувствительность — 93 % от первой "
                                  "калибровки, ноль ушёл на 1,0 мВ."
                               << false << 2 << 2;
        QTest::newRow("optical")
            << 23103
            << "Блок этого прибора не хранит точек настройки датчика: ресурс датчика по ним не "
               "оценивается."
            << false << 1 << 0;
        QTest::newRow("no records")
            << 23999 << "Калибровок этого прибора в журнале нет." << false << 0 << 0;
    }
    void showsAnInstrument() {
        QFETCH(int, serial);
        QFETCH(QString, verdict);
        QFETCH(bool, red);
        QFETCH(int, rows);
        QFETCH(int, plotted);
        SensorHistoryWindow window;
        window.setRecordsPath(path());
        window.showSerial(serial);
        QCOMPARE(window.sensorHealthLabel->text(), verdict);
        QCOMPARE(window.sensorHealthLabel->palette().color(QPalette::WindowText) ==
                     QColor(0xFF, 0, 0),
                 red);
        QCOMPARE(window.pointsTable->rowCount(), rows);
        const QList<QLineSeries *> sensitivity = lines(window.sensitivityChart);
        if (plotted == 0) {
            QVERIFY(sensitivity.isEmpty());
            return;
        }
        // The values, then the limit across the whole time shown.
        QCOMPARE(sensitivity.size(), 2);
        QCOMPARE(sensitivity[0]->count(), plotted);
        QCOMPARE(sensitivity[0]->at(0).y(), 12.0);
        QCOMPARE(sensitivity[1]->at(0).y(), 6.0);
        QCOMPARE(sensitivity[1]->at(1).y(), 6.0);
        QVERIFY(sensitivity[1]->at(0).x() < sensitivity[0]->at(0).x());
        QVERIFY(sensitivity[1]->at(1).x() > sensitivity[0]->at(plotted - 1).x());
        // The time shown is the calibrations' (a day either side), not the limits'.
        const auto *time = qobject_cast<QDateTimeAxis *>(
            window.sensitivityChart->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(time);
        const QDateTime firstDay =
            QDateTime::fromMSecsSinceEpoch(qint64(sensitivity[0]->at(0).x()));
        QCOMPARE(time->min(), firstDay.addDays(-1));
        // The zero and its limits either side of the first one (10,0 mV).
        const QList<QLineSeries *> zero = lines(window.zeroChart);
        QCOMPARE(zero.size(), 3);
        QCOMPARE(zero[1]->at(0).y(), zero[0]->at(0).y() + 10.0);
        QCOMPARE(zero[2]->at(0).y(), zero[0]->at(0).y() - 10.0);
    }

    // Every decimal the window writes (the verdict, the table, the legends and
    // the value axes) takes the locale's decimal point, as the pages do.
    void decimalsFollowTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia);
    }
    void decimalsFollowTheLocale() {
        QFETCH(QLocale, locale);
        const QLocale before;
        QLocale::setDefault(locale);
        SensorHistoryWindow window;
        window.setRecordsPath(path());
        window.showSerial(23102);
        QLocale::setDefault(before);
        const QString point = locale.decimalPoint();
        const QString other = point == "," ? "." : ",";
        QStringList texts{window.sensorHealthLabel->text()};
        for (int row = 0; row < window.pointsTable->rowCount(); ++row)
            for (int column = 0; column < window.pointsTable->columnCount(); ++column)
                if (column != 1) // the date
                    texts << window.pointsTable->item(row, column)->text();
        for (QChartView *view : {window.sensitivityChart, window.zeroChart}) {
            QVERIFY(view->chart()->localizeNumbers());
            QCOMPARE(view->chart()->locale().decimalPoint(), point);
            for (QAbstractSeries *s : view->chart()->series())
                texts << s->name();
        }
        const QRegularExpression right("\\d" + QRegularExpression::escape(point) + "\\d");
        const QRegularExpression wrong("\\d" + QRegularExpression::escape(other) + "\\d");
        int decimals = 0;
        for (const QString &t : texts) {
            QVERIFY2(!wrong.match(t).hasMatch(), qPrintable(t));
            decimals += right.match(t).hasMatch();
        }
        // The verdict, both points and the two columns of each row, the zero's limits.
        QVERIFY2(decimals >= 8, qPrintable(texts.join(" | ")));
    }

    void aJournalNotMadeStaysUnmade() {
        SensorHistoryWindow window;
        const QString missing = dir->filePath("none.sqlite");
        window.setRecordsPath(missing);
        window.showSerial(23101);
        QCOMPARE(window.pointsTable->rowCount(), 0);
        QVERIFY(!QFile::exists(missing));
    }

    void openedFromBasePageAndJournal() {
        startWindow({{"FT232R USB UART", "A50285BI"}});
        form->calibration()->setRecordsPath(path());
        SensorHistoryWindow *history = form->calibration()->sensorHistory()->window();
        auto *button = form->basePage->findChild<QPushButton *>("sensorHistoryButton");
        QVERIFY(button);
        openRow(0);
        identifyAs(1, 23101);
        QLabel *last = form->calibration()->lastCalibrationLabel();
        QVERIFY2(last->text().endsWith("Датчик близок к концу ресурса."), qPrintable(last->text()));
        QVERIFY(last->toolTip().startsWith("Чувствительность датчика упала до 45 %"));
        QCOMPARE(last->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
        button->click();
        QVERIFY(history->isVisible());
        QCOMPARE(history->serial(), 23101);
        history->close();

        JournalWindow *journal = form->calibration()->journal();
        form->calibration()->openJournal(23102);
        QVERIFY(!journal->shownRecords().empty());
        journal->sensorHistoryButton->click();
        QVERIFY(history->isVisible());
        QCOMPARE(history->serial(), 23102);
    }

    // A sound sensor adds nothing to the base page.
    void aSoundSensorLeavesTheBasePageAsItWas() {
        startWindow({{"FT232R USB UART", "A50285BI"}});
        form->calibration()->setRecordsPath(path());
        openRow(0);
        identifyAs(1, 23102);
        QLabel *last = form->calibration()->lastCalibrationLabel();
        QVERIFY2(!last->text().contains("ресурса"), qPrintable(last->text()));
        QVERIFY(last->toolTip().isEmpty());
    }
};

QTEST_MAIN(TestSensorHistoryWindow)
#include "test_sensor_history_window.moc"
