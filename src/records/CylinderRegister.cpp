#include "CylinderRegister.h"

#include "CylinderRows.h"
#include "RecordHash.h"
#include "RecordStore.h"
#include "RecordTexts.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {
using CylinderRows::Columns;

QString text(const std::string &s) {
    return QString::fromStdString(s);
}
std::string iso(QDate day) {
    return day.toString(Qt::ISODate).toStdString();
}

QString notAdded(const QString &why) {
    return "Баллон не внесён в реестр: " + why;
}

// Runs `sql` with `binds` in order; false with the database's reason.
bool run(QSqlQuery &q, const QString &sql, const QVariantList &binds, QString *why) {
    if (!q.prepare(sql)) {
        *why = q.lastError().text();
        return false;
    }
    for (qsizetype i = 0; i < binds.size(); ++i)
        q.bindValue(int(i), binds[i]);
    if (q.exec())
        return true;
    *why = q.lastError().text();
    return false;
}

// The server's lock for adding to the register, held to the end of the
// transaction, so that two benches adding at once chain one after the other.
const char *const AddLock = "SELECT pg_advisory_xact_lock(2302303)";

// The register's newest place in its order and hash; 0 and empty for none.
bool chainEnd(QSqlQuery &q, std::int64_t *seq, std::string *hash, QString *why) {
    if (!run(q, "SELECT seq, hash FROM cylinders ORDER BY seq DESC LIMIT 1", {}, why))
        return false;
    *seq = 0;
    hash->clear();
    if (q.next()) {
        *seq = q.value(0).toLongLong();
        *hash = q.value(1).toString().toStdString();
    }
    return true;
}
} // namespace

std::optional<std::vector<RegisteredCylinder>>
CylinderRegister::select(const QString &where, const QVariantList &binds, QString *error) const {
    error->clear();
    if (!store_.isOpen()) {
        *error = "журнал калибровок не открыт";
        return std::nullopt;
    }
    QSqlQuery q(QSqlDatabase::database(store_.connectionName()));
    q.setForwardOnly(true);
    if (!run(q, QString("SELECT %1 FROM cylinders WHERE %2 ORDER BY number").arg(Columns, where),
             binds, error)) {
        *error = "реестр баллонов не прочитан: " + *error;
        return std::nullopt;
    }
    std::vector<RegisteredCylinder> found;
    while (q.next())
        found.push_back(CylinderRows::fields(q));
    return found;
}

bool CylinderRegister::add(RegisteredCylinder cylinder, QString *error, LookAlikes lookAlikes) {
    if (const auto fault = entryFault(cylinder)) {
        *error = text(*fault);
        return false;
    }
    if (!store_.isOpen()) {
        *error = notAdded("журнал калибровок не открыт");
        return false;
    }
    if (cylinder.added.empty())
        cylinder.added = QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toStdString();
    QSqlDatabase db = QSqlDatabase::database(store_.connectionName());
    // SQLite takes the file for writing at once, so that a writer already
    // there is waited for (as records are) instead of refusing this one
    // midway with "database is locked".
    QSqlQuery begin(db);
    const bool server = db.driverName() == "QPSQL";
    if (!(server ? db.transaction() && (begin.exec(AddLock) || (db.rollback(), false))
                 : begin.exec("BEGIN IMMEDIATE"))) {
        *error = notAdded(begin.lastError().isValid() ? begin.lastError().text()
                                                      : db.lastError().text());
        return false;
    }
    const auto undo = [&](const QString &why) {
        db.rollback();
        *error = notAdded(why);
        return false;
    };
    QString why;
    const auto before = select("number = ?", {text(cylinder.number)}, &why);
    if (!before)
        return undo(why);
    if (!before->empty())
        return undo(QString("баллон № %1 в реестре уже есть (внесён %2)")
                        .arg(text(cylinder.number), text(before->front().added).left(10)));
    if (lookAlikes == LookAlikes::Refused) {
        const auto all = select("1 = 1", {}, &why);
        if (!all)
            return undo(why);
        std::vector<std::string> numbers;
        for (const RegisteredCylinder &c : *all)
            numbers.push_back(c.number);
        if (const auto like = lookAlikeOf(cylinder.number, numbers))
            return undo(QString("в реестре есть баллон № %1, его номер отличается от № %2 только "
                                "похожими русскими и латинскими буквами. Если это он, выберите "
                                "его из реестра; если другой, проверьте, какими буквами написан "
                                "номер")
                            .arg(text(*like), text(cylinder.number)));
    }
    QSqlQuery q(db);
    std::int64_t seq = 0;
    std::string previous;
    if (!chainEnd(q, &seq, &previous, &why))
        return undo(why);
    ++seq;
    if (!run(q,
             QString("INSERT INTO cylinders (%1, seq, hash, previous_hash) VALUES (?, ?, ?, ?, ?, "
                     "?, ?, ?, ?, ?, ?, ?, ?)")
                 .arg(Columns),
             CylinderRows::values(cylinder)
                 << qint64(seq) << text(RecordHash::cylinderChained(previous, seq, cylinder))
                 << text(previous),
             &why))
        return undo(why);
    // Read back before the commit, so that what the database would keep
    // otherwise than given leaves no trace.
    const auto written = select("number = ?", {text(cylinder.number)}, &why);
    if (!written)
        return undo(why);
    if (written->size() != 1 || written->front() != cylinder)
        return undo("баллон читается из реестра не таким, каким внесён");
    if (!db.commit())
        return undo(db.lastError().text());
    const auto kept = find(cylinder.number, &why);
    if (!kept || *kept != cylinder) {
        *error = QString("Баллон № %1 внесён в реестр, но читается из него не таким, каким "
                         "внесён%2")
                     .arg(text(cylinder.number), why.isEmpty() ? QString() : ": " + why);
        return false;
    }
    return true;
}

std::optional<std::vector<RegisteredCylinder>> CylinderRegister::all(QString *error) const {
    return select("1 = 1", {}, error);
}

std::optional<RegisteredCylinder> CylinderRegister::find(const std::string &number,
                                                         QString *error) const {
    auto found = select("number = ?", {text(number)}, error);
    if (!found || found->empty())
        return std::nullopt;
    return std::move(found->front());
}

std::optional<std::vector<RegisteredCylinder>>
CylinderRegister::usable(QDate day, const CalibrationRules &rules, SensorGas gas, QString *error,
                         TestGas role) const {
    auto found = select("expiry >= ?", {text(iso(day))}, error);
    if (found)
        std::erase_if(*found, [&](const RegisteredCylinder &c) {
            return gasMisfit(c, rules, gas, role).has_value();
        });
    return found;
}

std::optional<std::vector<RegisteredCylinder>> CylinderRegister::expiring(QDate day, int days,
                                                                          QString *error) const {
    auto found = select("expiry >= ? AND expiry <= ?",
                        {text(iso(day)), text(iso(day.addDays(days)))}, error);
    if (found)
        std::stable_sort(found->begin(), found->end(),
                         [](const RegisteredCylinder &a, const RegisteredCylinder &b) {
                             return a.expiry < b.expiry;
                         });
    return found;
}

ChainCheck CylinderRegister::verify() const {
    const auto unread = [](const QString &why) {
        return ChainCheck{ChainCheck::Finding::Unread, 0, 0, "Реестр баллонов не прочитан: " + why};
    };
    if (!store_.isOpen())
        return unread("журнал калибровок не открыт");
    QSqlQuery q(QSqlDatabase::database(store_.connectionName()));
    q.setForwardOnly(true);
    QString why;
    if (!run(
            q,
            QString("SELECT %1, seq, hash, previous_hash FROM cylinders ORDER BY seq").arg(Columns),
            {}, &why))
        return unread(why);
    std::string previous;
    std::int64_t seq = 0;
    std::size_t n = 0;
    for (; q.next(); ++n) {
        const RegisteredCylinder c = CylinderRows::fields(q);
        const std::int64_t at = q.value(10).toLongLong();
        const std::string hash = q.value(11).toString().toStdString();
        const QString number = text(c.number);
        if (q.value(10).isNull() ||
            hash != RecordHash::cylinderChained(q.value(12).toString().toStdString(), at, c))
            return {ChainCheck::Finding::Changed, at, n,
                    QString("Баллон № %1 изменён после внесения в реестр").arg(number)};
        if (at != seq + 1 || q.value(12).toString().toStdString() != previous)
            return {ChainCheck::Finding::Missing, at, n,
                    QString("Перед баллоном № %1 из реестра удалён баллон").arg(number)};
        previous = hash;
        seq = at;
    }
    return {ChainCheck::Finding::Intact, 0, n,
            QString("Реестр баллонов цел: %1, каждый как внесён.")
                .arg(RecordTexts::counted(qint64(n), "баллон", "баллона", "баллонов"))};
}
