// The store's bench: the ids its journal has had, how the journal stands on
// this computer, and the bench's head here (BenchHistory.h, BenchStanding.h,
// BenchHead.h).

#include "RecordStore.h"

#include "BenchHead.h"
#include "RecordLocation.h"
#include "RecordSchema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {
void say(QString *error, const QString &text) {
    if (error)
        *error = text;
}
} // namespace

void RecordStore::settleBench() {
    // A journal from before gets this computer on first opening here. A
    // failure (another program holds the file) leaves it to the next
    // opening or the next record kept.
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery begin(db);
    QString failed;
    const std::optional<BenchHistory::Row> row = BenchHistory::current(db, &failed);
    if (row && row->machine.isEmpty() && !machine_.isEmpty() && begin.exec("BEGIN IMMEDIATE")) {
        BenchStanding ignored;
        std::optional<BenchHead> head;
        if (ownBench(&ignored, &head, &failed))
            db.commit();
        else
            db.rollback();
    }
    review();
}

std::optional<BenchHistory::Row>
RecordStore::ownBench(BenchStanding *standing, std::optional<BenchHead> *head, QString *why) {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    std::optional<BenchHistory::Row> row = BenchHistory::current(db, why);
    if (!row || !onFile())
        return row;
    if (row->machine.isEmpty() && !machine_.isEmpty()) {
        BenchHistory::Row here;
        here.id = row->id;
        here.machine = machine_;
        if (!BenchHistory::add(db, here, why))
            return std::nullopt;
        row = BenchHistory::current(db, why);
        if (!row)
            return std::nullopt;
    }
    *standing = judge(*row, head, why);
    if (!why->isEmpty())
        return std::nullopt;
    return row;
}

BenchStanding RecordStore::judge(const BenchHistory::Row &row, std::optional<BenchHead> *head,
                                 QString *why) const {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    // A head that cannot be read is named by checkHeads(); the journal is
    // then taken as it is.
    QString unread;
    *head = BenchHeads::read(headFolder_, row.id, &unread);
    QString shortOf;
    if (*head) {
        const auto held = BenchHistory::heldUpTo(db, row.id, (*head)->last, why);
        if (!held)
            return {};
        shortOf = BenchHeads::shortfall(**head, *held);
    }
    return BenchStandings::judge(row, machine_, shortOf, RecordLocation::shown(path_));
}

void RecordStore::review() {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QString why;
    const std::optional<BenchHistory::Row> row = BenchHistory::current(db, &why);
    if (!row)
        return;
    bench_ = row->id;
    std::optional<BenchHead> head;
    standing_ = judge(*row, &head, &why);
    if (!standing_.doubtful() && why.isEmpty())
        keepHead();
}

void RecordStore::keepHead() {
    headError_.clear();
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QString why;
    const std::optional<BenchHead> now = BenchHistory::headNow(db, bench_, &why);
    if (!now) {
        headError_ = why;
        return;
    }
    const std::optional<BenchHead> kept = BenchHeads::read(headFolder_, bench_, &why);
    // A head that cannot be read stays as it is, for verify to name; a head
    // is never lowered.
    if (!why.isEmpty() || (kept && kept->last >= now->last)) {
        headError_ = why;
        return;
    }
    if (!BenchHeads::write(headFolder_, *now, &why))
        headError_ = why;
}

std::vector<std::string> RecordStore::benches() const {
    if (!open_)
        return {};
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QString why;
    return BenchHistory::ids(db, &why).value_or(std::vector<std::string>{bench_});
}

std::optional<std::string> RecordStore::takeNewBench(QString *error) {
    const auto refused = [&](const QString &why) -> std::optional<std::string> {
        say(error, "Новый номер рабочего места не заведён: " + why);
        return std::nullopt;
    };
    if (!open_)
        return refused("журнал калибровок не открыт");
    if (!onFile())
        return refused("номер заводят журналу рабочего места (файлу), а не журналу на сервере");
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery begin(db);
    if (!begin.exec("BEGIN IMMEDIATE"))
        return refused(begin.lastError().text());
    QString why;
    const std::optional<std::vector<std::string>> taken = BenchHistory::ids(db, &why);
    BenchHistory::Row row;
    row.machine = machine_;
    do
        row.id = RecordSchema::newBenchId().toStdString();
    while (taken && std::find(taken->begin(), taken->end(), row.id) != taken->end());
    if (!taken || !BenchHistory::add(db, row, &why) || !db.commit()) {
        db.rollback();
        return refused(why.isEmpty() ? db.lastError().text() : why);
    }
    review();
    return row.id;
}

QStringList RecordStore::checkHeads() const {
    QStringList found;
    if (!open_ || !onFile())
        return found;
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QString why;
    const auto ids = BenchHistory::ids(db, &why);
    if (!ids)
        return {"Журнал калибровок не прочитан: " + why};
    for (const std::string &id : *ids) {
        const std::optional<BenchHead> head = BenchHeads::read(headFolder_, id, &why);
        if (!why.isEmpty())
            found << "Последние записи рабочего места " + QString::fromStdString(id) +
                         " не проверены: " + why;
        if (!head)
            continue;
        const auto held = BenchHistory::heldUpTo(db, id, head->last, &why);
        if (!held)
            return found << "Журнал калибровок не прочитан: " + why;
        if (const QString lacks = BenchHeads::shortfall(*head, *held); !lacks.isEmpty())
            found << lacks;
    }
    return found;
}
