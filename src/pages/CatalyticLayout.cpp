#include "CatalyticLayout.h"

#include "PageWidgets.h"
#include "ValueField.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace CatalyticLayout {

QGroupBox *statusGroup(QWidget *page, CatalyticWidgets &w, const std::array<const char *, 8> &names,
                       const QString &caption, QRect where, bool circuitFirst) {
    QGroupBox *box = PageWidgets::group(page, names[0], caption, where.x(), where.y(),
                                        where.width(), StatusHeight);
    IndicatorPanel **state[] = {&w.power, &w.mode, &w.settings, &w.circuit};
    IndicatorPanel **alarms[] = {&w.offAlarm, &w.alarm2, &w.alarm1};
    const int width = where.width() - 12;
    for (int row = 0; row < 4; ++row)
        *state[circuitFirst ? 3 - row : row] =
            PageWidgets::panel(box, names[std::size_t(row) + 1], 6, 18 + 19 * row, width, 17);
    for (int row = 0; row < 3; ++row)
        *alarms[row] =
            PageWidgets::panel(box, names[std::size_t(row) + 5], 6, 102 + 19 * row, width, 17);
    return box;
}

void parameterGroup(QWidget *page, CatalyticWidgets &w, const ParameterNames &n,
                    const QString &caption, const QString &saveCaption, QRect where,
                    int saveWidth) {
    using namespace PageWidgets;
    QGroupBox *box =
        group(page, n.group, caption, where.x(), where.y(), where.width(), where.height());
    w.parameters = box;
    const int width = where.width();

    QLabel *airLabel = label(box, n.labelAir, "U воздух, мВ", 6, 22, 78, 17);
    w.uAir = readOnlyEdit(box, n.uAir, 86, 20, 64, 21);
    airLabel->setBuddy(w.uAir);
    w.applyAir = button(box, n.applyAir, "Применить U воздуха", 154, 19, width - 160, 23);
    QLabel *gasLabel = label(box, n.labelGas, "U газ, мВ", 6, 48, 78, 17);
    w.uGas = readOnlyEdit(box, n.uGas, 86, 46, 64, 21);
    gasLabel->setBuddy(w.uGas);
    w.applyGas = button(box, n.applyGas, "Применить U газа", 154, 45, width - 160, 23);

    auto *rows = new QFrame(box);
    rows->setObjectName(n.panel);
    rows->setFrameStyle(QFrame::Panel | QFrame::Raised);
    rows->setGeometry(6, 74, width - 12, 104);
    const char *const texts[] = {"C газа, % х100", "Порог1, % х100", "Порог2, % х100",
                                 "Порог откл., % х100"};
    ValueField **fields[] = {&w.calibrationGas, &w.threshold1, &w.threshold2, &w.offThreshold};
    for (std::size_t row = 0; row < 4; ++row) {
        const int y = 6 + 24 * int(row);
        QLabel *caption = label(rows, n.labels[row], texts[row], 6, y + 2, 118, 17);
        *fields[row] = new ValueField(n.fields[row], rows);
        caption->setBuddy(*fields[row]);
        (*fields[row])->setGeometry(126, y, 40, 21);
    }
    const int buttonWidth = width - 12 - 182;
    w.writeUpper = button(rows, n.writeUpper, "Применить", 176, 6, buttonWidth, 45);
    w.writeLower = button(rows, n.writeLower, "Применить", 176, 54, buttonWidth, 45);

    w.save =
        button(box, n.save, saveCaption, width - saveWidth - 6, where.height() - 32, saveWidth, 26);
}

} // namespace CatalyticLayout
