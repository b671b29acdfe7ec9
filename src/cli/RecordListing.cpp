#include "RecordListing.h"

#include "records/JournalTable.h"
#include "records/RecordKeys.h"
#include "records/RecordTexts.h"

#include <QStringList>

#include <algorithm>

namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}

template <typename T> QJsonValue orNull(const std::optional<T> &v) {
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

QJsonObject byName(const std::map<std::string, int> &values) {
    QJsonObject o;
    for (const auto &[name, value] : values)
        o[text(name)] = value;
    return o;
}

QJsonObject measurementJson(const Measurement &m) {
    QJsonArray chart;
    for (const ChartPoint &p : m.chart)
        chart.append(QJsonArray{p.seconds, p.value});
    return {{"phase", text(phaseKey(m.phase))},
            {"gas", text(testGasKey(m.gas))},
            {"point", text(m.point)},
            {"expected", m.expected},
            {"tolerance", m.tolerance},
            {"reading", orNull(m.reading)},
            {"alarmsExpected", orNull(m.alarmsExpected)},
            {"alarmsSeen", orNull(m.alarmsSeen)},
            {"secondsToSteady", orNull(m.secondsToSteady)},
            {"secondsTo90", orNull(m.secondsTo90)},
            {"acceptedEarly", m.acceptedEarly},
            {"passed", m.passed},
            {"chart", chart}};
}

} // namespace

QString RecordListing::table(const std::vector<CalibrationRecord> &records) {
    std::vector<QStringList> rows{JournalTable::headings()};
    for (const CalibrationRecord &r : records)
        rows.push_back(JournalTable::cells(r));
    std::vector<qsizetype> widths(rows.front().size(), 0);
    for (const QStringList &row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[std::size_t(i)] = std::max(widths[std::size_t(i)], row[i].size());
    QString out;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            const bool number = i == JournalTable::Number || i == JournalTable::Serial;
            const qsizetype w = widths[std::size_t(i)];
            line += (number ? row[i].rightJustified(w) : row[i].leftJustified(w)) + "  ";
        }
        out += line.trimmed() + "\n";
    }
    return out;
}

QJsonObject RecordListing::json(const CalibrationRecord &r) {
    QJsonArray measurements, points;
    for (const Measurement &m : r.measurements)
        measurements.append(measurementJson(m));
    for (const AdjustedPoint &p : r.points)
        points.append(QJsonObject{{"name", text(p.name)},
                                  {"perUnit", p.perUnit},
                                  {"before", orNull(p.before)},
                                  {"after", orNull(p.after)}});
    QJsonArray gases;
    for (const GasCylinder &g : r.gases)
        gases.append(QJsonObject{{"gas", text(testGasKey(g.gas))},
                                 {"number", text(g.cylinder.number)},
                                 {"cylinderGas", text(g.cylinder.gas)},
                                 {"concentration", g.cylinder.concentration},
                                 {"uncertainty", g.cylinder.uncertainty},
                                 {"balance", text(g.cylinder.balance)},
                                 {"supplier", text(g.cylinder.supplier)},
                                 {"certified", text(g.cylinder.certified)},
                                 {"expiry", text(g.cylinder.expiry)}});
    const Cylinder &c = r.cylinder;
    return {{"number", qint64(r.number)},
            {"corrects", r.corrects ? QJsonValue(qint64(*r.corrects)) : QJsonValue()},
            {"deviceType", r.deviceType},
            {"model", text(r.model)},
            {"serial", r.serial},
            {"block", int(r.block)},
            {"versions", byName(r.versions)},
            {"standPosition", orNull(r.standPosition)},
            {"sensorLabel", text(r.sensorLabel)},
            {"batch", text(r.batch)},
            {"technician", text(r.technician)},
            {"when", text(r.when)},
            {"cylinder", QJsonObject{{"number", text(c.number)},
                                     {"gas", text(c.gas)},
                                     {"concentration", c.concentration},
                                     {"expiry", text(c.expiry)}}},
            {"gases", gases},
            {"sensorGas", text(sensorGasKey(r.sensorGas))},
            {"perPercent", r.perPercent},
            {"steady", QJsonObject{{"windowSeconds", r.steady.windowSeconds},
                                   {"band", r.steady.band},
                                   {"readings", r.steady.readings}}},
            {"tolerance", r.tolerance},
            {"measurements", measurements},
            {"points", points},
            {"settingsAfter", byName(r.settingsAfter)},
            {"outcome", text(outcomeKey(r.outcome))},
            {"outcomeText", text(outcomeText(r.outcome))},
            {"remark", text(r.remark)},
            {"nextDue", text(r.nextDue)},
            {"toolVersion", text(r.toolVersion)},
            {"approvedBy", text(r.approvedBy)},
            {"laboratory", text(r.laboratory)},
            {"laboratoryAddress", text(r.laboratoryAddress)},
            {"method", text(r.method)},
            {"ambient", QJsonObject{{"temperature", orNull(r.ambient.temperature)},
                                    {"pressure", orNull(r.ambient.pressure)},
                                    {"humidity", orNull(r.ambient.humidity)}}},
            {"login", text(r.login)},
            {"hash", text(r.hash)}};
}

QJsonArray RecordListing::json(const std::vector<CalibrationRecord> &records) {
    QJsonArray all;
    for (const CalibrationRecord &r : records)
        all.append(json(r));
    return all;
}

QByteArray RecordListing::csv(const std::vector<CalibrationRecord> &records) {
    return JournalTable::csv(records, QLocale());
}
