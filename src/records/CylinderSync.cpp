#include "CylinderSync.h"

#include "CylinderRegister.h"
#include "RecordStore.h"

#include <map>

namespace {
using Register = std::map<std::string, RegisteredCylinder>;

std::optional<Register> byNumber(const CylinderRegister &r, QString *error) {
    const auto all = r.all(error);
    if (!all)
        return std::nullopt;
    Register out;
    for (const RegisteredCylinder &c : *all)
        out.emplace(c.number, c);
    return out;
}

// Registers on `to` what `from` has and it has not; counts them.
int copyMissing(const Register &from, const Register &to, CylinderRegister &target,
                CylinderSync::Pass &pass) {
    int copied = 0;
    for (const auto &[number, cylinder] : from) {
        const auto there = to.find(number);
        if (there != to.end()) {
            RegisteredCylinder a = there->second, b = cylinder;
            a.added = b.added = {}; // registered on each at its own time
            const QString shown = QString::fromStdString(number);
            if (!(a == b) && !pass.differing.contains(shown))
                pass.differing << shown;
            continue;
        }
        QString why;
        if (target.add(cylinder, &why, CylinderRegister::LookAlikes::Allowed))
            ++copied;
        else if (pass.error.isEmpty())
            pass.error = why;
    }
    return copied;
}
} // namespace

CylinderSync::Pass CylinderSync::both(const RecordStore &bench, const RecordStore &server) {
    Pass pass;
    CylinderRegister onBench(bench), onServer(server);
    const auto benchHas = byNumber(onBench, &pass.error);
    const auto serverHas = benchHas ? byNumber(onServer, &pass.error) : std::nullopt;
    if (!benchHas || !serverHas)
        return pass;
    pass.toServer = copyMissing(*benchHas, *serverHas, onServer, pass);
    pass.toBench = copyMissing(*serverHas, *benchHas, onBench, pass);
    return pass;
}
