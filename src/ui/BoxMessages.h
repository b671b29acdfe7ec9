#pragma once
// Message boxes on screen: window-modal, opened without a nested event loop.
// A text that is already showing opens no second box, so replies arriving
// several times a second never stack boxes.

#include "Messages.h"

#include <QList>
#include <QPointer>

class QMessageBox;
class QWidget;

class BoxMessages : public Messages {
  public:
    explicit BoxMessages(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    void error(const QString &text) override;
    void information(const QString &text) override;

  private:
    void show(int icon, const QString &text);

    QWidget *parent_;
    QList<QPointer<QMessageBox>> open_;
};
