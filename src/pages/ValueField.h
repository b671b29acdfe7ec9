#pragma once
// A three-digit field for a value in hundredths of a percent (0 to 999), typed
// by the technician or read back from the block. A value read back that the
// three digits cannot hold is shown in full, in red, with the mask taken off,
// so that it is never shown cut and never written back by mistake.

#include <QLineEdit>

#include <optional>

class Messages;

class ValueField : public QLineEdit {
    Q_OBJECT
  public:
    static constexpr int Max = 999;

    ValueField(const char *name, QWidget *parent);

    void showValue(int value);
    bool outOfRange() const { return outOfRange_; }

    // The value to write: blanks around it ignored. A text that is no whole
    // number, or a number outside 0 to 999, is refused with a message box and
    // gives nothing.
    std::optional<std::uint16_t> valueToWrite(Messages &messages) const;

  private:
    void setMasked(bool masked);
    void setTextColour(bool red);
    // The text is a whole number from 0 to 999.
    bool fits() const;

    bool outOfRange_ = false;
    QPalette normal_;
};
