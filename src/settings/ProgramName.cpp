#include "ProgramName.h"

#include <QCoreApplication>

void nameProgram() {
    QCoreApplication::setApplicationName("Серия ЗЭ-23");
    QCoreApplication::setOrganizationName("ЗЭ-23");
}
