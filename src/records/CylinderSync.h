#pragma once
// The register of cylinders on a bench whose journal is a server: the window
// picks from the bench's own register, never waiting on the server, and the
// outbox's sender brings the two together whenever the server answers: each
// cylinder registered on one and not the other is registered there too, as it
// is. Cylinders are never changed, so nothing else can differ; a number
// registered on both with other fields is left as it is on each and named.

#include <QString>
#include <QStringList>

class RecordStore;

namespace CylinderSync {
struct Pass {
    int toServer = 0, toBench = 0;
    // The numbers registered on both with other fields.
    QStringList differing;
    // Why a register was not read or a cylinder not registered; empty when
    // all went.
    QString error;
};
Pass both(const RecordStore &bench, const RecordStore &server);
} // namespace CylinderSync
