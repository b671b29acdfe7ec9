#include "SnapshotFiles.h"

#include "files/ShownPath.h"

#include "files/AtomicSave.h"
#include "settings/SnapshotJson.h"

#include <QFile>

std::optional<InstrumentSnapshot> SnapshotFiles::load(const QString &path, QString &error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "файл " + shownPath(path) + " не прочитан: " + file.errorString();
        return std::nullopt;
    }
    QString why;
    std::optional<InstrumentSnapshot> snapshot = SnapshotJson::fromJson(file.readAll(), why);
    if (!snapshot)
        error = shownPath(path) + ": " + why;
    return snapshot;
}

bool SnapshotFiles::hasPlaceholder(const QString &pattern) {
    return pattern.contains("{adapter}") || pattern.contains("{serial}");
}

QString SnapshotFiles::fill(QString pattern, const QString &adapter, int serialNumber) {
    return pattern.replace("{adapter}", adapter).replace("{serial}", QString::number(serialNumber));
}

QString SnapshotFiles::save(const QString &path, const QByteArray &bytes) {
    if (const QString why = saveAtomically(path, bytes); !why.isEmpty())
        return "файл " + shownPath(path) + " не записан: " + why;
    return {};
}
