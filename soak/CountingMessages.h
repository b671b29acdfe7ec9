#pragma once
// Stands in for the message boxes through a long run: each text that would
// have been shown, with how many times. Only the distinct texts are kept, so a
// box asked for on every reply costs no memory of its own.

#include "dialogs/Messages.h"

#include <QMap>
#include <QString>

#include <cstdint>

class CountingMessages : public Messages {
  public:
    QMap<QString, std::int64_t> errors;
    QMap<QString, std::int64_t> informations;

    void error(const QString &text) override { ++errors[text]; }
    void information(const QString &text) override { ++informations[text]; }
    // A question counts as a box shown, and is answered No.
    bool confirm(const QString &text) override {
        ++informations[text];
        return false;
    }

    static std::int64_t total(const QMap<QString, std::int64_t> &shown) {
        std::int64_t n = 0;
        for (std::int64_t times : shown)
            n += times;
        return n;
    }
};
