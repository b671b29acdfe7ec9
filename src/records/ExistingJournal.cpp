#include "ExistingJournal.h"

#include "RecordLocation.h"
#include "RecordStore.h"

#include <QFileInfo>

std::unique_ptr<RecordStore> openExistingJournal(const QString &path, QString *error) {
    if (!RecordLocation::isServer(path)) {
        const QFileInfo file(path);
        if (!file.exists())
            return nullptr;
        // SQLite takes an empty file for a new database: opening it would
        // make a journal there.
        if (file.isFile() && file.size() == 0) {
            *error = QString("в файле %1 нет журнала калибровок: он пуст")
                         .arg(RecordLocation::shown(path));
            return nullptr;
        }
    }
    auto store = std::make_unique<RecordStore>();
    if (!store->open(path, error))
        return nullptr;
    return store;
}
