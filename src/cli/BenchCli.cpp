#include "BenchCli.h"

#include "AdapterList.h"
#include "CommandLine.h"
#include "CylinderCommands.h"
#include "JobReport.h"
#include "JournalCommands.h"
#include "RecordCommands.h"
#include "SnapshotFiles.h"
#include "files/ShownPath.h"
#include "link/CompositeFtDriver.h"
#include "settings/SnapshotJson.h"

#include <QJsonDocument>

#include <algorithm>

BenchCli::BenchCli(FtDriver &hardware, FtDriver &simulated, QTextStream &out, QTextStream &err,
                   TickWait wait)
    : hardware_(hardware), simulated_(simulated), out_(out), err_(err), wait_(std::move(wait)) {}

int BenchCli::run(const QStringList &arguments) {
    CommandLine commandLine;
    switch (commandLine.parse(arguments)) {
    case CommandLine::Parsed::Help:
        out_ << commandLine.helpText();
        return ExitStatus::Done;
    case CommandLine::Parsed::Version:
        out_ << "ze23-cli " << ZE23_VERSION << "\n";
        return ExitStatus::Done;
    case CommandLine::Parsed::UsageError:
        err_ << "ze23-cli: " << commandLine.error() << "\nПодробнее: ze23-cli --help\n";
        return ExitStatus::Usage;
    case CommandLine::Parsed::Run:
        break;
    }
    const CliRequest &request = commandLine.request();
    if (request.command == BenchCommand::Records)
        return RecordCommands::records(request, out_, err_);
    if (request.command == BenchCommand::Certificate)
        return RecordCommands::certificate(request, out_, err_);
    if (request.command == BenchCommand::Cylinders)
        return CylinderCommands::run(request, out_, err_);
    if (request.command == BenchCommand::Journal)
        return request.newBench ? JournalCommands::newBench(request, out_, err_)
                                : JournalCommands::grant(request, out_, err_);
    CompositeFtDriver driver;
    driver.add(hardware_);
    if (request.simulate)
        driver.add(simulated_);
    return request.command == BenchCommand::List ? list(driver, request) : runJobs(driver, request);
}

int BenchCli::list(FtDriver &driver, const CliRequest &request) {
    std::string error;
    const std::optional<std::vector<AdapterEntry>> adapters = listAdapters(driver, error);
    if (!adapters) {
        err_ << "ze23-cli: список адаптеров не прочитан: " << QString::fromStdString(error) << "\n";
        return ExitStatus::Failed;
    }
    for (const AdapterEntry &a : *adapters) {
        const QString serial = QString::fromStdString(a.serialNumber);
        const QString description = QString::fromStdString(a.description);
        if (request.json)
            out_ << QJsonDocument(QJsonObject{{"adapter", serial}, {"description", description}})
                        .toJson(QJsonDocument::Compact)
                 << "\n";
        else
            out_ << serial << "\t" << description << "\n";
    }
    if (adapters->empty() && !request.json)
        err_ << "Адаптеров не найдено.\n";
    return ExitStatus::Done;
}

int BenchCli::runJobs(FtDriver &driver, const CliRequest &request) {
    std::optional<InstrumentSnapshot> wanted;
    if (!request.file.isEmpty()) {
        QString error;
        wanted = SnapshotFiles::load(request.file, error);
        if (!wanted) {
            err_ << "ze23-cli: " << error << "\n";
            return ExitStatus::Failed;
        }
    }
    // An adapter missing from the list is reported as such rather than opened
    // (the open's advice speaks of the window's button).
    std::string listError;
    const auto listed = listAdapters(driver, listError);
    const auto isListed = [&](const std::string &serial) {
        return !listed || std::any_of(listed->begin(), listed->end(), [&](const AdapterEntry &a) {
            return a.serialNumber == serial;
        });
    };

    const auto n = static_cast<std::size_t>(request.adapters.size());
    std::vector<JobOrder> orders;
    std::vector<JobOutcome> outcomes(n);
    std::vector<std::unique_ptr<InstrumentJob>> jobs;
    std::vector<std::size_t> jobOf(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        orders.push_back({request.command,
                          request.adapters[static_cast<qsizetype>(i)].toStdString(), wanted,
                          request.save, request.channel});
        if (!isListed(orders[i].adapter)) {
            outcomes[i].failure = "адаптер не найден среди подключённых (их показывает "
                                  "ze23-cli list)";
            continue;
        }
        jobOf[i] = jobs.size();
        jobs.push_back(std::make_unique<InstrumentJob>(driver, orders[i]));
    }
    runTogether(jobs, wait_);

    int status = ExitStatus::Done;
    for (std::size_t i = 0; i < n; ++i) {
        if (jobOf[i] < n)
            outcomes[i] = jobs[jobOf[i]]->outcome();
        if (request.command == BenchCommand::Read && outcomes[i].ok && !request.output.isEmpty())
            saveSnapshot(request, orders[i], outcomes[i]);
        print(request, orders[i], outcomes[i]);
        if (!outcomes[i].ok)
            status = ExitStatus::Failed;
    }
    return status;
}

void BenchCli::saveSnapshot(const CliRequest &request, const JobOrder &order, JobOutcome &outcome) {
    const QString path = SnapshotFiles::fill(request.output, QString::fromStdString(order.adapter),
                                             outcome.serialNumber);
    QString error;
    if (filesWritten_.contains(path))
        error = "файл " + shownPath(path) + " уже записан для другого адаптера";
    else
        error = SnapshotFiles::save(path, SnapshotJson::toJson(*outcome.snapshot));
    if (!error.isEmpty()) {
        outcome.ok = false;
        outcome.failure = error.toStdString();
        return;
    }
    filesWritten_ << path;
    outcome.file = path.toStdString();
}

void BenchCli::print(const CliRequest &request, const JobOrder &order, const JobOutcome &outcome) {
    if (request.json) {
        out_ << QJsonDocument(JobReport::json(order, outcome)).toJson(QJsonDocument::Compact)
             << "\n";
    } else if (request.command == BenchCommand::Read && request.output.isEmpty()) {
        // The snapshot itself, so that `ze23-cli read A > file.json` makes a file.
        if (outcome.ok)
            out_ << SnapshotJson::toJson(*outcome.snapshot);
        else
            err_ << JobReport::line(order, outcome) << "\n";
    } else {
        out_ << JobReport::line(order, outcome) << "\n";
    }
}
