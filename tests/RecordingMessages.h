#pragma once
// Stands in for the message boxes: records what would have been shown.

#include "ui/Messages.h"

#include <QStringList>

class RecordingMessages : public Messages {
  public:
    QStringList errors;
    QStringList informations;

    void error(const QString &text) override { errors << text; }
    void information(const QString &text) override { informations << text; }
    void clear() {
        errors.clear();
        informations.clear();
    }
};
