#include "CylinderRows.h"

#include <QSqlQuery>
#include <QVariant>

namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}
std::string utf8(const QVariant &v) {
    return v.toString().toStdString();
}
} // namespace

const char *const CylinderRows::Columns = "number, gas, component, concentration, uncertainty, "
                                          "balance, supplier, certified, expiry, added";

RegisteredCylinder CylinderRows::fields(const QSqlQuery &q, int first) {
    int c = first;
    RegisteredCylinder r;
    r.number = utf8(q.value(c++));
    r.gas = utf8(q.value(c++));
    r.component = utf8(q.value(c++));
    r.concentration = q.value(c++).toInt();
    r.uncertainty = q.value(c++).toInt();
    r.balance = utf8(q.value(c++));
    r.supplier = utf8(q.value(c++));
    r.certified = utf8(q.value(c++));
    r.expiry = utf8(q.value(c++));
    r.added = utf8(q.value(c++));
    return r;
}

QVariantList CylinderRows::values(const RegisteredCylinder &r) {
    return {text(r.number),  text(r.gas),      text(r.component), r.concentration, r.uncertainty,
            text(r.balance), text(r.supplier), text(r.certified), text(r.expiry),  text(r.added)};
}
