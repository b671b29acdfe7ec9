#pragma once
// The journal of calibrations: one SQLite file or PostgreSQL database (through
// Qt SQL) that records are added to and read from, never changed or removed. A
// correction is a new record naming the one it corrects. Each store has its
// own connection, so the window, a test or several benches may hold several.

#include "BenchStanding.h"
#include "RecordChain.h"
#include "calibration/CalibrationRecord.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class RecordStore {
  public:
    RecordStore();
    ~RecordStore();
    RecordStore(const RecordStore &) = delete;
    RecordStore &operator=(const RecordStore &) = delete;

    // records.sqlite in the program's data folder (the program names it).
    static QString defaultPath();

    // True when `location` names a PostgreSQL server rather than a file:
    // postgresql://user@host[:port]/dbname or postgres://… (RecordLocation.h).
    static bool isServer(const QString &location);

    // Opens the journal at `path` (a file, or a server as isServer says),
    // making its folder, the file and its tables when they are not there yet.
    // False with the reason in `error`.
    bool open(const QString &path, QString *error);
    // How long a write waits for a file another program holds before it is
    // refused (5 s unless set before open()).
    void setBusyTimeout(int ms) { busyTimeoutMs_ = ms; }
    // Where this computer keeps each bench's head (BenchHead.h), and which
    // computer this is (ThisComputer.h): the program's own unless set
    // before open().
    void setHeadFolder(const QString &folder) { headFolder_ = folder; }
    void setMachine(const QString &machine) { machine_ = machine; }
    bool isOpen() const { return open_; }
    QString path() const { return path_; }
    // The id of the bench whose journal this is (made with the journal).
    std::string bench() const { return bench_; }
    // Every id the journal has kept its own records under, oldest first.
    std::vector<std::string> benches() const;
    // Whether a bench's journal (a file) is still the bench's own here, as
    // found on opening and after each record kept: not when it is a copy of
    // one kept on another computer, or was put back from a backup
    // (BenchStanding.h). Such a journal keeps records all the same: under its
    // bench's id, numbered after every number this computer knows the bench
    // gave, held back from the server, until it takes a new id.
    BenchStanding standing() const { return standing_; }
    // The journal's own records go under a new bench id from now on (a row
    // added to this_bench); every record kept stays as it is, and those held
    // back stay so. The new id, or nothing with the reason.
    std::optional<std::string> takeNewBench(QString *error);
    // Qt SQL's name for this store's connection, for what reads and writes the
    // journal's other tables (the cylinder register, what was sent).
    QString connectionName() const { return connection_; }

    // Keeps the record under the next number, chained by its hash to the
    // newest record of its bench, and returns the number, once it reads back
    // as asked; the record's own number and hash are not looked at. A record
    // with no bench is this journal's own and gets its bench and the bench's
    // next number; one with them comes from a bench's own journal and must be
    // that bench's next, or one already here just as it is (sent before: its
    // number here is returned and nothing is added). On any failure
    // (including a `corrects` naming no record) nothing is kept and `error`
    // says why.
    std::optional<std::int64_t> add(CalibrationRecord record, QString *error);

    std::optional<CalibrationRecord> find(std::int64_t number) const;
    // Every record, or those of the serial numbers given, oldest first.
    std::vector<CalibrationRecord> list(const std::vector<int> &serials = {}) const;
    // The newest record of an instrument.
    std::optional<CalibrationRecord> last(int serial) const;
    // The newest record of every instrument, or of those given, oldest first,
    // with only what a list of instruments due needs (RecordRows::summaries),
    // read quickly.
    std::vector<CalibrationRecord> newestOfEach(const std::vector<int> &serials = {}) const;
    // The first record that no longer reads as it was written, or one missing
    // before a record, or that every record is as written (RecordChain.h).
    ChainCheck verify() const;
    // What the journal lacks against this computer's head of each of its
    // benches (BenchHead.h): its newest records taken out, or the journal put
    // back from a backup. A line each in the technician's words; empty when
    // it lacks nothing, or for a server's journal.
    QStringList checkHeads() const;
    // Why the bench's head was not written after the last record kept (the
    // record is kept all the same); empty when it was.
    QString headError() const { return headError_; }
    // Why the last find, list or last came back empty because of a failure
    // (a damaged file, the disk); empty when it read fine.
    QString lastError() const { return lastError_; }

  private:
    std::optional<std::vector<CalibrationRecord>> select(const QString &where,
                                                         const QVariantList &binds) const;
    void close();
    bool onFile() const;
    // After opening a bench's journal: this computer stamped on a row from
    // before, then review().
    void settleBench();
    // The bench row the journal's own records go under, read afresh while
    // the caller holds the journal, this computer stamped on a row from
    // before; with how the journal stands and this computer's head for it.
    std::optional<BenchHistory::Row> ownBench(BenchStanding *standing,
                                              std::optional<BenchHead> *head, QString *why);
    BenchStanding judge(const BenchHistory::Row &row, std::optional<BenchHead> *head,
                        QString *why) const;
    // The bench now, and how the journal stands; a journal that is its
    // bench's own gets its head written when it has moved on.
    void review();
    void keepHead();

    QString connection_;
    int busyTimeoutMs_ = 5000;
    QString path_;
    std::string bench_;
    QString headFolder_;
    QString machine_;
    BenchStanding standing_;
    QString headError_;
    bool open_ = false;
    mutable QString lastError_;
};
