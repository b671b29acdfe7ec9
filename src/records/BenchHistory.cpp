#include "BenchHistory.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

// "bench <> ''" alongside each bench asked for: the index on a bench's
// numbers leaves out the records from before benches.
namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}

// An empty text as such, not as SQL's NULL (which Qt binds for a null QString).
QString notNull(const QString &s) {
    return s.isNull() ? QString("") : s;
}

bool ran(QSqlQuery &q, const QString &sql, const QVariantList &binds, QString *why) {
    q.setForwardOnly(true);
    if (q.prepare(sql)) {
        for (const QVariant &b : binds)
            q.addBindValue(b);
        if (q.exec())
            return true;
    }
    *why = q.lastError().text();
    return false;
}
} // namespace

std::optional<BenchHistory::Row> BenchHistory::current(QSqlDatabase &db, QString *why) {
    QSqlQuery q(db);
    if (!ran(q,
             "SELECT seq, id, machine, since, held, held_from FROM this_bench ORDER BY seq DESC "
             "LIMIT 1",
             {}, why))
        return std::nullopt;
    if (!q.next()) {
        *why = "в журнале не указано, чей он";
        return std::nullopt;
    }
    return Row{q.value(0).toLongLong(), q.value(1).toString().toStdString(),
               q.value(2).toString(),   q.value(3).toString(),
               q.value(4).toString(),   q.value(5).toLongLong()};
}

bool BenchHistory::add(QSqlDatabase &db, Row row, QString *why) {
    const std::optional<Row> newest = current(db, why);
    if (!newest)
        return false;
    row.seq = newest->seq + 1;
    row.since = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    QSqlQuery q(db);
    if (!ran(q,
             "INSERT INTO this_bench (seq, id, machine, since, held, held_from) VALUES (?, ?, ?, "
             "?, ?, ?)",
             {qint64(row.seq), text(row.id), notNull(row.machine), row.since, notNull(row.held),
              qint64(row.heldFrom)},
             why))
        return false;
    const std::optional<Row> back = current(db, why);
    if (!back)
        return false;
    if (back->seq != row.seq || back->id != row.id || back->machine != row.machine ||
        back->held != row.held || back->heldFrom != row.heldFrom) {
        *why = "строка рабочего места читается из журнала не такой, какой записана";
        return false;
    }
    return true;
}

std::optional<std::vector<std::string>> BenchHistory::ids(QSqlDatabase &db, QString *why) {
    QSqlQuery q(db);
    if (!ran(q, "SELECT id FROM this_bench ORDER BY seq", {}, why))
        return std::nullopt;
    std::vector<std::string> out;
    while (q.next()) {
        std::string id = q.value(0).toString().toStdString();
        if (std::find(out.begin(), out.end(), id) == out.end())
            out.push_back(std::move(id));
    }
    return out;
}

std::optional<BenchHeads::Held> BenchHistory::heldUpTo(QSqlDatabase &db, const std::string &bench,
                                                       std::int64_t last, QString *why) {
    QSqlQuery q(db);
    if (!ran(q,
             "SELECT count(*), max(bench_number) FROM records WHERE bench = ? AND bench <> '' "
             "AND bench_number <= ?",
             {text(bench), qint64(last)}, why) ||
        !q.next())
        return std::nullopt;
    BenchHeads::Held held;
    held.records = q.value(0).toLongLong();
    held.highest = q.value(1).isNull() ? 0 : q.value(1).toLongLong();
    if (!ran(q, "SELECT hash FROM records WHERE bench = ? AND bench <> '' AND bench_number = ?",
             {text(bench), qint64(last)}, why))
        return std::nullopt;
    if (q.next())
        held.hashAtLast = q.value(0).toString().toStdString();
    return held;
}

std::optional<BenchHead> BenchHistory::headNow(QSqlDatabase &db, const std::string &bench,
                                               QString *why) {
    why->clear();
    QSqlQuery q(db);
    if (!ran(q,
             "SELECT bench_number, hash, (SELECT count(*) FROM records WHERE bench = ? AND bench "
             "<> '') FROM records WHERE bench = ? AND bench <> '' ORDER BY bench_number DESC "
             "LIMIT 1",
             {text(bench), text(bench)}, why))
        return std::nullopt;
    if (!q.next())
        return std::nullopt;
    return BenchHead{bench, q.value(2).toLongLong(), q.value(0).toLongLong(),
                     q.value(1).toString().toStdString()};
}
