#pragma once
// ze23-cli as a whole, over drivers and streams handed in: parses the
// arguments, lists adapters or runs one job per named adapter (all at once,
// see BenchRun.h), writes read's files, prints one result per adapter and
// gives the exit status. main() supplies the serial-port driver, the virtual
// instruments and the event loop's wait; the tests their own.

#include "BenchRun.h"

#include <QStringList>
#include <QTextStream>

class FtDriver;
struct CliRequest;

namespace ExitStatus {
constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;
} // namespace ExitStatus

class BenchCli {
  public:
    // `simulated` joins `hardware` in the adapter list with --simulate.
    BenchCli(FtDriver &hardware, FtDriver &simulated, QTextStream &out, QTextStream &err,
             TickWait wait);
    // `arguments` begins with the program's name.
    int run(const QStringList &arguments);

  private:
    int list(FtDriver &driver, const CliRequest &request);
    int runJobs(FtDriver &driver, const CliRequest &request);
    // Writes read's snapshot to its -o file; the outcome fails when it cannot.
    void saveSnapshot(const CliRequest &request, const JobOrder &order, JobOutcome &outcome);
    void print(const CliRequest &request, const JobOrder &order, const JobOutcome &outcome);

    FtDriver &hardware_;
    FtDriver &simulated_;
    QTextStream &out_;
    QTextStream &err_;
    TickWait wait_;
    QStringList filesWritten_;
};
