#pragma once
// What came of an adapter's job, for the technician (one line) or for a
// program (one JSON object).

#include "JobOrder.h"

#include <QJsonObject>
#include <QString>

namespace JobReport {
// "FTV1ABCD: вид 1, ЗЭ11.2к   № 23101: tks.threshold1 = 150 подтверждено; сохранено"
QString line(const JobOrder &order, const JobOutcome &outcome);
QJsonObject json(const JobOrder &order, const JobOutcome &outcome);
} // namespace JobReport
