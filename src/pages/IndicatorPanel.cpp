#include "IndicatorPanel.h"

#include <QApplication>

IndicatorPanel::IndicatorPanel(const QString &objectName, QWidget *parent) : QLabel(parent) {
    setObjectName(objectName);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setColour(Colour::Face);
}

QColor IndicatorPanel::rgb(Colour colour) {
    switch (colour) {
    case Colour::Yellow:
        return QColor(0xFF, 0xFF, 0x00);
    case Colour::Red:
        return QColor(0xFF, 0x00, 0x00);
    case Colour::Face:
        break;
    }
    return QApplication::palette().color(QPalette::Button);
}

void IndicatorPanel::set(const QString &text, Colour colour) {
    setText(text);
    setColour(colour);
}

void IndicatorPanel::setColour(Colour colour) {
    QPalette p = palette();
    p.setColor(QPalette::Window, rgb(colour));
    setPalette(p);
}

QColor IndicatorPanel::colour() const {
    return palette().color(QPalette::Window);
}
