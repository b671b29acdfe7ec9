// The settings buttons of the sensor pages against the virtual instruments,
// ticks driven by hand on a hand-moved clock: a save reads the instrument into
// a file; a load checks the file, shows what differs, writes only after the
// question, reports each value read back and keeps the settings only when all
// held; the page's polling goes on afterwards.

#include "pages/BlockPage.h"
#include "settings/SnapshotJson.h"
#include "sim/CatalyticSensorModel.h"
#include "sim/OxygenBlockModel.h"
#include "sim/SimFtDriver.h"
#include "testsupport/RecordingMessages.h"
#include "testsupport/ScriptedChooser.h"
#include "ui/TForm1.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestSettingsPages : public QObject {
    Q_OBJECT

    std::int64_t nowMs = 0;
    std::unique_ptr<SimFtDriver> sim;
    RecordingMessages messages;
    ScriptedChooser chooser;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TForm1> form;
    VirtualInstrument *vi = nullptr;
    int page = 0;

    // The window's ticks for `ms` of clock time; what the window queued for
    // the event loop (a session's end) is delivered on the way.
    void run(int ms) {
        for (int t = 0; t < ms; t += 50) {
            nowMs += 50;
            if (nowMs % 350 == 0)
                form->Timer1Timer();
            if (nowMs % 100 == 0)
                form->Timer2Timer();
            QCoreApplication::sendPostedEvents();
        }
    }
    void runWhileBusy() {
        for (int t = 0; t < 60000 && form->settingsBusy(); t += 50)
            run(50);
        QVERIFY(!form->settingsBusy());
    }
    // The instrument of `kind` open on its sensor page, polled for a while.
    void openOnPage(int kind, int sensorPage) {
        for (std::size_t i = 0; i < sim->adapterCount(); ++i)
            if (sim->instrument(i).kind() == kind) {
                vi = &sim->instrument(i);
                form->ListView1->selectRow(int(i));
            }
        form->ListView1DblClick();
        run(1000);
        form->PageControl1->setCurrentIndex(page = sensorPage);
        run(2000);
    }
    QPushButton *button(const char *which) {
        return form->findChild<QPushButton *>(QString("%1SettingsButton%2").arg(which).arg(page));
    }
    // The file loaded through the page's button, the question answered `yes`.
    void load(const QByteArray &json, bool yes = true) {
        QFile f(chooser.answer);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(json) == json.size());
        f.close();
        messages.answer = yes;
        button("Load")->click();
        runWhileBusy();
    }
    std::optional<InstrumentSnapshot> savedFile() {
        QFile f(chooser.answer);
        QString error;
        return f.open(QIODevice::ReadOnly) ? SnapshotJson::fromJson(f.readAll(), error)
                                           : std::nullopt;
    }
    int traceLines() {
        return form->findChild<QPlainTextEdit *>("Memo2")->document()->blockCount();
    }

  private slots:
    void init() {
        nowMs = 0;
        sim = std::make_unique<SimFtDriver>([this] { return nowMs; });
        messages.clear();
        chooser = ScriptedChooser();
        dir = std::make_unique<QTemporaryDir>();
        chooser.answer = dir->filePath("settings.json");
        form = std::make_unique<TForm1>(*sim, messages);
        form->setFileChooser(chooser);
        form->pictureFolder = ZE23_PICTURE_DIR;
    }
    void cleanup() {
        form.reset();
        sim.reset();
    }

    // Each sensor page has both buttons, whole captions, in room nothing else takes.
    void buttonsSitInFreeRoom() {
        form->show();
        for (page = PageIndex::Tks; page <= PageIndex::Oxygen; ++page) {
            form->setTabShown(page, true);
            form->setActivePage(page);
            QWidget *sheet = form->TabSheets[std::size_t(page)];
            for (QPushButton *b : {button("Save"), button("Load")}) {
                QVERIFY(b && b->parentWidget() == sheet);
                QVERIFY(sheet->rect().contains(b->geometry()));
                QVERIFY(b->fontMetrics().horizontalAdvance(b->text()) < b->width() - 4);
                // The sensor page fills the tab under the buttons: its own
                // widgets are the ones to keep clear of.
                QWidget *own = form->blockPages[std::size_t(page)];
                for (QWidget *other : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly) +
                                          own->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                    QVERIFY2(other == b || other == own || other->isHidden() ||
                                 !other->geometry().intersects(b->geometry()),
                             qPrintable(b->objectName() + " " + other->objectName()));
            }
        }
    }

    // The file holds what the blocks hold. The page's trace pairs each reply
    // with the standing frame, so it takes none of the session's; its polling
    // goes on afterwards.
    void saveWritesWhatTheInstrumentHolds() {
        openOnPage(7, PageIndex::Oxygen);
        const int traced = traceLines();
        button("Save")->click();
        runWhileBusy();
        QVERIFY(traceLines() <= traced + 1); // at most the reply to the frame out before
        QCOMPARE(chooser.asked, 1);
        const std::optional<InstrumentSnapshot> saved = savedFile();
        QVERIFY(saved);
        QCOMPARE(std::pair(saved->kind, saved->serialNumber),
                 std::pair(7, int(vi->serialNumber())));
        const OxygenBlockModel &block = *vi->oxygen();
        QCOMPARE(saved->block("oxygen")->values,
                 (std::map<std::string, int>{{"calibrationGas", block.working().calibrationGas},
                                             {"threshold1", block.working().threshold1},
                                             {"threshold2", block.working().threshold2},
                                             {"threshold3", block.working().threshold3},
                                             {"frontEndGain", block.frontEnd().gain},
                                             {"frontEndReference", block.frontEnd().reference},
                                             {"frontEndMode", block.frontEnd().mode}}));
        QCOMPARE(saved->block("pump")->values.at("frequency"), vi->pumpFrequencyHz());
        QCOMPARE(messages.errors, QStringList());
        run(2000);
        QVERIFY(traceLines() > traced + 3);
    }

    // One threshold changed in the file: asked about, written only after Yes,
    // read back, kept only when confirmed; the page's field reads it again.
    void loadWritesOnlyAfterTheQuestion_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("key"); // "block.setting"
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("writesLost");
        QTest::newRow("yes") << 1 << "tks.threshold1"
                             << "MaskEdit2" << true << false;
        QTest::newRow("no") << 1 << "tks.threshold1"
                            << "MaskEdit2" << false << false;
        QTest::newRow("writes lost") << 2 << "tksPgs.threshold2"
                                     << "MaskEdit7" << true << true;
    }
    void loadWritesOnlyAfterTheQuestion() {
        QFETCH(int, kind);
        QFETCH(QString, key);
        QFETCH(QString, field);
        QFETCH(bool, yes);
        QFETCH(bool, writesLost);
        openOnPage(kind, kind == 1 ? PageIndex::Tks : PageIndex::TksPgs);
        CatalyticSensorModel &block = *vi->catalytic();
        block.setWritesLost(writesLost);
        const auto value = [&](const CatalyticSensorModel::Settings &s) {
            return key.endsWith('1') ? s.threshold1 : s.threshold2;
        };
        const int held = value(block.working()), kept = value(block.saved()), wanted = held + 7;
        const QStringList name = key.split('.');
        load(SnapshotJson::toJson(
                 {kind, 1, {{name[0].toStdString(), {}, {{name[1].toStdString(), wanted}}}}}),
             yes);
        QCOMPARE(messages.questions.size(), 1);
        QVERIFY(
            messages.questions[0].contains(QString("%1: %2 → %3").arg(key).arg(held).arg(wanted)));
        QCOMPARE(messages.errors, QStringList());
        const bool written = yes && !writesLost;
        QCOMPARE(value(block.working()), written ? wanted : held);
        QCOMPARE(value(block.saved()), written ? wanted : kept);
        QCOMPARE(messages.informations.size(), yes ? 1 : 0);
        if (yes) {
            const QString report = messages.informations[0];
            QVERIFY2(report.contains(QString("%1: записано %2, прочитано %3 — %4")
                                         .arg(key)
                                         .arg(wanted)
                                         .arg(written ? wanted : held)
                                         .arg(written ? "подтверждено" : "НЕ подтверждено")),
                     qPrintable(report));
            QCOMPARE(report.endsWith("Настройки сохранены в приборе."), written);
            QCOMPARE(report.endsWith("в приборе ничего не сохранено."), !written);
        }
        form->findChild<QLineEdit *>(field)->clear();
        run(2000);
        QCOMPARE(form->findChild<QLineEdit *>(field)->text(),
                 yes ? QString::number(value(block.working())) : "");
    }

    void unsuitableFilesAreRefused_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("reason");
        const auto snapshot = [](int kind, const char *block, int threshold1) {
            return SnapshotJson::toJson({kind, 1, {{block, {}, {{"threshold1", threshold1}}}}});
        };
        QTest::newRow("another kind") << snapshot(2, "tksPgs", 60) << "вида 2";
        QTest::newRow("out of range") << snapshot(1, "tks", 1000) << "от 0 до 999";
        QTest::newRow("no settings file") << QByteArray("{}") << "не файл настроек";
    }
    void unsuitableFilesAreRefused() {
        QFETCH(QByteArray, json);
        QFETCH(QString, reason);
        openOnPage(1, PageIndex::Tks);
        const int held = vi->catalytic()->working().threshold1;
        load(json);
        QCOMPARE(messages.errors.size(), 1);
        QVERIFY2(messages.errors[0].contains(reason), qPrintable(messages.errors[0]));
        QCOMPARE(messages.questions, QStringList());
        QCOMPARE(vi->catalytic()->working().threshold1, held);
    }

    // Nothing to write: the same values, or only what the ПГС block sets from
    // the gas present. Nobody is asked.
    void nothingToWriteIsSaid() {
        openOnPage(4, PageIndex::Pgs);
        button("Save")->click();
        runWhileBusy();
        InstrumentSnapshot snapshot = *savedFile();
        load(SnapshotJson::toJson(snapshot));
        snapshot.blocks[0].values["threshold1"] += 5;
        load(SnapshotJson::toJson(snapshot));
        QCOMPARE(messages.informations.size(), 2);
        QVERIFY(messages.informations[0].contains("уже совпадают"));
        QVERIFY(messages.informations[1].contains("pgs.threshold1") &&
                messages.informations[1].contains("задаёт сам"));
        QCOMPARE(messages.questions, QStringList());
    }

    // A read that breaks off: said why, no file asked for, the buttons free again.
    void brokenReadsAreReported_data() {
        QTest::addColumn<bool>("deviceChange"); // else the sensor block falls silent
        QTest::addColumn<QString>("said");
        QTest::newRow("device change") << true << "Чтение настроек прервано: соединение";
        QTest::newRow("silent block")
            << false << "Не удалось прочитать настройки прибора: блок tks (0x83) не ответил";
    }
    void brokenReadsAreReported() {
        QFETCH(bool, deviceChange);
        QFETCH(QString, said);
        openOnPage(1, PageIndex::Tks);
        vi->setSensorLinkLost(!deviceChange);
        button("Save")->click();
        run(700);
        QVERIFY(form->settingsBusy() && !button("Load")->isEnabled());
        if (deviceChange)
            form->WMDeviceChange(TForm1::DeviceRemoveComplete);
        runWhileBusy();
        QCOMPARE(messages.errors.size(), 1);
        QVERIFY2(messages.errors[0].startsWith(said), qPrintable(messages.errors[0]));
        QCOMPARE(chooser.asked, 0);
        QVERIFY(button("Save")->isEnabledTo(form->TabSheets[3])); // the page itself may be hidden
    }
};

QTEST_MAIN(TestSettingsPages)
#include "test_settings_pages.moc"
