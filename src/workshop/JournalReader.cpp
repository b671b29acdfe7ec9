#include "JournalReader.h"

#include "records/ExistingJournal.h"
#include "records/Outbox.h"
#include "records/RecordLocation.h"
#include "records/RecordStore.h"

#include <QMutex>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace {
// A server that has not answered a read in this time seems silent.
constexpr int SilentAfterMs = 1500;
// How long a reader going away waits for a read under way.
constexpr int LeaveAfterMs = 20;
} // namespace

// Lives in the reader's thread; hands each answer over under its lock.
class ReadWorker : public QObject {
    Q_OBJECT
  public:
    QMutex mutex;
    JournalReader::Read answer;
  signals:
    void answered();
};

struct JournalReader::Stores {
    QString location, bench;
    bool away = false;
    std::unique_ptr<RecordStore> journal, benchJournal;
};

JournalReader::JournalReader(QObject *parent)
    : QObject(parent), local_(std::make_unique<Stores>()), slowTimer_(new QTimer(this)) {
    slowTimer_->setSingleShot(true);
    slowTimer_->setInterval(SilentAfterMs);
    connect(slowTimer_, &QTimer::timeout, this, [this] {
        silent_ = true;
        emit slow(true);
    });
}

JournalReader::~JournalReader() {
    if (!thread_)
        return;
    // The stores go in their own thread; a read stuck on a server that does
    // not answer ends by the connection's own limits, and then the thread
    // takes itself and the worker away. Nothing waits for it here.
    // Behind any read asked: the stores go, then the thread's loop.
    QMetaObject::invokeMethod(
        worker_,
        [stores = remote_] {
            delete stores;
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    if (thread_->wait(LeaveAfterMs)) {
        delete worker_;
        delete thread_;
        return;
    }
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
}

void JournalReader::setLocation(const QString &location, const QString &bench) {
    location_ = location;
    bench_ = bench;
}

QString JournalReader::serverAwayNote() {
    return "Сервер журнала недоступен: показаны записи этого рабочего места";
}

QString JournalReader::serverSilentNote() {
    return "Сервер журнала не отвечает: жду ответа…";
}

QString JournalReader::waitingNote() const {
    return silent_ ? serverSilentNote() : QString("Чтение журнала с сервера…");
}

void JournalReader::list(Done done) {
    read([](RecordStore &s) { return s.list(); }, std::move(done));
}

void JournalReader::of(int serial, Done done) {
    read([serial](RecordStore &s) { return s.list({serial}); }, std::move(done));
}

void JournalReader::newestOfEach(Done done) {
    read([](RecordStore &s) { return s.newestOfEach(); }, std::move(done));
}

void JournalReader::read(Get get, Done done) {
    if (!RecordLocation::isServer(location_)) {
        setIn(*local_, location_, bench_, false);
        done(readIn(*local_, get));
        return;
    }
    next_ = std::make_unique<Request>(
        Request{std::move(get), std::move(done), location_, bench_, away_});
    if (!busy_)
        startNext();
}

void JournalReader::startNext() {
    if (!next_)
        return;
    if (!thread_) {
        thread_ = new QThread;
        thread_->setObjectName("journal reader");
        auto *worker = new ReadWorker;
        worker->moveToThread(thread_);
        connect(worker, &ReadWorker::answered, this, &JournalReader::deliver);
        worker_ = worker;
        remote_ = new Stores;
        thread_->start();
    }
    busy_ = true;
    slowTimer_->start();
    asked_ = std::move(next_);
    QMetaObject::invokeMethod(
        worker_,
        [worker = static_cast<ReadWorker *>(worker_), stores = remote_, location = asked_->location,
         bench = asked_->bench, away = asked_->away, get = asked_->get] {
            setIn(*stores, location, bench, away);
            Read read = readIn(*stores, get);
            {
                const QMutexLocker lock(&worker->mutex);
                worker->answer = std::move(read);
            }
            emit worker->answered();
        },
        Qt::QueuedConnection);
}

void JournalReader::deliver() {
    auto *worker = static_cast<ReadWorker *>(worker_);
    Read read;
    {
        const QMutexLocker lock(&worker->mutex);
        read = std::move(worker->answer);
    }
    busy_ = false;
    silent_ = false;
    slowTimer_->stop();
    emit slow(false);
    const std::unique_ptr<Request> asked = std::move(asked_);
    const QPointer<JournalReader> self(this);
    if (asked && asked->done)
        asked->done(std::move(read));
    if (self)
        startNext();
}

void JournalReader::setIn(Stores &stores, const QString &location, const QString &bench,
                          bool away) {
    if (stores.location != location)
        stores.journal.reset();
    if (stores.bench != bench)
        stores.benchJournal.reset();
    stores.location = location;
    stores.bench = bench;
    stores.away = away;
}

JournalReader::Read JournalReader::readIn(Stores &stores, const Get &get) {
    Read result;
    const bool server = RecordLocation::isServer(stores.location);
    QString error;
    if (!server || !stores.away) {
        if (!stores.journal)
            stores.journal = openExistingJournal(stores.location, &error);
        if (stores.journal) {
            result.records = get(*stores.journal);
            if (stores.journal->lastError().isEmpty())
                return result;
            error = stores.journal->lastError();
            // A server's connection, once broken, stays so: the next read opens another.
            if (server)
                stores.journal.reset();
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
    if (!stores.benchJournal)
        stores.benchJournal = openExistingJournal(stores.bench, &benchError);
    if (!stores.benchJournal) {
        result.made = !benchError.isEmpty();
        result.error = benchError;
        return result;
    }
    std::vector<CalibrationRecord> records = get(*stores.benchJournal);
    if (!stores.benchJournal->lastError().isEmpty()) {
        result.error = stores.benchJournal->lastError();
        return result;
    }
    result.records = Outbox(*stores.benchJournal).asSent(std::move(records));
    return result;
}

#include "JournalReader.moc"
