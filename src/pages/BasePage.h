#pragma once
// The base unit's page.

#include <QWidget>

class QGroupBox;
class QLabel;

class BasePage : public QWidget {
    Q_OBJECT
  public:
    explicit BasePage(QWidget *parent = nullptr);

    QGroupBox *GroupBox4;
    QLabel *Panel2;
};
