#include "ValueField.h"

#include "PageFormat.h"
#include "dialogs/Messages.h"

ValueField::ValueField(const char *name, QWidget *parent, int digits)
    : QLineEdit(parent), digits_(digits), max_(digits == 4 ? 9999 : 999) {
    setObjectName(name);
    normal_ = palette();
    setMasked(true);
    setText(QString(digits_, ' '));
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
    // "0" is an optional digit.
    setInputMask(masked ? QString(digits_, '0') : QString());
    setMaxLength(masked ? digits_ : 6);
    setTextColour(!masked);
    setToolTip(masked ? QString() : QString("Значение вне диапазона 0…%1").arg(max_));
}

void ValueField::setTextColour(bool red) {
    QPalette p = normal_;
    if (red)
        p.setColor(QPalette::Text, QColor(0xFF, 0, 0));
    setPalette(p);
}

bool ValueField::fits() const {
    std::optional<std::int32_t> value = PageFormat::integer(displayText());
    return value && *value >= 0 && *value <= max_;
}

void ValueField::showValue(int value) {
    setMasked(value >= 0 && value <= max_);
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
    if (*value < 0 || *value > max_) {
        messages.error(
            QString("Значение %1 вне диапазона 0…%2: в прибор не записано.").arg(*value).arg(max_));
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*value);
}

std::optional<WriteData> pairToWrite(const ValueField *first, const ValueField *second,
                                     Messages &messages) {
    std::optional<std::uint16_t> a = first->valueToWrite(messages);
    if (!a)
        return std::nullopt;
    std::optional<std::uint16_t> b = second->valueToWrite(messages);
    if (!b)
        return std::nullopt;
    return WriteData::words(*a, *b);
}

void showCarried(ValueField *field, std::optional<int> value) {
    if (value)
        field->showValue(*value);
}
