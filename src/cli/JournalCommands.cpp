#include "JournalCommands.h"

#include "BenchCli.h"
#include "CommandLine.h"
#include "records/ExistingJournal.h"
#include "records/JournalRoles.h"
#include "records/RecordLocation.h"
#include "records/RecordStore.h"

#include <QSqlDatabase>

int JournalCommands::grant(const CliRequest &request, QTextStream &out, QTextStream &err) {
    RecordStore store;
    QString error;
    if (!store.open(request.records, &error)) {
        err << "ze23-cli: " << error << "\n";
        return ExitStatus::Failed;
    }
    QSqlDatabase db = QSqlDatabase::database(store.connectionName());
    if (!JournalRoles::grant(db, &error)) {
        err << "ze23-cli: роли журнала " << RecordLocation::shown(request.records)
            << " не созданы (это делает владелец базы, под своим входом): " << error << "\n";
        return ExitStatus::Failed;
    }
    out << "Журнал " << RecordLocation::shown(request.records)
        << ": роли ze23_technician (читает, добавляет записи и баллоны) и ze23_reader (читает) "
           "готовы; менять таблицы может только владелец базы.\n"
           "Вход сотрудника: CREATE ROLE имя LOGIN IN ROLE ze23_technician;\n";
    return ExitStatus::Done;
}

int JournalCommands::newBench(const CliRequest &request, QTextStream &out, QTextStream &err) {
    const QString shown = RecordLocation::shown(request.records);
    QString error;
    const std::unique_ptr<RecordStore> store = openExistingJournal(request.records, &error);
    if (!store) {
        err << "ze23-cli: " << (error.isEmpty() ? "журнала калибровок " + shown + " нет" : error)
            << "\n";
        return ExitStatus::Failed;
    }
    const QString was = QString::fromStdString(store->bench());
    const BenchStanding before = store->standing();
    const std::optional<std::string> id = store->takeNewBench(&error);
    if (!id) {
        err << "ze23-cli: " << error << "\n";
        return ExitStatus::Failed;
    }
    out << "Журнал " << shown << ": новые записи идут под номером рабочего места "
        << QString::fromStdString(*id) << " (был " << was
        << "); записи, сохранённые раньше, остаются как есть";
    if (before.kind == BenchStanding::Kind::Held)
        out << ", а сохранённые в нём после копирования или восстановления — только в этом "
               "журнале, на сервер они не отправляются";
    out << ".\n";
    return ExitStatus::Done;
}
