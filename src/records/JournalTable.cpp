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
    return {"№", "Дата", "Прибор №", "Модель", "Блок датчика", "Итог", "Следующая", "Выполнил"};
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
            RecordTexts::technician(r)};
}

QByteArray JournalTable::csv(const std::vector<CalibrationRecord> &records,
                             const QLocale &numbers) {
    QString text = line(headings() + RecordTexts::cylinderHeadings());
    for (const CalibrationRecord &r : records)
        text += line(cells(r) + RecordTexts::cylinderCells(r, numbers));
    return "\xEF\xBB\xBF" + text.toUtf8();
}
