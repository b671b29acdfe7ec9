#include "BenchStanding.h"

BenchStanding BenchStandings::judge(const BenchHistory::Row &current, const QString &machine,
                                    const QString &shortOfHead, const QString &shown) {
    const QString id = QString::fromStdString(current.id);
    if (!machine.isEmpty() && !current.machine.isEmpty() && current.machine != machine)
        return {BenchStanding::Kind::Copied,
                QString("Журнал %1 рабочего места %2 ведётся на другом компьютере: здесь его "
                        "копия (скопирована или восстановлена из резервной копии того "
                        "компьютера). Обе копии дают новым записям одни и те же номера, и сервер "
                        "примет только одну из них.")
                    .arg(shown, id)};
    if (!current.held.isEmpty())
        return {
            BenchStanding::Kind::Held,
            QString("Журнал %1 %2: записи, сохранённые в нём с № %3 по счёту этого места, "
                    "остаются только здесь и на сервер не отправляются, пока рабочему месту "
                    "не заведён новый номер.")
                .arg(
                    shown,
                    current.held == BenchHistory::HeldRestored
                        ? QString("рабочего места %1 восстановлен из резервной копии").arg(id)
                        : QString("— копия журнала рабочего места %1 с другого компьютера").arg(id))
                .arg(current.heldFrom)};
    if (!shortOfHead.isEmpty())
        return {BenchStanding::Kind::Restored,
                QString("%2. Журнал %1 восстановлен из резервной копии или из него удалены "
                        "записи; сохранённые в нём дальше не сойдутся с теми, что сервер уже мог "
                        "принять от этого рабочего места.")
                    .arg(shown, shortOfHead)};
    return {};
}

QString BenchStandings::heldFor(BenchStanding::Kind kind) {
    return kind == BenchStanding::Kind::Restored ? BenchHistory::HeldRestored
                                                 : BenchHistory::HeldCopy;
}
