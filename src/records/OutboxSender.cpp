#include "OutboxSender.h"

#include "CylinderSync.h"
#include "Outbox.h"
#include "RecordStore.h"

#include <memory>

// Lives in the sender's thread, and so do its stores. It tells through
// signals of its own, so that a sender gone away hears nothing more.
class OutboxWorker : public QObject {
    Q_OBJECT
  public:
    OutboxWorker(QString bench, QString server)
        : benchPath(std::move(bench)), serverPath(std::move(server)) {}

    void pass() {
        QString why;
        if (!bench) {
            auto s = std::make_unique<RecordStore>();
            if (!s->open(benchPath, &why))
                return emit passEnded(false, why);
            bench = std::move(s);
        }
        Outbox outbox(*bench);
        const auto waiting = outbox.waiting(&why);
        if (!waiting)
            return emit passEnded(false, why);
        emit counted(*waiting);
        // Opened even with nothing to send: the readers go by whether it answers.
        if (!server) {
            auto s = std::make_unique<RecordStore>();
            if (!s->open(serverPath, &why))
                return emit passEnded(false, why);
            server = std::move(s);
        }
        const QString cylinders = syncCylinders();
        if (*waiting == 0)
            return emit passEnded(true, cylinders);
        const Outbox::Pass done = outbox.send(*server);
        for (const auto &[benchNumber, serverNumber] : done.sent)
            emit recordSent(benchNumber, serverNumber);
        emit counted(done.waiting);
        // The connection may be what failed: the next sending opens a new one.
        if (!done.error.isEmpty())
            server.reset();
        emit passEnded(done.error.isEmpty() || !done.sent.empty(),
                       done.error.isEmpty() ? cylinders : done.error);
    }

    // The bench's register and the server's brought together; what went
    // wrong, if anything.
    QString syncCylinders() {
        const CylinderSync::Pass p = CylinderSync::both(*bench, *server);
        if (!p.error.isEmpty())
            return "Реестр баллонов не сведён с сервером: " + p.error;
        if (!p.differing.isEmpty())
            return "Баллоны " + p.differing.join(", ") +
                   " внесены в реестр здесь и на сервере по-разному";
        return QString();
    }

    const QString benchPath, serverPath;
    std::unique_ptr<RecordStore> bench, server;

  signals:
    void counted(qint64 waiting);
    void recordSent(qint64 benchNumber, qint64 serverNumber);
    void passEnded(bool answered, const QString &error);
};

OutboxSender::OutboxSender(const QString &bench, const QString &server, QObject *parent)
    : QObject(parent), thread_(new QThread), worker_(new OutboxWorker(bench, server)) {
    worker_->moveToThread(thread_);
    connect(worker_, &OutboxWorker::counted, this, &OutboxSender::counted);
    connect(worker_, &OutboxWorker::recordSent, this, &OutboxSender::recordSent);
    connect(worker_, &OutboxWorker::passEnded, this, &OutboxSender::passEnded);
    thread_->setObjectName("outbox");
    thread_->start();
    retry_.setInterval(30'000);
    connect(&retry_, &QTimer::timeout, this, &OutboxSender::wake);
    retry_.start();
    // The first sending once the event loop runs, so that whoever made the
    // sender hears of it.
    QTimer::singleShot(0, this, &OutboxSender::wake);
}

OutboxSender::~OutboxSender() {
    retry_.stop();
    // Behind a sending under way: the stores go, then the thread's loop. A
    // sending stuck on a server that does not answer is not waited for: it
    // ends by the connection's own limits, and the thread then takes itself
    // and the worker away.
    QMetaObject::invokeMethod(
        worker_,
        [w = worker_] {
            w->server.reset();
            w->bench.reset();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    if (thread_->wait(20)) {
        delete worker_;
        delete thread_;
        return;
    }
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
}

void OutboxSender::wake() {
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { w->pass(); }, Qt::QueuedConnection);
}

#include "OutboxSender.moc"
