#include "ExistingJournal.h"

#include "records/RecordLocation.h"
#include "records/RecordStore.h"

#include <QFileInfo>

std::unique_ptr<RecordStore> openExistingJournal(const QString &path, QString *error) {
    if (!RecordLocation::isServer(path) && !QFileInfo::exists(path))
        return nullptr;
    auto store = std::make_unique<RecordStore>();
    if (!store->open(path, error))
        return nullptr;
    return store;
}
