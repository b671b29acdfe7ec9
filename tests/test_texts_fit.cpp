// Every text the main window shows fits its widget, at the fonts the tests
// run with: each page of each virtual kind after some seconds of polling, the
// device list with the virtual adapters' long names, and the multiplexer
// window with its title.

#include "mux/TForm2.h"
#include "sim/SimFtDriver.h"
#include "testsupport/CutTexts.h"
#include "testsupport/FakeFtDriver.h"
#include "testsupport/HandClock.h"
#include "testsupport/RecordingMessages.h"
#include "ui/TForm1.h"
#include "ui/UsbPage.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace {
std::int64_t nowMs = 0;

void run(TForm1 &form, int ms) {
    runTicks(form, nowMs, ms);
}
} // namespace

class TestTextsFit : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void everyPageOfEveryKind_data() {
        QTest::addColumn<int>("row");
        SimFtDriver sim;
        for (std::size_t row = 0; row < sim.adapterCount(); ++row)
            QTest::newRow(qPrintable(QString("kind %1").arg(sim.instrument(row).kind())))
                << int(row);
    }
    void everyPageOfEveryKind() {
        QFETCH(int, row);
        SimFtDriver sim([] { return nowMs; });
        RecordingMessages messages;
        TForm1 form(sim, messages);
        form.clock = [] { return nowMs; };
        form.show();
        form.ListView1->selectRow(row);
        form.ListView1DblClick();
        run(form, 3000);
        QStringList cut;
        for (int page = 0; page < form.PageControl1->count(); ++page) {
            if (!form.isTabShown(page))
                continue;
            form.PageControl1->setCurrentIndex(page);
            run(form, 5000);
            for (const QString &c : cutTexts(&form))
                cut << QString("page %1: %2").arg(page).arg(c);
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    }

    // Every status a block reports, all at once and none, on each page of
    // each kind: the panels' other texts fit too.
    void everyStatusOnEveryPage_data() {
        QTest::addColumn<int>("kind");
        for (int kind : {1, 2, 3, 4, 5, 7})
            QTest::newRow(qPrintable(QString("kind %1").arg(kind))) << kind;
    }
    void everyStatusOnEveryPage() {
        QFETCH(int, kind);
        FakeFtDriver driver;
        driver.adapters = {{"FT232R USB UART", "A50285BI"}};
        RecordingMessages messages;
        TForm1 form(driver, messages);
        form.show();
        form.ListView1->selectRow(0);
        form.ListView1DblClick();
        const auto receive = [&](const Frame &f) {
            const Frame sealedFrame = sealed(f);
            driver.queueIncoming(std::vector<std::uint8_t>(sealedFrame.begin(), sealedFrame.end()));
            form.Timer2Timer();
        };
        receive({0, 9, 0, 0, std::uint8_t(kind), 0x39, 0x30, 0});
        QStringList cut;
        for (int page = 1; page < form.PageControl1->count(); ++page) {
            if (!form.isTabShown(page))
                continue;
            form.PageControl1->setCurrentIndex(page);
            const std::uint8_t block = PageIndex::blockOf(page);
            for (std::uint8_t bits : {0xFF, 0x00}) {
                for (int i = 0; i < 20; ++i) {
                    form.Timer1Timer();
                    receive({block, 12, bits, bits, bits, bits, bits, 0});
                }
                QApplication::processEvents();
                for (const QString &c : cutTexts(&form))
                    cut << QString("page %1, bits %2: %3").arg(page).arg(bits).arg(c);
            }
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    }

    // The virtual adapters' names are the longest: each shows whole, or
    // elided with the whole in its tooltip; number and serial number whole.
    void deviceNamesReadWhole() {
        SimFtDriver sim;
        RecordingMessages messages;
        TForm1 form(sim, messages);
        form.show();
        QTableWidget *list = form.ListView1;
        QCOMPARE(list->rowCount(), int(sim.adapterCount()));
        const QFontMetrics fm(list->font());
        const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        for (int row = 0; row < list->rowCount(); ++row) {
            for (int column : {0, 2}) {
                const QTableWidgetItem *item = list->item(row, column);
                QVERIFY2(fm.horizontalAdvance(item->text()) + margins <= list->columnWidth(column),
                         qPrintable(item->text()));
            }
            const QTableWidgetItem *name = list->item(row, 1);
            QCOMPARE(name->toolTip(), name->text());
            QVERIFY2(fm.horizontalAdvance(name->text()) + margins <= list->columnWidth(1),
                     qPrintable(name->text()));
        }
        // The three columns fill the list without a horizontal scroll bar.
        QVERIFY(!list->horizontalScrollBar()->isVisible());
    }

    // A title bar writes the title bold, at about 11 pt, beside its close
    // button: the multiplexer window leaves them the room.
    void multiplexerTitleFits() {
        FakeFtDriver none;
        RecordingMessages messages;
        TForm1 form(none, messages);
        QFont title = QApplication::font();
        title.setPointSize(11);
        title.setBold(true);
        const int needs = QFontMetrics(title).horizontalAdvance(form.Form2->windowTitle()) + 64;
        QVERIFY2(form.Form2->width() >= needs, qPrintable(QString::number(needs)));
        form.Form2->show();
        QApplication::processEvents();
        const QStringList cut = cutTexts(form.Form2);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    }
};

QTEST_MAIN(TestTextsFit)
#include "test_texts_fit.moc"
