#include "JournalTable.h"

#include "RecordTexts.h"

namespace {
QString quoted(QString text) {
    return '"' + text.replace('"', "\"\"") + '"';
}

QString line(const QStringList &fields) {
    QStringList q;
    for (const QString &f : fields)
        q << quoted(f);
    return q.join(';') + "\r\n";
}
} // namespace

QStringList JournalTable::headings() {
    return {"№",    "Дата",      "Прибор №", "Модель", "Блок датчика",
            "Итог", "Следующая", "Выполнил", "Стенд"};
}

QStringList JournalTable::cells(const CalibrationRecord &r) {
    QString outcome = QString::fromStdString(outcomeText(r.outcome));
    if (r.corrects)
        outcome += QString(" (исправляет № %1)").arg(*r.corrects);
    return {RecordTexts::recordNumber(r),
            RecordTexts::dateTime(r.when),
            QString::number(r.serial),
            QString::fromStdString(r.model),
            RecordTexts::blockName(r.block),
            outcome,
            r.nextDue.empty() ? QString("—") : RecordTexts::date(r.nextDue),
            RecordTexts::technician(r),
            !r.standPosition        ? QString()
            : r.sensorLabel.empty() ? QString("поз. %1").arg(*r.standPosition)
                                    : QString("поз. %1, %2")
                                          .arg(*r.standPosition)
                                          .arg(QString::fromStdString(r.sensorLabel))};
}

QByteArray JournalTable::csv(const std::vector<CalibrationRecord> &records,
                             const QLocale &numbers) {
    const auto beforeStand = [](QStringList l) { return l.mid(0, Stand); };
    QString text = line(beforeStand(headings()) + RecordTexts::cylinderHeadings() +
                        QStringList{"Партия стенда", "Позиция стенда", "Метка датчика"});
    for (const CalibrationRecord &r : records)
        text += line(beforeStand(cells(r)) + RecordTexts::cylinderCells(r, numbers) +
                     QStringList{QString::fromStdString(r.batch),
                                 r.standPosition ? QString::number(*r.standPosition) : QString(),
                                 QString::fromStdString(r.sensorLabel)});
    return "\xEF\xBB\xBF" + text.toUtf8();
}
