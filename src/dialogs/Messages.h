#pragma once
// Every message box of the tool goes through here, so that tests can stand in
// for the boxes. Errors and information never block a handler in a nested
// event loop; a question does, since what follows depends on the answer.

#include <QString>

class QWidget;

class Messages {
  public:
    virtual ~Messages() = default;
    // An error box (error icon, one OK button).
    virtual void error(const QString &text) = 0;
    // A plain box with one OK button.
    virtual void information(const QString &text) = 0;
    // A question answered Yes or No; true for Yes. No is the default answer.
    virtual bool confirm(const QString &text) = 0;
    // The boxes a window of its own raises: shown over that window, not over
    // the main one. A stand-in answers for every window itself.
    virtual Messages &of(QWidget *window) {
        (void)window;
        return *this;
    }
};
