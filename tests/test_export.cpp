// Saving charts and traces: the CSV a spreadsheet reads, and the context menus
// of a real window's charts and traces with the dialog answered in its place.

#include "charts/StripChart.h"
#include "export/ChartCsv.h"
#include "export/FileChooser.h"
#include "pages/TraceMemo.h"
#include "testsupport/WindowHarness.h"
#include "ui/PageIndex.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

struct AnsweringChooser : FileChooser {
    QString answer;
    QStringList asked; // suggested names, the minute left out
    QString saveFileName(QWidget *, const QString &, const QString &name,
                         const QString &) override {
        asked << QString(name).remove(QRegularExpression(R"(-\d{4}-\d\d-\d\d-\d{4})"));
        return answer;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override {
        return QString();
    }
};

class TestExport : public QObject, protected WindowHarness {
    Q_OBJECT
    AnsweringChooser chooser;
    std::optional<QTemporaryDir> dir;

    // Picks a context-menu entry, the dialog answering `name` (or cancelled);
    // returns what the file then holds.
    QByteArray save(const char *entry, const QString &name = QString()) {
        chooser.answer = name.isEmpty() ? name : dir->filePath(name);
        form->findChild<QAction *>(entry)->trigger();
        QFile f(chooser.answer);
        // A pipe is not opened: reading it would wait for a writer.
        return QFileInfo(f).isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList files() const {
        return QDir(dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }

  private slots:
    void init() {
        startWindow({});
        // Every sensor page made, as identifying each kind would.
        for (int page = PageIndex::Tks; page <= PageIndex::Oxygen; ++page)
            form->setTabShown(page, true);
        form->setFileChooser(chooser);
        chooser.asked.clear();
        dir.emplace();
        for (StripChart *chart : form->findChildren<StripChart *>())
            for (double v : {4800.25, 5000.5})
                chart->add(v);
    }
    void cleanup() {
        form.reset();
        QLocale::setDefault(QLocale::system());
    }

    void csvHoldsEveryPoint_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("ends"); // points 1, 199 and 200
        const QLocale c = QLocale::c(), ru(QLocale::Russian, QLocale::Russia);
        QTest::newRow("partly, C") << c << 3 << QStringList{"1;", "199;-2.75", "200;12345.678"};
        QTest::newRow("partly, ru") << ru << 3 << QStringList{"1;", "199;-2,75", "200;12345,678"};
        QTest::newRow("full, C") << c << 250
                                 << QStringList{"1;3.375", "199;28.125", "200;12345.678"};
        QTest::newRow("full, ru") << ru << 250
                                  << QStringList{"1;3,375", "199;28,125", "200;12345,678"};
    }
    void csvHoldsEveryPoint() {
        QFETCH(QLocale, locale);
        QFETCH(int, count);
        QFETCH(QStringList, ends);
        ChartHistory h;
        for (int k = 1; k < count; ++k)
            h.add(k / 8.0 - 3);
        h.add(12345.678);
        const QByteArray csv = chartCsv("Ток \"катушки\"; мА", h, locale);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF\"Точка\";\"Ток \"\"катушки\"\"; мА\"\r\n"));
        const QStringList lines = QString::fromUtf8(csv).split("\r\n");
        QCOMPARE(lines.size(), 202); // the header, 200 points, nothing after the last line end
        QCOMPARE(QStringList({lines[1], lines[199], lines[200]}), ends);
        for (int x = 1; x <= 200; ++x) { // points no value has reached are empty, the rest exact
            const QString value = lines[x].section(';', 1);
            QCOMPARE(value.isEmpty(), x <= 200 - std::min(count, 200));
            QCOMPARE(value.isEmpty() ? 0.0 : locale.toDouble(value),
                     h.points()[std::size_t(x - 1)]);
        }
    }

    // A right click on the base page's chart and on the oxygen page's trace.
    void contextMenusOfferTheSaves() {
        form->show();
        for (auto [page, area, entries] :
             {std::tuple(1, "Chart1View", "Chart1SavePicture Chart1SaveValues"),
              std::tuple(8, "Memo2", "edit-copy select-all Memo2Save")}) {
            form->setTabShown(page, true);
            form->setActivePage(page);
            QWidget *at = form->findChild<QAbstractScrollArea *>(area)->viewport();
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(9, 9),
                                    at->mapToGlobal(QPoint(9, 9)));
            QApplication::sendEvent(at, &click);
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QStringList shown;
            for (QAction *a : menu->actions())
                shown << a->objectName();
            menu->close();
            for (const QString &entry : QString(entries).split(' '))
                QVERIFY2(shown.contains(entry), qPrintable(shown.join(' ')));
        }
    }

    void entriesSaveWhatIsShown() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        const auto *chart = form->findChild<StripChart *>("Chart1");
        QCOMPARE(QImage::fromData(save("Chart1SavePicture", "c.png"), "PNG").size(), chart->size());
        const QStringList values =
            QString::fromUtf8(save("Chart1SaveValues", "c.csv")).split("\r\n");
        QCOMPARE(values[0], "\uFEFF\"Точка\";\"" + chart->title() + '"');
        QCOMPARE(values.mid(199), QStringList({"199;4800,25", "200;5000,5", ""}));
        QVERIFY(save("Chart10SaveValues", "o.csv").contains("\"Chart10\"\r\n")); // drawn untitled
        const Frame command{0x8B, 0x0C}, reply{0x0B, 0x0C, 0x81};
        for (int i = 0; i < 2; ++i)
            form->findChild<TraceMemo *>("Memo2")->trace(command, reply);
        QCOMPARE(save("Memo2Save", "m.txt"),
                 QString(TraceMemo::line(command, reply) + '\n').repeated(2).toUtf8());
        // Named for the widget and the minute, in the folder saved to last.
        const QString home = QDir::homePath(), here = dir->path();
        QCOMPARE(chooser.asked, QStringList({home + "/Chart1.png", here + "/Chart1.csv",
                                             here + "/Chart10.csv", here + "/Memo2.txt"}));
        QCOMPARE(messages.errors, QStringList());
    }

    void cancelledOrFailedSaveChangesNothing_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("old"); // a file already there
        QTest::addColumn<QString>("reason"); // as the system gives it under LC_ALL=C
        QTest::newRow("cancelled") << "" << QByteArray() << "";
        QTest::newRow("no such folder")
            << "none/v.csv" << QByteArray() << "No such file or directory";
        QTest::newRow("a folder") << "." << QByteArray() << "это папка, а не файл";
        // Renaming over it would put a file where the pipe (or a device) was.
        QTest::newRow("a pipe") << "pipe" << QByteArray()
                                << "это не обычный файл (устройство, канал или сокет): укажите "
                                   "другое имя";
        QTest::newRow("disk full") << "v.csv" << QByteArray("old values") << "File too large";
    }
    void cancelledOrFailedSaveChangesNothing() {
        QFETCH(QString, target);
        QFETCH(QByteArray, old);
        QFETCH(QString, reason);
        QFile existing(dir->filePath(target));
        if (target == "pipe")
            QCOMPARE(mkfifo(qPrintable(existing.fileName()), 0600), 0);
        QVERIFY(old.isEmpty() ||
                (existing.open(QIODevice::WriteOnly) && existing.write(old) && existing.flush()));
        const QStringList there = files();
        // Past 64 bytes a write fails (EFBIG) as on a full disk, root or not.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit low{old.isEmpty() ? saved.rlim_cur : 64, saved.rlim_max};
        auto *handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &low);
        const QByteArray after = save("Chart3SaveValues", target);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        const QString said = "Не удалось сохранить файл «" + existing.fileName() + "»: " + reason;
        QCOMPARE(messages.errors, reason.isEmpty() ? QStringList() : QStringList(said + '.'));
        QCOMPARE(chooser.asked.size(), 1);
        QCOMPARE(files(), there); // no temporary file left behind
        QCOMPARE(after, old);
        QVERIFY(target != "pipe" || !QFileInfo(existing.fileName()).isFile());
    }
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
