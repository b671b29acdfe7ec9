#include "RecordCommands.h"

#include "BenchCli.h"
#include "CommandLine.h"
#include "RecordListing.h"
#include "files/ShownPath.h"
#include "records/BenchComparison.h"
#include "records/Certificate.h"
#include "records/CylinderRegister.h"
#include "records/DueList.h"
#include "records/ExistingJournal.h"
#include "records/Outbox.h"
#include "records/RecordLocation.h"
#include "records/RecordStore.h"

#include <QJsonDocument>

namespace {
// Opens a journal that must be there already; says why not otherwise.
std::unique_ptr<RecordStore> openExisting(const CliRequest &request, QTextStream &err) {
    QString error;
    std::unique_ptr<RecordStore> store = openExistingJournal(request.records, &error);
    if (!store && error.isEmpty())
        err << "ze23-cli: журнала калибровок " << RecordLocation::shown(request.records)
            << " нет\n";
    else if (!store)
        err << "ze23-cli: " << error << "\n";
    return store;
}

int verify(const CliRequest &request, QTextStream &out, QTextStream &err) {
    const std::unique_ptr<RecordStore> store = openExisting(request, err);
    if (!store)
        return ExitStatus::Failed;
    const ChainCheck check = store->verify();
    if (check.finding == ChainCheck::Finding::Unread) {
        err << "ze23-cli: " << check.reason << "\n";
        return ExitStatus::Failed;
    }
    out << check.reason << "\n";
    // What the journal lacks against what this computer knows of its
    // benches' newest records; and whether it is still its bench's own here.
    const QStringList lacks = store->checkHeads();
    for (const QString &line : lacks)
        out << line << "\n";
    const BenchStanding standing = store->standing();
    const QString newBench =
        "ze23-cli journal new-bench --records " + RecordLocation::shown(request.records);
    // Records taken out are named above already.
    if (standing.kind == BenchStanding::Kind::Restored)
        out << "Если журнал восстановлен из резервной копии, заведите рабочему месту новый номер: "
            << newBench << "\n";
    else if (standing.doubtful())
        out << standing.note << " Новый номер рабочего места: " << newBench << "\n";
    bool agree = lacks.isEmpty();
    // The register of cylinders, checked the same way.
    const ChainCheck cylinders = CylinderRegister(*store).verify();
    if (cylinders.finding == ChainCheck::Finding::Unread) {
        err << "ze23-cli: " << cylinders.reason << "\n";
        return ExitStatus::Failed;
    }
    out << cylinders.reason << "\n";
    const bool registerWhole = cylinders.finding == ChainCheck::Finding::Intact;
    if (!request.against.isEmpty()) {
        CliRequest own = request;
        own.records = request.against;
        const std::unique_ptr<RecordStore> bench = openExisting(own, err);
        if (!bench)
            return ExitStatus::Failed;
        const std::vector<CalibrationRecord> journal = store->list(), kept = bench->list();
        if (!store->lastError().isEmpty() || !bench->lastError().isEmpty()) {
            err << "ze23-cli: журнал не прочитан: " << store->lastError() << bench->lastError()
                << "\n";
            return ExitStatus::Failed;
        }
        // Every id the bench has kept its records under.
        const std::vector<CalibrationRecord> sent = Outbox(*bench).asSent(kept);
        QStringList differ, ids;
        for (const std::string &id : bench->benches()) {
            differ << BenchComparison::differences(journal, sent, id);
            ids << QString::fromStdString(id);
        }
        for (const QString &line : differ)
            out << line << "\n";
        agree = agree && differ.isEmpty();
        if (differ.isEmpty())
            out << "Журнал и рабочее место " << ids.join(", ") << " совпадают запись за записью.\n";
    }
    return check.finding == ChainCheck::Finding::Intact && registerWhole && agree
               ? ExitStatus::Done
               : ExitStatus::Failed;
}
} // namespace

int RecordCommands::records(const CliRequest &request, QTextStream &out, QTextStream &err) {
    if (request.verify)
        return verify(request, out, err);
    // Listing never makes a journal: none yet is no records yet.
    std::vector<CalibrationRecord> found;
    QString error;
    const std::unique_ptr<RecordStore> store = openExistingJournal(request.records, &error);
    if (!store && !error.isEmpty()) {
        err << "ze23-cli: " << error << "\n";
        return ExitStatus::Failed;
    }
    if (store) {
        // The due list needs each instrument's newest record, and its row alone.
        found = request.due ? store->newestOfEach(request.serials) : store->list(request.serials);
        if (!store->lastError().isEmpty()) {
            err << "ze23-cli: журнал калибровок " << RecordLocation::shown(request.records)
                << " не прочитан: " << store->lastError() << "\n";
            return ExitStatus::Failed;
        }
    }
    if (request.due) {
        const auto due = DueList::within(found, QDate::currentDate(), request.days);
        if (request.json)
            out << QJsonDocument(DueList::json(due)).toJson(QJsonDocument::Compact) << "\n";
        else
            out << DueList::table(due);
    } else if (request.json)
        out << QJsonDocument(RecordListing::json(found)).toJson(QJsonDocument::Compact) << "\n";
    else if (request.csv)
        out << RecordListing::csv(found);
    else if (found.empty())
        out << "Записей нет" << (request.serials.empty() ? "" : " об этих приборах") << " (журнал "
            << RecordLocation::shown(request.records) << (store ? ")" : " ещё не создан)") << ".\n";
    else
        out << RecordListing::table(found);
    return ExitStatus::Done;
}

int RecordCommands::certificate(const CliRequest &request, QTextStream &out, QTextStream &err) {
    const std::unique_ptr<RecordStore> store = openExisting(request, err);
    if (!store)
        return ExitStatus::Failed;
    const std::optional<CalibrationRecord> record = store->find(request.number);
    if (!record) {
        err << "ze23-cli: ";
        if (store->lastError().isEmpty())
            err << "записи № " << request.number << " в журнале "
                << RecordLocation::shown(request.records) << " нет\n";
        else
            err << "журнал калибровок не прочитан: " << store->lastError() << "\n";
        return ExitStatus::Failed;
    }
    QString error;
    if (!Certificate::write(*record, request.output, &error)) {
        err << "ze23-cli: " << error << "\n";
        return ExitStatus::Failed;
    }
    out << "Свидетельство о калибровке № " << request.number << " записано в "
        << shownPath(request.output) << "\n";
    return ExitStatus::Done;
}
