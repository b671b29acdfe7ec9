#pragma once
// A registered cylinder as a row of the cylinders table, for the register
// and the step of the journal's layout that chained the cylinders kept
// before.

#include "calibration/CylinderFit.h"

#include <QVariantList>

class QSqlQuery;

namespace CylinderRows {
// The columns of a cylinder's fields, in the order fields() and values() take.
extern const char *const Columns;
// The fields from the query's columns `first` on, in Columns' order.
RegisteredCylinder fields(const QSqlQuery &q, int first = 0);
QVariantList values(const RegisteredCylinder &c);
} // namespace CylinderRows
