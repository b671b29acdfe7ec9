#include "OwnersOnly.h"

#include "ShownPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

QString makeOwnersOnly(const QString &path) {
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    QStringList made;
    for (QString f = folder; !QFileInfo::exists(f);) {
        made.prepend(f);
        const qsizetype slash = f.lastIndexOf('/');
        if (slash <= 0)
            break;
        f.truncate(slash);
    }
    if (!QDir().mkpath(folder))
        return "не удалось создать папку " + shownPath(folder);
    for (const QString &f : made)
        QFile::setPermissions(f, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (file.exists())
        return {};
    QFile created(path);
    // Another program may make it meanwhile: then it is there, as it is.
    if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                      QFile::ReadOwner | QFile::WriteOwner) &&
        !QFileInfo::exists(path))
        return created.errorString();
    return {};
}
