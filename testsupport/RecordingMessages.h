#pragma once
// Stands in for the message boxes: records what would have been shown, and
// answers each question as the test set it beforehand.

#include "dialogs/Messages.h"

#include <QStringList>

class RecordingMessages : public Messages {
  public:
    QStringList errors;
    QStringList informations;
    QStringList questions;
    bool answer = false;

    void error(const QString &text) override { errors << text; }
    void information(const QString &text) override { informations << text; }
    bool confirm(const QString &text) override {
        questions << text;
        return answer;
    }
    void clear() {
        errors.clear();
        informations.clear();
        questions.clear();
        answer = false;
    }
};
