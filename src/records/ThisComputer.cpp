#include "ThisComputer.h"

#include <QCryptographicHash>
#include <QFile>

QString ThisComputer::machineOf(const QByteArray &machineId) {
    const QByteArray id = machineId.trimmed();
    if (id.isEmpty())
        return QString();
    return QString::fromLatin1(
        QCryptographicHash::hash("ze23-machine:" + id, QCryptographicHash::Sha256)
            .toHex()
            .left(16));
}

QString ThisComputer::machine() {
    static const QString once = [] {
        // systemd's file, or D-Bus's where a system has only that.
        for (const char *path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                if (const QString m = machineOf(file.read(256)); !m.isEmpty())
                    return m;
        }
        return QString();
    }();
    return once;
}
