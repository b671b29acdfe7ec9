#pragma once
// A file dialog that answers with a path given beforehand (empty: cancelled)
// and counts how often it was asked.

#include "export/FileChooser.h"

struct ScriptedChooser : FileChooser {
    QString answer;
    int asked = 0;
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override {
        return ++asked, answer;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override {
        return ++asked, answer;
    }
};
