#pragma once
// The journal of calibrations: one SQLite file or PostgreSQL database (through
// Qt SQL) that records are added to and read from, never changed or removed. A
// correction is a new record naming the one it corrects. Each store has its
// own connection, so the window, a test or several benches may hold several.

#include "RecordChain.h"
#include "protocol/CalibrationRecord.h"

#include <QString>
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
    bool isOpen() const { return open_; }
    QString path() const { return path_; }
    // The id of the bench whose journal this is (made with the journal).
    std::string bench() const { return bench_; }
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
    // The newest record of every instrument, or of those given, oldest first:
    // the records' rows alone, without their versions, measurements, points
    // and settings (what a list of instruments due needs, read quickly).
    std::vector<CalibrationRecord> newestOfEach(const std::vector<int> &serials = {}) const;
    // The first record that no longer reads as it was written, or one missing
    // before a record, or that every record is as written (RecordChain.h).
    ChainCheck verify() const;
    // Why the last find, list or last came back empty because of a failure
    // (a damaged file, the disk); empty when it read fine.
    QString lastError() const { return lastError_; }

  private:
    std::optional<std::vector<CalibrationRecord>>
    select(const QString &where, const QVariantList &binds, bool rowsOnly = false) const;
    void close();

    QString connection_;
    int busyTimeoutMs_ = 5000;
    QString path_;
    std::string bench_;
    bool open_ = false;
    mutable QString lastError_;
};
