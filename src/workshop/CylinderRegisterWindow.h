#pragma once
// "Реестр баллонов": every registered cylinder, those expiring within a
// month on yellow and the expired on red, and a form to register one more
// (refused in the technician's words when a field is not valid or its number
// is registered already). A registered cylinder is never changed here. The
// register is the one the calibration window picks from: with the journal on
// a server, the bench's own copy, which the outbox trades with the server.

#include "dialogs/ReleasedWhenHidden.h"

#include "CylinderFields.h"

#include <QDate>
#include <QWidget>

class Messages;
class QPushButton;
class QTableWidget;

class CylinderRegisterWindow : public ReleasedWhenHidden<QWidget> {
    Q_OBJECT
  public:
    CylinderRegisterWindow(Messages &messages, QWidget *parent = nullptr);

    // The store that holds the register (made when `make`); see CylinderFields.
    void setStoreAccess(CylinderFields::StoreAccess access) { access_ = std::move(access); }
    // The day expiry is judged against; today unless a test sets another.
    void setToday(const QDate &day) { today_ = day; }

    QTableWidget *cylindersTable;
    QLabel *statusLabel;
    CylinderFields *fields;
    QPushButton *addButton;

  public slots:
    // Reads the register again.
    void showCylinders();
    void addCylinder();

  private:
    Messages &messages_;
    CylinderFields::StoreAccess access_;
    QDate today_;
};
