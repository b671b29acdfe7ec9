#pragma once
// Snapshot files on disk: the one diff and write compare with, and the ones
// read puts the instruments' settings in.
//
// read's -o FILE may hold {adapter} (the adapter's serial number) and
// {serial} (the instrument's serial number); with several adapters it must
// hold one of them, so that no instrument's file takes another's place.

#include "protocol/InstrumentSettings.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace SnapshotFiles {
std::optional<InstrumentSnapshot> load(const QString &path, QString &error);
bool hasPlaceholder(const QString &pattern);
QString fill(QString pattern, const QString &adapter, int serialNumber);
// Written whole or not at all (QSaveFile); the reason, or empty when written.
QString save(const QString &path, const QByteArray &bytes);
} // namespace SnapshotFiles
