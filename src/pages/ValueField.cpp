#include "ValueField.h"

#include "PageFormat.h"
#include "ui/Messages.h"

namespace {
// Three optional digits.
const char *const Mask = "000";
} // namespace

ValueField::ValueField(const char *name, QWidget *parent) : QLineEdit(parent) {
    setObjectName(name);
    normal_ = palette();
    setMasked(true);
    setText("   ");
    // While the technician types over a value shown out of range, its colour
    // follows what is typed; leaving the field with a value it can hold brings
    // its mask back.
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (outOfRange_)
            setTextColour(!fits());
    });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (outOfRange_ && fits())
            showValue(PageFormat::integer(displayText()).value_or(0));
    });
}

void ValueField::setMasked(bool masked) {
    outOfRange_ = !masked;
    setInputMask(masked ? Mask : "");
    setMaxLength(masked ? 3 : 6);
    setTextColour(!masked);
    setToolTip(masked ? QString() : "Значение вне диапазона 0…999");
}

void ValueField::setTextColour(bool red) {
    QPalette p = normal_;
    if (red)
        p.setColor(QPalette::Text, QColor(0xFF, 0, 0));
    setPalette(p);
}

bool ValueField::fits() const {
    std::optional<std::int32_t> value = PageFormat::integer(displayText());
    return value && *value >= 0 && *value <= Max;
}

void ValueField::showValue(int value) {
    setMasked(value >= 0 && value <= Max);
    setText(QString::number(value));
}

std::optional<std::uint16_t> ValueField::valueToWrite(Messages &messages) const {
    // What the technician sees: a blank between two digits is no number.
    const QString shown = displayText().trimmed();
    std::optional<std::int32_t> value = PageFormat::integer(shown);
    if (!value) {
        messages.error(PageFormat::notAnInteger(shown));
        return std::nullopt;
    }
    if (*value < 0 || *value > Max) {
        messages.error(
            QString("Значение %1 вне диапазона 0…999: в прибор не записано.").arg(*value));
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*value);
}
