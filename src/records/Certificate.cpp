#include "Certificate.h"

#include "CertificatePage.h"
#include "RecordTexts.h"
#include "WaitChart.h"
#include "files/AtomicSave.h"
#include "files/ShownPath.h"
#include "protocol/Frame.h"

#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

using namespace RecordTexts;

namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}

QString number(std::int64_t n) {
    return QString::number(n);
}

QString titleOf(const CalibrationRecord &r) {
    return "Свидетельство о калибровке № " + recordNumber(r);
}

using RecordTexts::instrumentWithSerial;

void instrument(CertificatePage &page, const CalibrationRecord &r) {
    page.heading("Прибор");
    QStringList versions;
    for (const auto &[key, version] : r.versions)
        versions << versionName(key) + " " + RecordTexts::version(version);
    page.fields({
        {"Модель", RecordTexts::instrument(r)},
        {"Заводской номер", QString::number(r.serial)},
        {"Вид прибора", QString::number(r.deviceType)},
        {"Версии блоков", versions.isEmpty() ? "—" : versions.join(", ")},
        {"Газ, по которому калибруется", text(gasName(r.sensorGas))},
    });
}

void conditions(CertificatePage &page, const CalibrationRecord &r) {
    page.heading("Условия калибровки");
    CertificatePage::Fields fields{
        {"Дата и время", dateTime(r.when)},
        {"Калибровку выполнил", RecordTexts::technician(r)},
        {"Методика", r.method.empty() ? QString("не указана") : text(r.method)},
        {"Температура, давление, влажность", ambient(r.ambient)},
    };
    if (r.standPosition)
        fields.push_back({"Место на стенде", QString::number(*r.standPosition)});
    if (!r.sensorLabel.empty())
        fields.push_back({"Метка датчика", text(r.sensorLabel)});
    if (!r.batch.empty())
        fields.push_back({"Партия калибровки", text(r.batch)});
    fields.push_back({gasRole(r, TestGas::Cylinder), RecordTexts::cylinder(r)});
    const Cylinder &c = r.cylinder;
    if (!c.number.empty()) {
        fields.push_back({"Погрешность баллона",
                          c.uncertainty > 0 ? "±\u00a0" + percent(c.uncertainty, r.perPercent)
                                            : QString("не указана")});
        if (!c.balance.empty())
            fields.push_back({"Газ-основа баллона", text(c.balance)});
        if (!c.supplier.empty())
            fields.push_back({"Поставщик баллона", text(c.supplier)});
        if (!c.certified.empty())
            fields.push_back({"Паспорт баллона выдан", date(c.certified)});
    }
    for (const GasCylinder &g : r.gases)
        fields.push_back({gasRole(r, g.gas), gasCylinder(g)});
    fields.push_back({"Установившимся считается показание", steadyRule(r)});
    fields.push_back({"Допуск", RecordTexts::tolerance(r)});
    page.fields(fields);
}

QStringList measurementRow(const Measurement &m, int perPercent) {
    const bool alarmCheck = !m.reading && (m.alarmsExpected || m.alarmsSeen);
    QString expected, reading, deviation = "—", tolerance = "—";
    if (alarmCheck) {
        expected = alarms(m.alarmsExpected);
        reading = alarms(m.alarmsSeen);
    } else {
        expected = percent(m.expected, perPercent);
        reading = percent(m.reading, perPercent);
        if (m.reading)
            deviation = percent(*m.reading - m.expected, perPercent, true);
        tolerance = "±\u00a0" + percent(m.tolerance, perPercent);
    }
    return {text(m.point),
            phase(m.phase),
            expected,
            reading,
            deviation,
            tolerance,
            seconds(m.secondsToSteady),
            seconds(m.secondsTo90),
            m.acceptedEarly ? "да" : "нет",
            verdict(m.passed)};
}

void measurements(CertificatePage &page, const CalibrationRecord &r) {
    page.heading("Результаты измерений");
    if (r.measurements.empty()) {
        page.paragraph("Измерений не сделано.");
        return;
    }
    const std::vector<CertificatePage::Column> columns{
        {"Точка", 23},
        {"Этап", 22},
        {"Ожидалось", 18, Qt::AlignRight},
        {"Показание", 18, Qt::AlignRight},
        {"Отклонение", 19, Qt::AlignRight},
        {"Допуск", 16, Qt::AlignRight},
        {"До уст., с", 13, Qt::AlignRight},
        {"До 90 %, с", 13, Qt::AlignRight},
        {"Принято досрочно", 16, Qt::AlignHCenter},
        {"Заключение", 20, Qt::AlignHCenter},
    };
    std::vector<QStringList> rows;
    for (const Measurement &m : r.measurements)
        rows.push_back(measurementRow(m, r.perPercent));
    page.table(columns, rows);
    if (std::any_of(r.measurements.begin(), r.measurements.end(),
                    [](const Measurement &m) { return m.alarmsExpected || m.alarmsSeen; })) {
        page.skip(1);
        page.paragraph("При проверке порогов П1–П3 — пороги 1–3: какие должны были сработать "
                       "(«Ожидалось») и какие сработали («Показание»).");
    }
}

// The readings the instrument is left with: those after adjustment, or when
// nothing was adjusted those found.
std::vector<const Measurement *> leftWith(const CalibrationRecord &r) {
    std::vector<const Measurement *> after, found;
    for (const Measurement &m : r.measurements)
        if (m.reading)
            (m.phase == Measurement::Phase::AsLeft ? after : found).push_back(&m);
    return !after.empty() || r.outcome != CalibrationOutcome::PassedAsFound ? after : found;
}

void uncertainties(CertificatePage &page, const CalibrationRecord &r) {
    const std::vector<const Measurement *> left = leftWith(r);
    if (left.empty())
        return;
    page.heading("Неопределённость результатов");
    std::vector<QStringList> rows;
    for (const Measurement *m : left)
        rows.push_back({text(m->point), percent(m->expected, r.perPercent),
                        percent(m->reading, r.perPercent), RecordTexts::uncertainty(r, *m)});
    page.table({{"Точка", 60},
                {"Ожидалось", 40, Qt::AlignRight},
                {"Показание", 40, Qt::AlignRight},
                {"U (k = 2)", 40, Qt::AlignRight}},
               rows);
    page.skip(1);
    page.paragraph("Расширенная неопределённость U при k = 2: U = 2 · √((Uб / 2)² + (d / √12)²), "
                   "где Uб — погрешность концентрации газа по паспорту баллона (k = 2), d — "
                   "дискретность показания прибора; «—» — погрешность баллона не указана.");
}

void adjustment(CertificatePage &page, const CalibrationRecord &r) {
    page.heading("Настройка");
    if (r.points.empty()) {
        page.paragraph("Точки блока не настраивались.");
    } else {
        std::vector<QStringList> rows;
        for (const AdjustedPoint &p : r.points)
            rows.push_back({text(p.name), scaled(p.before, p.perUnit), scaled(p.after, p.perUnit)});
        page.table({{"Точка блока", 80},
                    {"До настройки", 50, Qt::AlignRight},
                    {"После настройки", 50, Qt::AlignRight}},
                   rows);
    }
    if (!r.settingsAfter.empty()) {
        QStringList settings;
        for (const auto &[name, value] : r.settingsAfter)
            settings << setting(name, value, r.block == Block::Pgs ? 0 : r.perPercent);
        page.skip(2);
        page.fields({{"Настройки блока после калибровки", settings.join("; ")}});
    }
}

void charts(CertificatePage &page, const CalibrationRecord &r) {
    std::vector<const Measurement *> drawn;
    for (const Measurement &m : r.measurements)
        if (!m.chart.empty())
            drawn.push_back(&m);
    if (drawn.empty())
        return;
    constexpr double HeightMm = 52;
    page.heading("Графики установления показаний", HeightMm);
    const double gap = page.mm(6), height = page.mm(HeightMm);
    const double w = (page.width() - gap) / 2;
    for (std::size_t i = 0; i < drawn.size(); i += 2) {
        const QRectF row = page.take(height);
        for (std::size_t k = i; k < std::min(i + 2, drawn.size()); ++k) {
            const Measurement &m = *drawn[k];
            const QRectF area(row.left() + double(k - i) * (w + gap), row.top(), w,
                              row.height() - page.mm(3));
            drawWaitChart(page.painter(), area, page.mm(1), m, r.perPercent,
                          text(m.point) + ", " + phase(m.phase));
        }
    }
}

void conclusion(CertificatePage &page, const CalibrationRecord &r) {
    page.heading("Заключение");
    CertificatePage::Fields fields{{"Итог", text(outcomeText(r.outcome))}};
    if (!r.remark.empty())
        fields.push_back({"Примечание", text(r.remark)});
    fields.push_back(
        {"Следующая калибровка", r.nextDue.empty() ? "не назначена" : "до " + date(r.nextDue)});
    if (r.corrects)
        fields.push_back({"Исправляет запись", "№ " + number(*r.corrects)});
    fields.push_back({"Программа", "Серия ЗЭ-23, версия " + text(r.toolVersion)});
    page.fields(fields);
}

void signatures(CertificatePage &page, const CalibrationRecord &r) {
    const auto name = [](const std::string &who) {
        return who.empty() ? QString("____________________") : text(who);
    };
    page.skip(10);
    page.need(page.mm(r.hash.empty() ? 24 : 30));
    page.paragraph("Калибровку выполнил: ____________________ / " + name(r.technician) + " /");
    page.skip(8);
    page.paragraph("Результат утвердил: ____________________ / " + name(r.approvedBy) + " /");
    page.skip(8);
    page.paragraph("Дата: «____» ______________ 20____ г.");
    // What `ze23-cli records verify` checks the journal's record against,
    // and the bench's chain as it stood when the record was kept: its bench
    // and its number there, the head a journal cut short after it no longer
    // reaches.
    if (!r.hash.empty()) {
        page.skip(4);
        page.centred("Контрольная сумма записи: " + text(r.hash), CertificatePage::monospace(7));
        if (!r.bench.empty())
            page.centred(
                QString("Рабочее место %1, его запись № %2").arg(text(r.bench)).arg(r.benchNumber),
                CertificatePage::monospace(7));
    }
}

void document(CertificatePage &page, const CalibrationRecord &r) {
    if (!r.laboratory.empty()) {
        page.centred(text(r.laboratory), CertificatePage::font(11, true));
        if (!r.laboratoryAddress.empty())
            page.centred(text(r.laboratoryAddress), CertificatePage::font(9));
        page.skip(4);
    }
    page.centred(titleOf(r), CertificatePage::font(15, true));
    page.skip(1);
    page.centred("газоанализатора серии ЗЭ-23 " + instrumentWithSerial(r),
                 CertificatePage::font(10));
    if (r.corrects) {
        page.skip(1);
        page.centred("Исправляет запись № " + number(*r.corrects), CertificatePage::font(10, true));
    }
    // The verdict on the first page, in a line: the whole conclusion follows
    // the measurements.
    page.skip(1);
    page.centred(QString("Итог: %1; следующая калибровка %2")
                     .arg(text(outcomeText(r.outcome)),
                          r.nextDue.empty() ? QString("не назначена") : "до " + date(r.nextDue)),
                 CertificatePage::font(10, true));
    page.skip(2);
    instrument(page, r);
    conditions(page, r);
    measurements(page, r);
    uncertainties(page, r);
    adjustment(page, r);
    charts(page, r);
    conclusion(page, r);
    signatures(page, r);
    page.finish();
}
} // namespace

bool Certificate::write(const CalibrationRecord &r, const QString &path, QString *error) {
    const auto fail = [&](const QString &why) {
        if (error)
            *error = QString("Свидетельство не записано в %1: %2").arg(shownPath(path), why);
        return false;
    };
    const QString why = saveAtomically(path, [&](QIODevice &file) -> QString {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(18, 15, 15, 12), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(titleOf(r));
        writer.setCreator("Серия ЗЭ-23 " + text(r.toolVersion));
        QPainter painter;
        if (!painter.begin(&writer))
            return "не удалось начать страницу PDF";
        QString footer = titleOf(r) + " · " + instrumentWithSerial(r);
        if (!r.laboratory.empty())
            footer = text(r.laboratory) + " · " + footer;
        CertificatePage page(writer, painter, footer);
        document(page, r);
        if (!painter.end())
            return "не удалось завершить PDF";
        return QString();
    });
    if (!why.isEmpty())
        return fail(why);
    return true;
}
