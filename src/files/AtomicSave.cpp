#include "AtomicSave.h"

#include <QFileInfo>
#include <QSaveFile>

QString unwritableTarget(const QString &path) {
    const QFileInfo target(path);
    if (path.trimmed().isEmpty())
        return "не указано имя файла";
    if (!target.exists() || target.isFile())
        return QString();
    if (target.isDir())
        return "это папка, а не файл";
    return "это не обычный файл (устройство, канал или сокет): укажите другое имя";
}

QString saveAtomically(const QString &path, const std::function<QString(QIODevice &)> &write) {
    if (const QString why = unwritableTarget(path); !why.isEmpty())
        return why;
    QSaveFile file(path);
    // The save file, destroyed uncommitted, removes its temporary file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (const QString why = write(file); !why.isEmpty())
        return why;
    if (!file.commit())
        return file.errorString();
    return QString();
}

QString saveAtomically(const QString &path, const QByteArray &bytes) {
    return saveAtomically(path, [&bytes](QIODevice &file) {
        // Unbuffered and written until all is taken, so that a failure says
        // why: a full disk first takes part of the bytes without a reason and
        // refuses the rest with one.
        for (qint64 done = 0; done < bytes.size();) {
            const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
            if (written <= 0)
                return file.errorString();
            done += written;
        }
        return QString();
    });
}
