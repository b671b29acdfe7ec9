#include "ChartCsv.h"

namespace {
QString quoted(QString text) {
    return '"' + text.replace('"', "\"\"") + '"';
}
} // namespace

QByteArray chartCsv(const QString &valueHeading, const ChartHistory &history, QLocale locale) {
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const auto values = history.points();
    const int empty = ChartHistory::SlotCount - history.filledCount();
    QString text = quoted("Точка") + ';' + quoted(valueHeading) + "\r\n";
    for (int i = 0; i < ChartHistory::SlotCount; ++i) {
        text += QString::number(i + 1) + ';';
        if (i >= empty)
            text += locale.toString(values[static_cast<std::size_t>(i)], 'f',
                                    QLocale::FloatingPointShortest);
        text += "\r\n";
    }
    return "\xEF\xBB\xBF" + text.toUtf8();
}
