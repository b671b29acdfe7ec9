#include "AtomicSave.h"

#include <QSaveFile>

QString saveAtomically(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    // Unbuffered and written until all is taken, so that a failure says why: a
    // full disk first takes part of the bytes without a reason and refuses the
    // rest with one. The save file, destroyed uncommitted, removes its
    // temporary file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return file.errorString();
        done += written;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}
