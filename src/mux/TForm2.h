#pragma once
// The test stand's multiplexer window.

#include <QWidget>

class TForm2 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm2(QWidget *parent = nullptr);
};
