#include "DueWindow.h"

#include "records/DueList.h"
#include "records/RecordLocation.h"
#include "records/RecordTexts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QStringList Headings = {"Прибор №", "Модель", "Последняя калибровка", "Итог", "Срок"};
enum Column { Serial, Model, Last, Outcome, When };
} // namespace

DueWindow::DueWindow(QWidget *parent)
    : ReleasedWhenHidden(parent, Qt::Window), today_(QDate::currentDate()) {
    setObjectName("dueWindow");
    setWindowTitle("Сроки калибровки");
    resize(720, 460);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    daysSpin = new QSpinBox(this);
    daysSpin->setObjectName("daysSpin");
    daysSpin->setRange(0, 3650);
    daysSpin->setValue(30);
    daysSpin->setSuffix(" дн.");
    auto *daysLabel = new QLabel("Срок подходит в ближайшие:", this);
    daysLabel->setBuddy(daysSpin);
    showButton = new QPushButton("Показать", this);
    showButton->setObjectName("showDueButton");
    showButton->setDefault(true);
    top->addWidget(daysLabel);
    top->addWidget(daysSpin);
    top->addWidget(showButton);
    top->addStretch();
    layout->addLayout(top);

    dueTable = new QTableWidget(0, int(Headings.size()), this);
    dueTable->setObjectName("dueTable");
    dueTable->setAccessibleName("Приборы, которым подходит срок калибровки");
    dueTable->setHorizontalHeaderLabels(Headings);
    dueTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dueTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    dueTable->setSelectionMode(QAbstractItemView::SingleSelection);
    dueTable->verticalHeader()->hide();
    dueTable->horizontalHeader()->setStretchLastSection(true);
    dueTable->setToolTip("Двойной щелчок открывает записи прибора в журнале калибровок");
    layout->addWidget(dueTable, 1);
    statusLabel = new QLabel(this);
    statusLabel->setObjectName("dueStatusLabel");
    statusLabel->setWordWrap(true);
    layout->addWidget(statusLabel);

    connect(showButton, &QPushButton::clicked, this, &DueWindow::showDue);
    connect(&reader_, &JournalReader::slow, this, [this](bool silent) {
        if (silent)
            statusLabel->setText(JournalReader::serverSilentNote() + "\n" + where());
    });
    connect(daysSpin, &QSpinBox::editingFinished, this, &DueWindow::showDue);
    connect(dueTable, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        if (row >= 0 && row < int(serials_.size()))
            emit recordsRequested(serials_[std::size_t(row)]);
    });
}

void DueWindow::setRecordsPath(const QString &path, const QString &benchPath) {
    path_ = path;
    reader_.setLocation(path, benchPath);
}

void DueWindow::showDue() {
    reader_.newestOfEach([this](JournalReader::Read read) { showRead(read); });
    if (reader_.waiting())
        statusLabel->setText(reader_.waitingNote() + "\n" + where());
}

QString DueWindow::where() const {
    return "Журнал: " + RecordLocation::shown(path_);
}

void DueWindow::showRead(const JournalReader::Read &read) {
    const QString note = read.note.isEmpty() ? QString() : read.note + "\n";
    const std::vector<DueList::Entry> due =
        read.error.isEmpty() ? DueList::within(read.records, today_, daysSpin->value())
                             : std::vector<DueList::Entry>{};
    serials_.clear();
    dueTable->clearContents();
    dueTable->setRowCount(int(due.size()));
    for (int row = 0; row < int(due.size()); ++row) {
        const DueList::Entry &e = due[std::size_t(row)];
        serials_.push_back(e.last.serial);
        const QStringList texts = {
            QString::number(e.last.serial), RecordTexts::instrument(e.last),
            RecordTexts::recordNumber(e.last) + ", " + RecordTexts::dateTime(e.last.when),
            QString::fromStdString(outcomeText(e.last.outcome)), DueList::when(e)};
        const bool late = !e.daysLeft || *e.daysLeft < 0;
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            if (column == Serial)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (late)
                item->setForeground(QColor(0xC0, 0, 0));
            dueTable->setItem(row, column, item);
        }
    }
    dueTable->resizeColumnsToContents();
    if (!read.error.isEmpty())
        statusLabel->setText(note + "Журнал не прочитан: " + read.error + "\n" + where());
    else if (due.empty())
        statusLabel->setText(note + "Приборов, которым подходит срок калибровки, нет.\n" + where());
    else
        statusLabel->setText(note + QString("Приборов: %1.\n").arg(due.size()) + where());
}
