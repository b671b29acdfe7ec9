#include "CylinderCommands.h"

#include "BenchCli.h"
#include "CommandLine.h"
#include "records/CylinderRegister.h"
#include "records/RecordLocation.h"
#include "records/RecordStore.h"
#include "records/RecordTexts.h"

#include <QDate>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}

QString line(const RegisteredCylinder &c) {
    QStringList cells = RecordTexts::registeredCylinder(c);
    cells[6] = "паспорт " + cells[6];
    cells[7] = "годен до " + cells[7];
    return cells.join('\t') + "\n";
}

QJsonObject json(const RegisteredCylinder &c) {
    return {{"number", text(c.number)},
            {"gas", text(c.gas)},
            {"component", text(c.component)},
            {"concentration", c.concentration / 100.0},
            {"uncertainty", c.uncertainty / 100.0},
            {"balance", text(c.balance)},
            {"supplier", text(c.supplier)},
            {"certified", text(c.certified)},
            {"expiry", text(c.expiry)},
            {"added", text(c.added)}};
}

int list(const CliRequest &request, QTextStream &out, QTextStream &err) {
    // Listing never makes a journal: none yet is no cylinders yet.
    std::vector<RegisteredCylinder> found;
    const bool there = RecordStore::isServer(request.records) || QFileInfo::exists(request.records);
    if (there) {
        RecordStore store;
        QString error;
        std::optional<std::vector<RegisteredCylinder>> read;
        if (store.open(request.records, &error)) {
            const CylinderRegister cylinders(store);
            read = request.expiring
                       ? cylinders.expiring(QDate::currentDate(), *request.expiring, &error)
                       : cylinders.all(&error);
        }
        if (!read) {
            err << "ze23-cli: " << error << "\n";
            return ExitStatus::Failed;
        }
        found = std::move(*read);
    }
    if (request.json) {
        QJsonArray all;
        for (const RegisteredCylinder &c : found)
            all.append(json(c));
        out << QJsonDocument(all).toJson(QJsonDocument::Compact) << "\n";
    } else if (found.empty()) {
        out << (request.expiring ? "Баллонов с истекающим сроком нет" : "В реестре баллонов нет")
            << " (журнал " << RecordLocation::shown(request.records)
            << (there ? ")" : " ещё не создан)") << ".\n";
    } else {
        for (const RegisteredCylinder &c : found)
            out << line(c);
    }
    return ExitStatus::Done;
}

int add(const CliRequest &request, QTextStream &out, QTextStream &err) {
    RegisteredCylinder c = request.cylinder;
    const std::optional<int> concentration = hundredthsOf(request.concentration.toStdString());
    const std::optional<int> uncertainty = request.uncertainty.trimmed().isEmpty()
                                               ? std::optional<int>(0)
                                               : hundredthsOf(request.uncertainty.toStdString());
    if (!concentration || !uncertainty) {
        err << "ze23-cli: " << (concentration ? "погрешность" : "концентрация")
            << " — число процентов от 0 до 100, не больше двух знаков после запятой, например "
            << (concentration ? "0,05" : "2,50") << "; «"
            << (concentration ? request.uncertainty : request.concentration) << "» не подходит\n";
        return ExitStatus::Failed;
    }
    c.concentration = *concentration;
    c.uncertainty = *uncertainty;
    RecordStore store;
    QString error;
    if (!store.open(request.records, &error) || !CylinderRegister(store).add(c, &error)) {
        err << "ze23-cli: " << error << "\n";
        return ExitStatus::Failed;
    }
    out << "Баллон № " << text(c.number) << " внесён в реестр журнала "
        << RecordLocation::shown(request.records) << "\n";
    return ExitStatus::Done;
}
} // namespace

int CylinderCommands::run(const CliRequest &request, QTextStream &out, QTextStream &err) {
    return request.addCylinder ? add(request, out, err) : list(request, out, err);
}
