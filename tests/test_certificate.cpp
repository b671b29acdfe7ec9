// The certificate of a full record written as PDF and read back with
// poppler: the texts a reader looks for are there, page 1 renders, and a
// certificate that cannot be written says so and leaves nothing behind.

#include "RecordSample.h"
#include "protocol/Frame.h"
#include "records/Certificate.h"
#include "records/RecordTexts.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {
// The program's standard output; none when it did not run cleanly.
std::optional<QByteArray> run(const QString &program, const QStringList &arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

CalibrationRecord correction() {
    CalibrationRecord r = sampleRecord();
    r.number = 17;
    r.corrects = 5;
    r.measurements.push_back(sampleAlarmCheck());
    r.hash = "5e1f0c2b9a7d4e3f8a6b1c0d2e9f7a4b3c8d5e6f1a2b0c9d7e4f3a8b6c1d0eff";
    r.laboratory = "Лаборатория газового контроля";
    r.laboratoryAddress = "620000, Екатеринбург, ул. Заводская, 1";
    r.method = "МК ЗЭ-23-01";
    r.ambient = {215, 1013, 45};
    r.approvedBy = "Сидоров В. В.";
    r.login = "ze23_bench";
    r.bench = "a1b2c3d4e5f6";
    r.benchNumber = 7;
    r.standPosition = 12;
    r.sensorLabel = "ДТК-0458";
    r.batch = "2026-12-08-1";
    return r;
}
} // namespace

class TestCertificate : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString pdf_;
    QString text_;

  private slots:
    void initTestCase() {
        pdf_ = dir_.filePath("svidetelstvo-17.pdf");
        QString error;
        QVERIFY2(Certificate::write(correction(), pdf_, &error), qPrintable(error));
        text_ = QString::fromUtf8(run("pdftotext", {"-layout", pdf_, "-"}).value_or(""));
        QVERIFY2(!text_.isEmpty(), "pdftotext could not read the certificate");
        // Only the certificate itself: no temporary file left beside it.
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"svidetelstvo-17.pdf"});
    }

    void says_data() {
        QTest::addColumn<QString>("expected");
        QTest::newRow("title") << "Свидетельство о калибровке № 17";
        QTest::newRow("serial") << "23101";
        QTest::newRow("instrument in the title")
            << "газоанализатора серии ЗЭ-23 ЗЭ11.2к, блок ТКС, № 23101";
        QTest::newRow("instrument") << "Модель ЗЭ11.2к, блок ТКС";
        QTest::newRow("block versions") << "базовый блок 1.2, насос 2.3, блок датчика 1.4";
        QTest::newRow("date") << "08.12.2026 14:30:05";
        QTest::newRow("cylinder") << "№ ПГС-0417, CH4 в воздухе, 2,50 %, годен до 30.06.2027";
        QTest::newRow("cylinder's uncertainty") << "Погрешность баллона ± 0,05 %";
        QTest::newRow("cylinder's balance") << "Газ-основа баллона воздух";
        QTest::newRow("cylinder's supplier") << "Поставщик баллона ООО «Мониторинг»";
        QTest::newRow("cylinder's certificate") << "Паспорт баллона выдан 30.06.2026";
        QTest::newRow("steady rule") << "за 30 с изменение менее 0,05 %";
        QTest::newRow("tolerance") << "± 0,10 %";
        QTest::newRow("reading") << "2,31 %";
        QTest::newRow("deviation") << "-0,19 %";
        QTest::newRow("as left") << "после настройки";
        QTest::newRow("out of tolerance") << "вне допуска";
        QTest::newRow("alarms") << "П1, П2";
        QTest::newRow("point after") << "410,1";
        QTest::newRow("setting after") << "Порог 1: 0,50 %";
        QTest::newRow("outcome") << QString::fromStdString(
            outcomeText(CalibrationOutcome::Adjusted));
        QTest::newRow("next due") << "до 08.12.2027";
        QTest::newRow("corrects") << "Исправляет запись № 5";
        QTest::newRow("chart") << "Газ из баллона, до настройки";
        QTest::newRow("signature") << "Калибровку выполнил: ____________________ / Петрова А. С. /";
        QTest::newRow("approved by")
            << "Результат утвердил: ____________________ / Сидоров В. В. /";
        QTest::newRow("login") << "Калибровку выполнил Петрова А. С. (вход ze23_bench)";
        QTest::newRow("laboratory") << "Лаборатория газового контроля";
        QTest::newRow("laboratory's address") << "620000, Екатеринбург, ул. Заводская, 1";
        QTest::newRow("method") << "Методика МК ЗЭ-23-01";
        QTest::newRow("room") << "21,5 °C; 101,3 кПа; 45 %";
        // 2 · √((0,05 / 2)² + 0,01² / 12), rounded up; in clean air the
        // resolution alone.
        QTest::newRow("uncertainty in gas") << "Газ из баллона 2,50 % 2,48 % ± 0,051 %";
        QTest::newRow("uncertainty in air") << "± 0,006 %";
        QTest::newRow("record hash")
            << "Контрольная сумма записи: "
               "5e1f0c2b9a7d4e3f8a6b1c0d2e9f7a4b3c8d5e6f1a2b0c9d7e4f3a8b6c1d0eff";
        QTest::newRow("bench's chain") << "Рабочее место a1b2c3d4e5f6, его запись № 7";
        QTest::newRow("stand position") << "Место на стенде 12";
        QTest::newRow("sensor's label") << "Метка датчика ДТК-0458";
        QTest::newRow("batch") << "Партия калибровки 2026-12-08-1";
    }
    // On a stand a wait wants several readings, and the record says so.
    void standRuleInWords() {
        CalibrationRecord r = correction();
        r.steady.readings = 3;
        QCOMPARE(RecordTexts::steadyRule(r).simplified(),
                 "последние 3 показания, охватывающие не менее 30 с, в пределах 0,05 %");
    }
    // The verdict a reader looks for first is on the first page.
    void verdictOnTheFirstPage() {
        const QString first =
            QString::fromUtf8(
                run("pdftotext", {"-layout", "-f", "1", "-l", "1", pdf_, "-"}).value_or(""))
                .simplified();
        QVERIFY2(first.contains(
                     "Итог: " + QString::fromStdString(outcomeText(CalibrationOutcome::Adjusted)) +
                     "; следующая калибровка до 08.12.2027"),
                 qPrintable(first));
    }
    void says() {
        QFETCH(QString, expected);
        QVERIFY2(text_.simplified().contains(expected.simplified()), qPrintable(text_));
    }

    // The ПГС record names a cylinder for each threshold gas, and a zero gas
    // its own.
    void eachGasIsNamed() {
        CalibrationRecord r = correction();
        r.block = Block::Pgs;
        r.cylinder.concentration = 50;
        r.gases = sampleGases();
        const QString pdf = dir_.filePath("gases.pdf");
        QString error;
        QVERIFY2(Certificate::write(r, pdf, &error), qPrintable(error));
        const QString text =
            QString::fromUtf8(run("pdftotext", {"-layout", pdf, "-"}).value_or("")).simplified();
        for (const QString &expected :
             {"Газ порога 1 № ПГС-0417, CH4 в воздухе, 0,50 %",
              "Нулевой газ № N-5, азот, 99,99 % ± 0,01 %, поставщик ООО «Газы», паспорт от "
              "31.05.2026, годен до 31.05.2027",
              "Газ порога 2 № П2-7, CH4 в воздухе, 1,00 % ± 0,03 %, газ-основа воздух"})
            QVERIFY2(text.contains(expected), qPrintable(text));
        QVERIFY(!text.contains("Баллон №"));
        QFile::remove(pdf);
    }

    void firstPageRenders() {
        const QString prefix = dir_.filePath("page");
        QVERIFY(run("pdftoppm", {"-png", "-r", "50", "-f", "1", "-l", "1", pdf_, prefix}));
        const QStringList pages = QDir(dir_.path()).entryList({"page*.png"});
        QCOMPARE(pages.size(), 1);
        const QImage page(dir_.filePath(pages.front()));
        QVERIFY(!page.isNull());
        // A4 at 50 dpi, with ink on it.
        QCOMPARE(page.size(), QSize(414, 585));
        int dark = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                dark += qGray(page.pixel(x, y)) < 128;
        QVERIFY2(dark > 2000, qPrintable(QString::number(dark)));
    }

    void unwritablePathSaysWhy() {
        const QString path = dir_.filePath("no/such/folder/c.pdf");
        QString error;
        QVERIFY(!Certificate::write(correction(), path, &error));
        QVERIFY2(error.startsWith("Свидетельство не записано в " + path), qPrintable(error));
        QVERIFY(!QDir(dir_.filePath("no")).exists());
    }
};

QTEST_MAIN(TestCertificate)
#include "test_certificate.moc"
