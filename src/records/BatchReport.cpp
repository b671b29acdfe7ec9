#include "BatchReport.h"

#include "CertificatePage.h"
#include "RecordTexts.h"
#include "files/AtomicSave.h"
#include "files/ShownPath.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <map>

namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}

// The reading of the phase in the gas, "2,45 %"; "—" where none was taken.
QString reading(const CalibrationRecord &r, Measurement::Phase phase, TestGas gas) {
    for (const Measurement &m : r.measurements)
        if (m.phase == phase && m.gas == gas && m.reading)
            return text(percentText(*m.reading, r.perPercent)) + " %" +
                   (m.passed ? "" : " (вне допуска)");
    return "—";
}

// The gas beside clean air the record's block was checked in: the
// cylinder's, or the oxygen zero's nitrogen where the span is in air.
TestGas testGas(const CalibrationRecord &r) {
    std::optional<TestGas> other;
    for (const Measurement &m : r.measurements) {
        if (m.gas == TestGas::Cylinder)
            return m.gas;
        if (m.gas != TestGas::CleanAir && m.gas != TestGas::Ambient && !other)
            other = m.gas;
    }
    return other.value_or(TestGas::Cylinder);
}

const CalibrationRecord *firstRecord(const std::vector<BatchReport::Position> &positions) {
    for (const auto &p : positions)
        if (p.record)
            return &*p.record;
    return nullptr;
}
} // namespace

std::vector<BatchReport::Position>
BatchReport::fromJournal(const QString &batch, const std::vector<CalibrationRecord> &oldestFirst) {
    std::map<int, Position> byPosition;
    const std::string wanted = batch.toStdString();
    for (const CalibrationRecord &r : oldestFirst)
        if (!wanted.empty() && r.batch == wanted)
            byPosition[r.standPosition.value_or(0)] = {r.standPosition.value_or(0), r.sensorLabel,
                                                       r};
    std::vector<Position> positions;
    for (auto &[position, p] : byPosition)
        positions.push_back(std::move(p));
    return positions;
}

QString BatchReport::journalNote() {
    return "Отчёт составлен по журналу калибровок: позиции, на которых блок не ответил, в журнал "
           "не записываются и здесь не показаны.";
}

bool BatchReport::write(const QString &batch, const std::vector<Position> &positions,
                        const QString &path, QString *error, const QString &note) {
    const CalibrationRecord *first = firstRecord(positions);
    const QString title = "Отчёт о калибровке партии " + batch;
    const QString why = saveAtomically(path, [&](QIODevice &file) -> QString {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(title);
        QPainter painter;
        if (!painter.begin(&writer))
            return "не удалось начать страницу PDF";
        CertificatePage page(writer, painter, title);
        page.centred("Отчёт о калибровке датчиков на стенде", CertificatePage::font(14, true));
        page.centred("Партия " + batch, CertificatePage::font(11));
        page.skip(4);
        if (first) {
            std::vector<std::pair<QString, QString>> fields{
                {"Прибор", RecordTexts::instrumentWithSerial(*first)},
                {"Дата", RecordTexts::date(first->when.substr(0, 10))},
                {"Калибровку выполнил", RecordTexts::technician(*first)},
                {"Газ из баллона", RecordTexts::cylinder(*first)}};
            for (const GasCylinder &g : first->gases)
                fields.push_back(
                    {RecordTexts::gasRole(*first, g.gas), RecordTexts::gasCylinder(g)});
            fields.push_back({"Устойчивость показаний", RecordTexts::steadyRule(*first)});
            fields.push_back({"Допуск", RecordTexts::tolerance(*first)});
            page.fields(fields);
            page.skip(3);
        }
        std::map<CalibrationOutcome, int> counted;
        int empty = 0;
        std::vector<QStringList> rows;
        for (const Position &p : positions) {
            if (!p.record) {
                ++empty;
                rows.push_back({QString::number(p.position), text(p.label), "—", "—", "—", "—",
                                "пусто: блок не ответил", "—"});
                continue;
            }
            const CalibrationRecord &r = *p.record;
            ++counted[r.outcome];
            using P = Measurement::Phase;
            const TestGas gas = testGas(r);
            rows.push_back({QString::number(p.position), text(p.label), reading(r, P::AsFound, gas),
                            reading(r, P::AsFound, TestGas::CleanAir), reading(r, P::AsLeft, gas),
                            reading(r, P::AsLeft, TestGas::CleanAir), text(outcomeText(r.outcome)),
                            r.number > 0 || r.benchNumber > 0 ? RecordTexts::recordNumber(r)
                                                              : QString("не в журнале")});
        }
        page.table({{"Поз.", 10, Qt::AlignRight},
                    {"Метка датчика", 26},
                    {"До: газ", 20, Qt::AlignRight},
                    {"До: воздух", 20, Qt::AlignRight},
                    {"После: газ", 20, Qt::AlignRight},
                    {"После: воздух", 20, Qt::AlignRight},
                    {"Итог", 30},
                    {"Запись", 16, Qt::AlignRight}},
                   rows);
        page.skip(3);
        page.paragraph(
            QString("Позиций: %1; настроены и годны: %2; годны без настройки: %3; не годны: %4; "
                    "прерваны: %5; пустых: %6.")
                .arg(positions.size())
                .arg(counted[CalibrationOutcome::Adjusted])
                .arg(counted[CalibrationOutcome::PassedAsFound])
                .arg(counted[CalibrationOutcome::Failed])
                .arg(counted[CalibrationOutcome::Interrupted])
                .arg(empty));
        page.paragraph("Каждая позиция с записью имеет своё свидетельство о калибровке; в "
                       "журнале калибровок записи партии отбираются по её номеру.");
        if (!note.isEmpty())
            page.paragraph(note);
        page.finish();
        if (!painter.end())
            return "не удалось завершить PDF";
        return QString();
    });
    if (why.isEmpty())
        return true;
    if (error)
        *error = QString("Отчёт партии не записан в %1: %2").arg(shownPath(path), why);
    return false;
}
