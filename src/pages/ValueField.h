#pragma once
// A field of three (or four) optional digits for a value the technician types
// or the block reports. A value read back that the digits cannot hold is shown
// in full, in red, with the mask taken off, so that it is never shown cut and
// never written back by mistake.

#include "protocol/ExchangeCycle.h"

#include "protocol/BlockSettings.h"

#include <QLineEdit>

#include <optional>

class Messages;

class ValueField : public QLineEdit {
    Q_OBJECT
  public:
    ValueField(const char *name, QWidget *parent, int digits = 3);

    // The largest value the digits hold: 999 or 9999.
    int max() const { return max_; }

    void showValue(int value);
    bool outOfRange() const { return outOfRange_; }

    // The value to write: blanks around it ignored. A text that is no whole
    // number, or a number the digits cannot hold, is refused with a message
    // box and gives nothing.
    std::optional<std::uint16_t> valueToWrite(Messages &messages) const;

  private:
    void setMasked(bool masked);
    void setTextColour(bool red);
    // The text is a whole number from 0 to 999.
    bool fits() const;

    int digits_;
    int max_;
    bool outOfRange_ = false;
    QPalette normal_;
};

// A pair of fields written together: both converted, the first before the
// second, into bytes 3 to 6. A refusal of either gives nothing.
std::optional<WriteData> pairToWrite(const ValueField *first, const ValueField *second,
                                     Messages &messages);

// Shows a setting's value in its field when the reply carried one; otherwise
// the field keeps its text.
void showCarried(ValueField *field, std::optional<int> value);
