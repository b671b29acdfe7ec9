#pragma once
// The command line of ze23-cli: its options, the help that explains each
// command with an example (CommandHelp.h), and the checks that make a usage error of
// anything a command cannot run with.

#include "JobOrder.h"
#include "calibration/CylinderFit.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

struct CliRequest {
    BenchCommand command = BenchCommand::List;
    QStringList adapters;
    QString file;   // diff and write
    QString output; // read and certificate -o
    int channel = 0;
    QString records;          // the journal of calibrations (--records)
    std::vector<int> serials; // records: the instruments asked for, none for all
    std::int64_t number = 0;  // certificate: the record
    bool due = false;         // records due: the instruments due within `days`
    bool verify = false;      // records verify: every record as written
    QString against;          // records verify --against: a bench's own journal
    bool newBench = false;    // journal new-bench: a new id for the bench's journal
    int days = 30;
    // cylinders: those expiring within `expiring` days (none: all); cylinders
    // add: the one to register, its percents as typed.
    std::optional<int> expiring;
    bool addCylinder = false;
    RegisteredCylinder cylinder;
    QString concentration, uncertainty;
    bool csv = false;
    bool save = false;
    bool json = false;
    bool simulate = false;
};

class CommandLine {
  public:
    enum class Parsed { Run, Help, Version, UsageError };

    CommandLine();
    // `arguments` begins with the program's name.
    Parsed parse(const QStringList &arguments);
    const CliRequest &request() const { return request_; }
    QString error() const { return error_; }
    // The whole help, or after `help COMMAND` that command's.
    QString helpText() const;
    // Whether the arguments ask for a certificate, which is painted and so
    // needs a QGuiApplication; main() asks before making its application.
    static bool paints(const QStringList &arguments);

  private:
    Parsed usage(const QString &why);
    Parsed check();

    QCommandLineParser parser_;
    QCommandLineOption help_, version_;
    QCommandLineOption simulate_, json_, output_, save_, records_, csv_, days_, against_;
    QCommandLineOption expiring_, gas_, component_, concentration_, uncertainty_, balance_,
        supplier_, certified_, expiry_;
    Parsed checkCylinders(QStringList args);
    Parsed checkHelp(const QStringList &args);
    QString helpCommand_; // help COMMAND: the command
    CliRequest request_;
    QString error_;
};
