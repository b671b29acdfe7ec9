#include "DateField.h"

#include <QDateEdit>

QDateEdit *dateField(const char *objectName, QWidget *parent) {
    auto *e = new QDateEdit(parent);
    e->setObjectName(objectName);
    e->setCalendarPopup(true);
    e->setDisplayFormat("dd.MM.yyyy");
    return e;
}
