#include "JournalReader.h"

#include "ExistingJournal.h"
#include "records/Outbox.h"
#include "records/RecordLocation.h"
#include "records/RecordStore.h"

JournalReader::JournalReader() = default;
JournalReader::~JournalReader() = default;

void JournalReader::setLocation(const QString &location, const QString &bench) {
    if (location != location_)
        journal_.reset();
    if (bench != bench_)
        benchJournal_.reset();
    location_ = location;
    bench_ = bench;
}

QString JournalReader::serverAwayNote() {
    return "Сервер журнала недоступен: показаны записи этого рабочего места";
}

JournalReader::Read JournalReader::list() {
    return read([](RecordStore &s) { return s.list(); });
}

JournalReader::Read JournalReader::of(int serial) {
    return read([serial](RecordStore &s) { return s.list({serial}); });
}

JournalReader::Read JournalReader::newestOfEach() {
    return read([](RecordStore &s) { return s.newestOfEach(); });
}

JournalReader::Read JournalReader::last(int serial) {
    return read([serial](RecordStore &s) {
        const auto r = s.last(serial);
        return r ? std::vector<CalibrationRecord>{*r} : std::vector<CalibrationRecord>{};
    });
}

JournalReader::Read JournalReader::read(const Get &get) {
    Read result;
    lastStore_ = nullptr;
    const bool server = RecordLocation::isServer(location_);
    QString error;
    if (!server || !away_) {
        if (!journal_)
            journal_ = openExistingJournal(location_, &error);
        if (journal_) {
            result.records = get(*journal_);
            if (journal_->lastError().isEmpty()) {
                lastStore_ = journal_.get();
                return result;
            }
            error = journal_->lastError();
            // A server's connection, once broken, stays so: the next read opens another.
            if (server)
                journal_.reset();
        }
        result.records.clear();
        if (!server) {
            result.made = !error.isEmpty();
            result.error = error;
            return result;
        }
    }
    result.note = serverAwayNote();
    QString benchError;
    if (!benchJournal_)
        benchJournal_ = openExistingJournal(bench_, &benchError);
    if (!benchJournal_) {
        result.made = !benchError.isEmpty();
        result.error = benchError;
        return result;
    }
    std::vector<CalibrationRecord> records = get(*benchJournal_);
    if (!benchJournal_->lastError().isEmpty()) {
        result.error = benchJournal_->lastError();
        return result;
    }
    result.records = Outbox(*benchJournal_).asSent(std::move(records));
    lastStore_ = benchJournal_.get();
    return result;
}
