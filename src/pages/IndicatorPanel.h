#pragma once
// A flat panel of a block page. An indicator changes its text and its colour
// together; a reading panel only changes its text.

#include <QLabel>

class IndicatorPanel : public QLabel {
    Q_OBJECT
  public:
    enum class Colour { Face, Yellow, Red };

    IndicatorPanel(const QString &objectName, QWidget *parent);

    void set(const QString &text, Colour colour);
    void setColour(Colour colour);
    QColor colour() const;

    static QColor rgb(Colour colour);
};
