#include "Preferences.h"

#include "files/OwnersOnly.h"
#include "records/RecordLocation.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {
const char *const CarriedOver = "preferences/carriedOver";

// Rewrites every server location in `s` without its password.
void dropPasswords(QSettings &s) {
    for (const QString &key : s.allKeys()) {
        const QString value = s.value(key).toString();
        if (!RecordLocation::isServer(value))
            continue;
        const QString kept = RecordLocation::withoutPassword(value);
        if (kept.isEmpty())
            s.remove(key);
        else if (kept != value)
            s.setValue(key, kept);
    }
}
} // namespace

void Preferences::carryOver(const QString &from, const QString &to) {
    makeOwnersOnly(to);
    QSettings target(to, QSettings::NativeFormat);
    if (!target.contains(CarriedOver) && QFileInfo::exists(from)) {
        QFile::setPermissions(from, QFile::ReadOwner | QFile::WriteOwner);
        QSettings source(from, QSettings::NativeFormat);
        dropPasswords(source);
        source.sync();
        for (const QString &key : source.allKeys())
            if (!target.contains(key))
                target.setValue(key, source.value(key));
    }
    dropPasswords(target);
    target.setValue(CarriedOver, true);
    target.sync();
}

void Preferences::settle() {
    const QSettings before(QSettings::NativeFormat, QSettings::UserScope, "Unknown Organization",
                           QCoreApplication::applicationName());
    carryOver(before.fileName(), QSettings().fileName());
}
