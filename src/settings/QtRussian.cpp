#include "QtRussian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtRussian(QCoreApplication &app) {
    auto *translator = new QTranslator(&app);
    if (!translator->load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}
