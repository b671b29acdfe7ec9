#include "DueList.h"

#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <map>

std::vector<DueList::Entry> DueList::within(const std::vector<CalibrationRecord> &records,
                                            QDate today, int days) {
    std::map<int, const CalibrationRecord *> newest;
    for (const CalibrationRecord &r : records)
        newest[r.serial] = &r; // oldest first: the last one seen is the newest
    std::vector<Entry> due;
    for (const auto &[serial, r] : newest) {
        const QDate next = QDate::fromString(QString::fromStdString(r->nextDue), Qt::ISODate);
        if (!next.isValid()) {
            due.push_back({*r, std::nullopt});
            continue;
        }
        const int left = int(today.daysTo(next));
        if (left <= days)
            due.push_back({*r, left});
    }
    std::stable_sort(due.begin(), due.end(), [](const Entry &a, const Entry &b) {
        return a.daysLeft.value_or(INT_MIN) < b.daysLeft.value_or(INT_MIN);
    });
    return due;
}

QString DueList::when(const Entry &e) {
    if (!e.daysLeft)
        return "сейчас: " + QString::fromStdString(outcomeText(e.last.outcome)).toLower();
    const QString date = QDate::fromString(QString::fromStdString(e.last.nextDue), Qt::ISODate)
                             .toString("dd.MM.yyyy");
    if (*e.daysLeft < 0)
        return QString("%1, просрочена на %2 дн.").arg(date).arg(-*e.daysLeft);
    return QString("%1, через %2 дн.").arg(date).arg(*e.daysLeft);
}

QString DueList::table(const std::vector<Entry> &entries) {
    if (entries.empty())
        return "Приборов, которым подходит срок калибровки, нет.\n";
    QString text;
    for (const Entry &e : entries)
        text += QString("%1\t%2\tзапись № %3\t%4\n")
                    .arg(e.last.serial)
                    .arg(QString::fromStdString(e.last.model))
                    .arg(e.last.number)
                    .arg(when(e));
    return text;
}

QJsonArray DueList::json(const std::vector<Entry> &entries) {
    QJsonArray out;
    for (const Entry &e : entries) {
        QJsonObject o{{"serial", e.last.serial},
                      {"model", QString::fromStdString(e.last.model)},
                      {"record", qint64(e.last.number)},
                      {"outcome", QString::fromStdString(outcomeKey(e.last.outcome))},
                      {"nextDue", QString::fromStdString(e.last.nextDue)}};
        if (e.daysLeft)
            o["daysLeft"] = *e.daysLeft;
        out.append(o);
    }
    return out;
}
