#include "LocaleNumbers.h"

#include <QLocale>
#include <QRegularExpression>

QString fixed(double value, int decimals) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

QString localized(QString text) {
    const QChar point = QLocale().decimalPoint().front();
    if (point == ',')
        return text;
    static const QRegularExpression decimal(QStringLiteral("(\\d),(\\d+)(?=[ \u00a0](%|мВ))"));
    return text.replace(decimal, QString("\\1") + point + "\\2");
}
