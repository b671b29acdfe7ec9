#pragma once
// The test stand's multiplexer window: the stand picture with a lamp per
// position, a click picks a position's channel, and the sensor type chosen
// here is announced to the base. The stand lies in the middle of the window,
// which is as wide as its title needs.

#include "dialogs/ReleasedWhenHidden.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>

class ExchangeCycle;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TForm2 : public ReleasedWhenHidden<QWidget> {
    Q_OBJECT
  public:
    TForm2(ExchangeCycle &exchange, QWidget *parent = nullptr);

    // Lamps Panel1 to Panel32 (index 0 is Panel1).
    std::array<QLabel *, 32> Lamps{};
    QGroupBox *RadioGroup1;
    // "Калибровка стенда…": all the stand's sensors in one pass of gas.
    QPushButton *StandCalibrationButton;
    std::array<QRadioButton *, 5> RadioItems{};

    // The chosen sensor-type item, -1 for none.
    int itemIndex() const;
    // Chooses an item from code (-1 clears the choice). A change of choice
    // counts as the technician's and runs RadioGroup1Click.
    void setItemIndex(int index);
    static std::uint8_t typeCodeOf(int itemIndex);

    void setPicture(const QImage &picture);
    const QImage &picture() const { return picture_; }
    bool lampLit(int panelNumber) const;

  public slots:
    // A click on the stand at a position of its own (the client position of
    // the stand's first window, which was the stand's size).
    void FormClick(const QPoint &clientPos);
    void RadioGroup1Click();

  signals:
    void sensorTypeChosen(std::uint8_t typeCode);
    void standCalibrationAsked();

  protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    // The stand's picture is painted under its lamps.
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void setLamp(int panelNumber, bool lit);

    ExchangeCycle &exchange_;
    QButtonGroup *items_;
    QWidget *stand_;
    QImage picture_;
};
