#pragma once
// Every message box of the tool goes through here, so that tests can stand in
// for the boxes and no handler ever blocks in a nested event loop.

#include <QString>

class Messages {
  public:
    virtual ~Messages() = default;
    // An error box (error icon, one OK button).
    virtual void error(const QString &text) = 0;
    // A plain box with one OK button.
    virtual void information(const QString &text) = 0;
};
