#include "RecordRows.h"

#include "ChartText.h"
#include "RecordKeys.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

#include <unordered_map>

namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}
std::string utf8(const QVariant &v) {
    return v.toString().toStdString();
}

template <typename T> QVariant nullable(const std::optional<T> &v) {
    return v ? QVariant::fromValue(*v) : QVariant();
}
std::optional<int> optionalInt(const QVariant &v) {
    return v.isNull() ? std::nullopt : std::optional<int>(v.toInt());
}
std::optional<double> optionalReal(const QVariant &v) {
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

// Runs the prepared statement with `values` bound in order.
bool run(QSqlQuery &q, const QVariantList &values, QString *why) {
    for (qsizetype i = 0; i < values.size(); ++i)
        q.bindValue(int(i), values[i]);
    if (q.exec())
        return true;
    *why = q.lastError().text();
    return false;
}

bool prepared(QSqlQuery &q, const QString &sql, QString *why) {
    if (q.prepare(sql))
        return true;
    *why = q.lastError().text();
    return false;
}

QVariantList recordValues(const CalibrationRecord &r) {
    return {r.corrects ? QVariant(qint64(*r.corrects)) : QVariant(),
            r.deviceType,
            text(r.model),
            r.serial,
            int(r.block),
            nullable(r.standPosition),
            text(r.technician),
            text(r.when),
            text(r.cylinder.number),
            text(r.cylinder.gas),
            r.cylinder.concentration,
            text(r.cylinder.expiry),
            text(sensorGasKey(r.sensorGas)),
            r.perPercent,
            r.steady.windowSeconds,
            r.steady.band,
            r.tolerance,
            text(outcomeKey(r.outcome)),
            text(r.remark),
            text(r.nextDue),
            text(r.toolVersion),
            text(r.bench),
            qint64(r.benchNumber),
            r.cylinder.uncertainty,
            text(r.cylinder.balance),
            text(r.cylinder.supplier),
            text(r.cylinder.certified),
            text(r.approvedBy),
            text(r.laboratory),
            text(r.laboratoryAddress),
            text(r.method),
            nullable(r.ambient.temperature),
            nullable(r.ambient.pressure),
            nullable(r.ambient.humidity),
            text(r.login),
            text(r.sensorLabel),
            text(r.batch),
            r.steady.readings};
}

const char *const RecordColumns =
    "corrects, device_type, model, serial, block, stand_position, technician, at, "
    "cylinder_number, cylinder_gas, cylinder_concentration, cylinder_expiry, sensor_gas, "
    "per_percent, steady_seconds, steady_band, tolerance, outcome, remark, next_due, "
    "tool_version, bench, bench_number, cylinder_uncertainty, cylinder_balance, "
    "cylinder_supplier, cylinder_certified, approved_by, laboratory, laboratory_address, method, "
    "ambient_temperature, ambient_pressure, ambient_humidity, db_login, sensor_label, batch, "
    "steady_readings";
// The same as a journal had them before benches (the step that chained its
// records reads them so).
const char *const RecordColumnsBeforeBenches =
    "corrects, device_type, model, serial, block, stand_position, technician, at, "
    "cylinder_number, cylinder_gas, cylinder_concentration, cylinder_expiry, sensor_gas, "
    "per_percent, steady_seconds, steady_band, tolerance, outcome, remark, next_due, "
    "tool_version";

QVariantList measurementValues(std::int64_t number, int seq, const Measurement &m) {
    return {qint64(number),
            seq,
            text(phaseKey(m.phase)),
            text(testGasKey(m.gas)),
            text(m.point),
            m.expected,
            m.tolerance,
            nullable(m.reading),
            nullable(m.alarmsExpected),
            nullable(m.alarmsSeen),
            nullable(m.secondsToSteady),
            nullable(m.secondsTo90),
            int(m.acceptedEarly),
            int(m.passed),
            text(chartToText(m.chart))};
}

const char *const MeasurementColumns =
    "record, seq, phase, gas, point, expected, tolerance, reading, alarms_expected, alarms_seen, "
    "seconds_to_steady, seconds_to_90, accepted_early, passed, chart";

const char *const GasColumns = "record, seq, gas, number, cylinder_gas, concentration, "
                               "uncertainty, balance, supplier, certified, expiry";

bool fillGas(const QSqlQuery &q, GasCylinder &g) {
    const auto gas = testGasFromKey(utf8(q.value(2)));
    if (!gas)
        return false;
    g.gas = *gas;
    int c = 3;
    g.cylinder.number = utf8(q.value(c++));
    g.cylinder.gas = utf8(q.value(c++));
    g.cylinder.concentration = q.value(c++).toInt();
    g.cylinder.uncertainty = q.value(c++).toInt();
    g.cylinder.balance = utf8(q.value(c++));
    g.cylinder.supplier = utf8(q.value(c++));
    g.cylinder.certified = utf8(q.value(c++));
    g.cylinder.expiry = utf8(q.value(c++));
    return true;
}

QString placeholders(int n) {
    QString s = "?";
    for (int i = 1; i < n; ++i)
        s += ", ?";
    return s;
}

QString insertSql(const char *table, const char *columns, int n) {
    return QString("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns, placeholders(n));
}

// The record read so far, with its row's remaining fields.
bool fillRecord(const QSqlQuery &q, CalibrationRecord &r, bool benches, QString *why) {
    int c = 0;
    r.number = q.value(c++).toLongLong();
    const QVariant corrects = q.value(c++);
    if (!corrects.isNull())
        r.corrects = corrects.toLongLong();
    r.deviceType = q.value(c++).toInt();
    r.model = utf8(q.value(c++));
    r.serial = q.value(c++).toInt();
    r.block = static_cast<std::uint8_t>(q.value(c++).toInt());
    r.standPosition = optionalInt(q.value(c++));
    r.technician = utf8(q.value(c++));
    r.when = utf8(q.value(c++));
    r.cylinder.number = utf8(q.value(c++));
    r.cylinder.gas = utf8(q.value(c++));
    r.cylinder.concentration = q.value(c++).toInt();
    r.cylinder.expiry = utf8(q.value(c++));
    const std::optional<SensorGas> gas = sensorGasFromKey(utf8(q.value(c++)));
    r.perPercent = q.value(c++).toInt();
    r.steady.windowSeconds = q.value(c++).toInt();
    r.steady.band = q.value(c++).toInt();
    r.tolerance = q.value(c++).toInt();
    const std::optional<CalibrationOutcome> outcome = outcomeFromKey(utf8(q.value(c++)));
    r.remark = utf8(q.value(c++));
    r.nextDue = utf8(q.value(c++));
    r.toolVersion = utf8(q.value(c++));
    if (benches) {
        r.bench = utf8(q.value(c++));
        r.benchNumber = q.value(c++).toLongLong();
        r.cylinder.uncertainty = q.value(c++).toInt();
        r.cylinder.balance = utf8(q.value(c++));
        r.cylinder.supplier = utf8(q.value(c++));
        r.cylinder.certified = utf8(q.value(c++));
        r.approvedBy = utf8(q.value(c++));
        r.laboratory = utf8(q.value(c++));
        r.laboratoryAddress = utf8(q.value(c++));
        r.method = utf8(q.value(c++));
        r.ambient.temperature = optionalInt(q.value(c++));
        r.ambient.pressure = optionalInt(q.value(c++));
        r.ambient.humidity = optionalInt(q.value(c++));
        r.login = utf8(q.value(c++));
        r.sensorLabel = utf8(q.value(c++));
        r.batch = utf8(q.value(c++));
        r.steady.readings = q.value(c++).toInt();
    }
    r.hash = utf8(q.value(c++));
    if (!gas || !outcome) {
        *why = QString("запись № %1 повреждена: %2").arg(r.number).arg(!gas ? "газ" : "итог");
        return false;
    }
    r.sensorGas = *gas;
    r.outcome = *outcome;
    return true;
}

bool fillMeasurement(const QSqlQuery &q, Measurement &m) {
    int c = 2;
    const auto phase = phaseFromKey(utf8(q.value(c++)));
    const auto gas = testGasFromKey(utf8(q.value(c++)));
    m.point = utf8(q.value(c++));
    m.expected = q.value(c++).toInt();
    m.tolerance = q.value(c++).toInt();
    m.reading = optionalInt(q.value(c++));
    m.alarmsExpected = optionalInt(q.value(c++));
    m.alarmsSeen = optionalInt(q.value(c++));
    m.secondsToSteady = optionalReal(q.value(c++));
    m.secondsTo90 = optionalReal(q.value(c++));
    m.acceptedEarly = q.value(c++).toBool();
    m.passed = q.value(c++).toBool();
    auto chart = chartFromText(utf8(q.value(c++)));
    if (!phase || !gas || !chart)
        return false;
    m.phase = *phase;
    m.gas = *gas;
    m.chart = std::move(*chart);
    return true;
}
} // namespace

std::optional<RecordRows::ChainEnd> RecordRows::chainEnd(QSqlDatabase &db, const std::string &bench,
                                                         QString *why) {
    const bool server = db.driverName() == "QPSQL";
    QSqlQuery q(db);
    // A number a failed write took on the server is not given again; SQLite
    // takes its numbers back with the transaction.
    const char *next =
        server
            ? "SELECT nextval(pg_get_serial_sequence('records', 'number'))"
            : "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'records'), 0), "
              "coalesce((SELECT max(number) FROM records), 0)) + 1";
    if (!q.exec(next) || !q.next()) {
        *why = q.lastError().isValid() ? q.lastError().text() : "журнал не выдал номер записи";
        return std::nullopt;
    }
    ChainEnd end;
    end.next = q.value(0).toLongLong();
    if (!prepared(q,
                  "SELECT hash, bench_number FROM records WHERE bench = ? AND bench <> '' "
                  "ORDER BY bench_number DESC LIMIT 1",
                  why) ||
        !run(q, {text(bench)}, why))
        return std::nullopt;
    if (q.next()) {
        end.lastHash = utf8(q.value(0));
        end.nextOfBench = q.value(1).toLongLong() + 1;
    }
    // A bench's number once sent to a server is never given again, even if
    // its record has gone from the bench's own journal: the next one then
    // shows the gap.
    if (!prepared(q, "SELECT max(bench_number) FROM sent WHERE bench = ?", why) ||
        !run(q, {text(bench)}, why))
        return std::nullopt;
    if (q.next() && !q.value(0).isNull())
        end.nextOfBench = std::max<std::int64_t>(end.nextOfBench, q.value(0).toLongLong() + 1);
    if (!q.exec("SELECT journal_link FROM records ORDER BY number DESC LIMIT 1")) {
        *why = q.lastError().text();
        return std::nullopt;
    }
    if (q.next())
        end.lastLink = utf8(q.value(0));
    return end;
}

std::optional<std::vector<std::pair<std::int64_t, std::string>>>
RecordRows::journalLinks(QSqlDatabase &db, QString *why, const QString &where,
                         const QVariantList &binds) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(
        QString("SELECT number, journal_link FROM records WHERE %1 ORDER BY number").arg(where));
    for (const QVariant &b : binds)
        q.addBindValue(b);
    if (!q.exec()) {
        *why = q.lastError().text();
        return std::nullopt;
    }
    std::vector<std::pair<std::int64_t, std::string>> out;
    while (q.next())
        out.emplace_back(q.value(0).toLongLong(), utf8(q.value(1)));
    return out;
}

bool RecordRows::setLink(QSqlDatabase &db, std::int64_t number, const std::string &link,
                         QString *why) {
    QSqlQuery q(db);
    return prepared(q, "UPDATE records SET journal_link = ? WHERE number = ?", why) &&
           run(q, {text(link), qint64(number)}, why);
}

bool RecordRows::insert(QSqlDatabase &db, const CalibrationRecord &r,
                        const std::string &previousHash, const std::string &link, QString *why) {
    QSqlQuery q(db);
    QVariantList values{qint64(r.number)};
    values << recordValues(r) << text(r.hash) << text(previousHash) << text(link);
    const QString sql =
        QString("INSERT INTO records (number, %1, hash, previous_hash, journal_link)%2 VALUES (%3)")
            .arg(RecordColumns, db.driverName() == "QPSQL" ? " OVERRIDING SYSTEM VALUE" : "",
                 placeholders(int(values.size())));
    if (!prepared(q, sql, why) || !run(q, values, why))
        return false;
    const std::int64_t number = r.number;

    if (!prepared(q, "INSERT INTO versions (record, name, version) VALUES (?, ?, ?)", why))
        return false;
    for (const auto &[name, version] : r.versions)
        if (!run(q, {qint64(number), text(name), version}, why))
            return false;

    if (!prepared(q, insertSql("measurements", MeasurementColumns, 15), why))
        return false;
    int seq = 0;
    for (const Measurement &m : r.measurements)
        if (!run(q, measurementValues(number, seq++, m), why))
            return false;

    if (!prepared(q,
                  "INSERT INTO points (record, seq, name, per_unit, before, after) "
                  "VALUES (?, ?, ?, ?, ?, ?)",
                  why))
        return false;
    seq = 0;
    for (const AdjustedPoint &p : r.points)
        if (!run(q,
                 {qint64(number), seq++, text(p.name), p.perUnit, nullable(p.before),
                  nullable(p.after)},
                 why))
            return false;

    if (!prepared(q, insertSql("gas_cylinders", GasColumns, 11), why))
        return false;
    seq = 0;
    for (const GasCylinder &g : r.gases) {
        const Cylinder &c = g.cylinder;
        if (!run(q,
                 {qint64(number), seq++, text(testGasKey(g.gas)), text(c.number), text(c.gas),
                  c.concentration, c.uncertainty, text(c.balance), text(c.supplier),
                  text(c.certified), text(c.expiry)},
                 why))
            return false;
    }

    if (!prepared(q, "INSERT INTO settings_after (record, name, value) VALUES (?, ?, ?)", why))
        return false;
    for (const auto &[name, value] : r.settingsAfter)
        if (!run(q, {qint64(number), text(name), value}, why))
            return false;
    return true;
}

bool RecordRows::setHashes(QSqlDatabase &db, std::int64_t number, const std::string &hash,
                           const std::string &previousHash, QString *why) {
    QSqlQuery q(db);
    return prepared(q, "UPDATE records SET hash = ?, previous_hash = ? WHERE number = ?", why) &&
           run(q, {text(hash), text(previousHash), qint64(number)}, why);
}

std::optional<std::vector<std::string>> RecordRows::previousHashes(QSqlDatabase &db, QString *why,
                                                                   const QString &where,
                                                                   const QVariantList &binds) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QString("SELECT previous_hash FROM records WHERE %1 ORDER BY number").arg(where));
    for (const QVariant &b : binds)
        q.addBindValue(b);
    if (!q.exec()) {
        *why = q.lastError().text();
        return std::nullopt;
    }
    std::vector<std::string> out;
    while (q.next())
        out.push_back(utf8(q.value(0)));
    return out;
}

std::optional<std::vector<CalibrationRecord>> RecordRows::select(QSqlDatabase &db,
                                                                 const QString &where,
                                                                 const QVariantList &binds,
                                                                 QString *why, Columns columns) {
    const bool benches = columns == Columns::Current;
    std::vector<CalibrationRecord> records;
    std::unordered_map<std::int64_t, std::size_t> at;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!prepared(q,
                  QString("SELECT number, %1, hash FROM records WHERE %2 ORDER BY number")
                      .arg(benches ? RecordColumns : RecordColumnsBeforeBenches, where),
                  why) ||
        !run(q, binds, why))
        return std::nullopt;
    while (q.next()) {
        CalibrationRecord r;
        if (!fillRecord(q, r, benches, why))
            return std::nullopt;
        at[r.number] = records.size();
        records.push_back(std::move(r));
    }
    if (records.empty())
        return records;

    // Each child table in one pass over the same records.
    const auto children = [&](const QString &columns, const char *table, const char *order,
                              auto take) {
        const QString sql = QString("SELECT %1 FROM %2 WHERE record IN (SELECT number FROM "
                                    "records WHERE %3) ORDER BY record, %4")
                                .arg(columns, table, where, order);
        if (!prepared(q, sql, why) || !run(q, binds, why))
            return false;
        while (q.next()) {
            const auto found = at.find(q.value(0).toLongLong());
            if (found == at.end())
                continue;
            CalibrationRecord &r = records[found->second];
            if (!take(r)) {
                *why = QString("запись № %1 повреждена: %2").arg(r.number).arg(table);
                return false;
            }
        }
        return true;
    };
    const bool read =
        children("record, name, version", "versions", "name",
                 [&](CalibrationRecord &r) {
                     r.versions[utf8(q.value(1))] = q.value(2).toInt();
                     return true;
                 }) &&
        children(MeasurementColumns, "measurements", "seq",
                 [&](CalibrationRecord &r) {
                     Measurement m;
                     if (!fillMeasurement(q, m))
                         return false;
                     r.measurements.push_back(std::move(m));
                     return true;
                 }) &&
        // A journal read before benches is being brought up to date and has
        // no gases' table yet.
        (!benches || children(GasColumns, "gas_cylinders", "seq",
                              [&](CalibrationRecord &r) {
                                  GasCylinder g;
                                  if (!fillGas(q, g))
                                      return false;
                                  r.gases.push_back(std::move(g));
                                  return true;
                              })) &&
        children("record, seq, name, per_unit, before, after", "points", "seq",
                 [&](CalibrationRecord &r) {
                     r.points.push_back({utf8(q.value(2)), q.value(3).toInt(),
                                         optionalInt(q.value(4)), optionalInt(q.value(5))});
                     return true;
                 }) &&
        children("record, name, value", "settings_after", "name", [&](CalibrationRecord &r) {
            r.settingsAfter[utf8(q.value(1))] = q.value(2).toInt();
            return true;
        });
    if (!read)
        return std::nullopt;
    return records;
}

std::optional<std::vector<CalibrationRecord>> RecordRows::summaries(QSqlDatabase &db,
                                                                    const QString &where,
                                                                    const QVariantList &binds,
                                                                    QString *why) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!prepared(q,
                  QString("SELECT number, bench, bench_number, device_type, model, serial, block, "
                          "at, outcome, next_due FROM records WHERE %1 ORDER BY number")
                      .arg(where),
                  why) ||
        !run(q, binds, why))
        return std::nullopt;
    std::vector<CalibrationRecord> records;
    while (q.next()) {
        CalibrationRecord r;
        int c = 0;
        r.number = q.value(c++).toLongLong();
        r.bench = utf8(q.value(c++));
        r.benchNumber = q.value(c++).toLongLong();
        r.deviceType = q.value(c++).toInt();
        r.model = utf8(q.value(c++));
        r.serial = q.value(c++).toInt();
        r.block = static_cast<std::uint8_t>(q.value(c++).toInt());
        r.when = utf8(q.value(c++));
        const std::optional<CalibrationOutcome> outcome = outcomeFromKey(utf8(q.value(c++)));
        r.nextDue = utf8(q.value(c++));
        if (!outcome) {
            *why = QString("запись № %1 повреждена: итог").arg(r.number);
            return std::nullopt;
        }
        r.outcome = *outcome;
        records.push_back(std::move(r));
    }
    return records;
}
