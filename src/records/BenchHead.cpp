#include "BenchHead.h"

#include "RecordTexts.h"
#include "files/AtomicSave.h"
#include "files/OwnersOnly.h"
#include "files/ShownPath.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {
bool hexOf(const QString &text, int digits) {
    static const QRegularExpression hex("^[0-9a-f]+$");
    return text.size() == digits && hex.match(text).hasMatch();
}

QByteArray json(const BenchHead &h) {
    return QJsonDocument(QJsonObject{{"bench", QString::fromStdString(h.bench)},
                                     {"records", qint64(h.records)},
                                     {"last", qint64(h.last)},
                                     {"hash", QString::fromStdString(h.hash)}})
        .toJson(QJsonDocument::Indented);
}

// The head the bytes hold, or nothing.
std::optional<BenchHead> parsed(const QByteArray &bytes, const std::string &bench) {
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    const QJsonValue records = o["records"], last = o["last"];
    const QString hash = o["hash"].toString();
    if (o["bench"].toString().toStdString() != bench || !records.isDouble() || !last.isDouble() ||
        !hexOf(hash, 64))
        return std::nullopt;
    BenchHead h{bench, records.toInteger(-1), last.toInteger(-1), hash.toStdString()};
    if (h.records < 1 || h.last < h.records)
        return std::nullopt;
    return h;
}
} // namespace

QString BenchHeads::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/" +
           QCoreApplication::applicationName() + "/benches";
}

QString BenchHeads::pathOf(const QString &folder, const std::string &bench) {
    const QString id = QString::fromStdString(bench);
    if (folder.isEmpty() || !hexOf(id, 12))
        return QString();
    return folder + "/" + id + ".head";
}

std::optional<BenchHead> BenchHeads::read(const QString &folder, const std::string &bench,
                                          QString *why) {
    why->clear();
    const QString path = pathOf(folder, bench);
    if (path.isEmpty() || !QFile::exists(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QString("файл %1 не прочитан: %2").arg(shownPath(path), file.errorString());
        return std::nullopt;
    }
    // A first write that did not finish leaves the empty file made for it.
    const QByteArray bytes = file.read(4096);
    if (bytes.isEmpty())
        return std::nullopt;
    std::optional<BenchHead> head = parsed(bytes, bench);
    if (!head)
        *why = QString("в файле %1 нет сведений о последней записи рабочего места %2")
                   .arg(shownPath(path), QString::fromStdString(bench));
    return head;
}

bool BenchHeads::write(const QString &folder, const BenchHead &head, QString *why) {
    const QString path = pathOf(folder, head.bench);
    if (folder.isEmpty()) {
        *why = "не указана папка, где этот компьютер помнит последние записи рабочих мест";
        return false;
    }
    if (path.isEmpty()) {
        *why = QString("рабочее место «%1» не названо двенадцатью шестнадцатеричными цифрами")
                   .arg(QString::fromStdString(head.bench));
        return false;
    }
    // Made empty and for its owner alone first: the whole file then takes its rights.
    QString failed = makeOwnersOnly(path);
    if (failed.isEmpty())
        failed = saveAtomically(path, json(head));
    if (!failed.isEmpty()) {
        *why = QString("файл %1 не записан: %2").arg(shownPath(path), failed);
        return false;
    }
    QString unread;
    const std::optional<BenchHead> back = read(folder, head.bench, &unread);
    if (!back || *back != head) {
        *why = QString("файл %1 читается не таким, каким записан%2")
                   .arg(shownPath(path), unread.isEmpty() ? QString() : ": " + unread);
        return false;
    }
    return true;
}

QString BenchHeads::shortfall(const BenchHead &head, const Held &journal) {
    const QString id = QString::fromStdString(head.bench);
    if (!journal.hashAtLast) {
        const std::int64_t from = journal.highest + 1;
        if (from == head.last)
            return QString("Из журнала удалена запись рабочего места %1 № %2 по его счёту")
                .arg(id)
                .arg(head.last);
        return QString("Из журнала удалены записи рабочего места %1 с № %2 по № %3 по его счёту")
            .arg(id)
            .arg(from)
            .arg(head.last);
    }
    if (*journal.hashAtLast != head.hash)
        return QString("Запись %1-%2 в журнале не та, что была сохранена на этом компьютере")
            .arg(id)
            .arg(head.last);
    if (journal.records < head.records)
        return QString("Из журнала удалены записи рабочего места %1: до № %2 по его счёту в нём "
                       "%3, а сохранено было %4")
            .arg(id)
            .arg(head.last)
            .arg(RecordTexts::recordCount(journal.records))
            .arg(head.records);
    return QString();
}
