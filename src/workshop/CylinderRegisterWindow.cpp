#include "CylinderRegisterWindow.h"

#include "dialogs/Messages.h"
#include "records/CylinderRegister.h"
#include "records/RecordTexts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QStringList Headings = {"Номер",      "Газ",       "Для газа",   "Концентрация",
                              "Газ-основа", "Поставщик", "Паспорт от", "Годен до"};
// Cylinders that expire within this many days are shown on yellow.
constexpr int SoonDays = 30;
} // namespace

CylinderRegisterWindow::CylinderRegisterWindow(Messages &messages, QWidget *parent)
    : ReleasedWhenHidden(parent, Qt::Window), messages_(messages.of(this)),
      today_(QDate::currentDate()) {
    setObjectName("cylinderRegisterWindow");
    setWindowTitle("Реестр баллонов");
    resize(900, 600);
    auto *layout = new QVBoxLayout(this);
    cylindersTable = new QTableWidget(0, int(Headings.size()), this);
    cylindersTable->setObjectName("cylindersTable");
    cylindersTable->setAccessibleName("Баллоны реестра");
    cylindersTable->setHorizontalHeaderLabels(Headings);
    cylindersTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cylindersTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    cylindersTable->verticalHeader()->hide();
    cylindersTable->horizontalHeader()->setStretchLastSection(true);
    cylindersTable->setMinimumHeight(120);
    layout->addWidget(cylindersTable, 1);
    statusLabel = new QLabel(this);
    statusLabel->setObjectName("cylindersStatusLabel");
    statusLabel->setWordWrap(true);
    layout->addWidget(statusLabel);

    auto *group = new QGroupBox("Новый баллон", this);
    group->setObjectName("newCylinderGroup");
    auto *form = new QFormLayout(group);
    fields = new CylinderFields(form, group);
    // Here a cylinder is only typed in, never picked.
    form->setRowVisible(fields->cylinderCombo, false);
    form->setRowVisible(fields->cylinderRegisterLabel, false);
    fields->cylinderBalanceEdit->setText("воздух");
    fields->cylinderCertifiedEdit->setDate(today_);
    fields->cylinderExpiryEdit->setDate(today_.addYears(1));
    addButton = new QPushButton("Внести в реестр", group);
    addButton->setObjectName("addCylinderButton");
    form->addRow(addButton);
    layout->addWidget(group);

    connect(addButton, &QPushButton::clicked, this, &CylinderRegisterWindow::addCylinder);
}

void CylinderRegisterWindow::showCylinders() {
    cylindersTable->clearContents();
    cylindersTable->setRowCount(0);
    QString error;
    RecordStore *store = access_ ? access_(false, &error) : nullptr;
    if (!store) {
        statusLabel->setText(error.isEmpty() ? "В реестре пока нет баллонов."
                                             : "Реестр не прочитан: " + error);
        return;
    }
    const std::optional<std::vector<RegisteredCylinder>> all = CylinderRegister(*store).all(&error);
    if (!all) {
        statusLabel->setText("Реестр не прочитан: " + error);
        return;
    }
    cylindersTable->setRowCount(int(all->size()));
    int expired = 0, soon = 0;
    for (int row = 0; row < int(all->size()); ++row) {
        const RegisteredCylinder &c = (*all)[std::size_t(row)];
        const QDate expiry = QDate::fromString(QString::fromStdString(c.expiry), Qt::ISODate);
        const qint64 left = today_.daysTo(expiry);
        const QStringList texts = RecordTexts::registeredCylinder(c);
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            if (left < 0)
                item->setBackground(QColor(0xFF, 0x80, 0x80));
            else if (left <= SoonDays)
                item->setBackground(QColor(0xFF, 0xFF, 0x00));
            cylindersTable->setItem(row, column, item);
        }
        expired += left < 0;
        soon += left >= 0 && left <= SoonDays;
    }
    cylindersTable->resizeColumnsToContents();
    statusLabel->setText(QString("Баллонов в реестре: %1; истекает в ближайшие %2 дн.: %3; "
                                 "просрочено: %4.")
                             .arg(all->size())
                             .arg(SoonDays)
                             .arg(soon)
                             .arg(expired));
}

void CylinderRegisterWindow::addCylinder() {
    QString error;
    std::optional<RegisteredCylinder> entry = fields->typed(&error);
    if (!entry)
        return messages_.error("Баллон не внесён: " + error);
    RecordStore *store = access_ ? access_(true, &error) : nullptr;
    if (!store)
        return messages_.error("Баллон не внесён: " + error);
    if (!CylinderRegister(*store).add(*entry, &error))
        return messages_.error("Баллон не внесён: " + error);
    messages_.information(
        QString("Баллон № %1 внесён в реестр.").arg(QString::fromStdString(entry->number)));
    fields->cylinderNumberEdit->clear();
    showCylinders();
}
