#pragma once
// Message boxes on screen: window-modal, opened without a nested event loop.
// A text that is already showing opens no second box, so replies arriving
// several times a second never stack boxes. A question waits for its answer.

#include "Messages.h"

#include <QList>
#include <QPointer>

#include <map>
#include <memory>

class QMessageBox;
class QWidget;

class BoxMessages : public Messages {
  public:
    explicit BoxMessages(QWidget *parent = nullptr, Qt::WindowModality modality = Qt::WindowModal)
        : parent_(parent), modality_(modality) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    void error(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    // Boxes over `window`, modal to it alone: the main window stays where it is.
    Messages &of(QWidget *window) override;

  private:
    void show(int icon, const QString &text);

    QWidget *parent_;
    Qt::WindowModality modality_;
    QList<QPointer<QMessageBox>> open_;
    std::map<QWidget *, std::unique_ptr<BoxMessages>> windows_;
};
