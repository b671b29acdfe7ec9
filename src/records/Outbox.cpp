#include "Outbox.h"

#include "BenchHistory.h"
#include "RecordStore.h"
#include "RecordTexts.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {
// The records of every bench id the journal has had, but those held back
// (BenchHistory.h), that no server has taken yet.
const QString Unsent = QString(BenchHistory::OwnAndNotHeld) +
                       " AND NOT EXISTS (SELECT 1 FROM sent WHERE sent.bench = records.bench AND "
                       "sent.bench_number = records.bench_number)";

// Whether the record is one of the benches `ids`.
bool ofOneOf(const CalibrationRecord &r, const std::vector<std::string> &ids) {
    return !r.bench.empty() && std::find(ids.begin(), ids.end(), r.bench) != ids.end();
}

QString failed(const QSqlQuery &q) {
    return "журнал этого рабочего места не прочитан: " + q.lastError().text();
}
} // namespace

Outbox::Outbox(RecordStore &bench) : bench_(bench) {}

std::optional<std::int64_t> Outbox::waiting(QString *why) const {
    QSqlQuery q(QSqlDatabase::database(bench_.connectionName()));
    q.prepare("SELECT count(*) FROM records WHERE " + Unsent);
    if (!q.exec() || !q.next()) {
        *why = failed(q);
        return std::nullopt;
    }
    return q.value(0).toLongLong();
}

std::optional<std::vector<std::int64_t>> Outbox::waitingNumbers(QString *why) const {
    QSqlQuery q(QSqlDatabase::database(bench_.connectionName()));
    q.prepare("SELECT number FROM records WHERE " + Unsent + " ORDER BY number");
    if (!q.exec()) {
        *why = failed(q);
        return std::nullopt;
    }
    std::vector<std::int64_t> numbers;
    while (q.next())
        numbers.push_back(q.value(0).toLongLong());
    return numbers;
}

std::optional<Outbox::SentNumbers> Outbox::sentNumbers(QString *why) const {
    QSqlQuery q(QSqlDatabase::database(bench_.connectionName()));
    if (!q.exec("SELECT bench, bench_number, server_number FROM sent")) {
        *why = failed(q);
        return std::nullopt;
    }
    SentNumbers numbers;
    while (q.next())
        numbers[{q.value(0).toString().toStdString(), q.value(1).toLongLong()}] =
            q.value(2).toLongLong();
    return numbers;
}

std::optional<CalibrationRecord> Outbox::outgoing(const CalibrationRecord &r, QString *why) const {
    CalibrationRecord out = r;
    if (!r.corrects)
        return out;
    const std::optional<CalibrationRecord> earlier = bench_.find(*r.corrects);
    if (!earlier || !ofOneOf(*earlier, bench_.benches())) {
        *why = QString("исправляемая запись № %1 не из тех, что это рабочее место отправляет на "
                       "сервер")
                   .arg(*r.corrects);
        return std::nullopt;
    }
    const auto sent = sentNumbers(why);
    if (!sent)
        return std::nullopt;
    const auto there = sent->find({earlier->bench, earlier->benchNumber});
    if (there == sent->end()) {
        *why = QString("исправляемая запись № %1 ещё не отправлена").arg(*r.corrects);
        return std::nullopt;
    }
    out.corrects = there->second;
    return out;
}

bool Outbox::note(const CalibrationRecord &r, std::int64_t serverNumber, QString *why) {
    QSqlQuery q(QSqlDatabase::database(bench_.connectionName()));
    q.prepare("INSERT INTO sent (bench, bench_number, server_number, at) VALUES (?, ?, ?, ?)");
    q.addBindValue(QString::fromStdString(r.bench));
    q.addBindValue(qint64(r.benchNumber));
    q.addBindValue(qint64(serverNumber));
    q.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    if (!q.exec()) {
        *why = "не отмечено, что запись отправлена: " + q.lastError().text();
        return false;
    }
    const auto sent = sentNumbers(why);
    if (!sent)
        return false;
    const auto kept = sent->find({r.bench, r.benchNumber});
    if (kept == sent->end() || kept->second != serverNumber) {
        *why = "отметка об отправке читается не такой, какой записана";
        return false;
    }
    return true;
}

Outbox::Pass Outbox::send(RecordStore &server) {
    Pass pass;
    QString why;
    const auto numbers = waitingNumbers(&why);
    if (!numbers) {
        pass.error = why;
        return pass;
    }
    for (std::int64_t n : *numbers) {
        const std::optional<CalibrationRecord> r = bench_.find(n);
        if (!r) {
            pass.error = QString("запись № %1 не прочитана из журнала этого рабочего места: %2")
                             .arg(n)
                             .arg(bench_.lastError());
            break;
        }
        const std::optional<CalibrationRecord> out = outgoing(*r, &why);
        const std::optional<std::int64_t> there = out ? server.add(*out, &why) : std::nullopt;
        if (!there || !note(*r, *there, &why)) {
            CalibrationRecord unsent = *r;
            unsent.number = 0;
            pass.error = QString("Запись %1 не отправлена на сервер: ")
                             .arg(RecordTexts::recordNumber(unsent)) +
                         why;
            break;
        }
        pass.sent.emplace_back(r->benchNumber, *there);
    }
    const auto left = waiting(&why);
    pass.waiting = left ? *left : std::int64_t(numbers->size() - pass.sent.size());
    if (!left && pass.error.isEmpty())
        pass.error = why;
    return pass;
}

std::vector<CalibrationRecord> Outbox::asSent(std::vector<CalibrationRecord> records) const {
    QString why;
    const SentNumbers sent = sentNumbers(&why).value_or(SentNumbers{});
    const std::vector<std::string> ids = bench_.benches();
    std::map<std::int64_t, std::int64_t> renumbered; // the journal's number → as shown
    for (CalibrationRecord &r : records) {
        if (!ofOneOf(r, ids))
            continue;
        const auto there = sent.find({r.bench, r.benchNumber});
        const std::int64_t shown = there != sent.end() ? there->second : 0;
        renumbered[r.number] = shown;
        r.number = shown;
    }
    for (CalibrationRecord &r : records)
        if (r.corrects && renumbered.count(*r.corrects) && renumbered[*r.corrects] != 0)
            r.corrects = renumbered[*r.corrects];
    return records;
}
