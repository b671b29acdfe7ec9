#include "UsbPage.h"

#include "link/D2xxLayer.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

UsbPage::UsbPage(QWidget *parent) : QWidget(parent) {
    ListView1 = new QTableWidget(0, 3, this);
    ListView1->setObjectName("ListView1");
    ListView1->setGeometry(4, 4, 457, 479);
    ListView1->setHorizontalHeaderLabels({"Устройство", "Обозначение", "Серийный номер"});
    // The number and the serial number as wide as they are, the adapter's
    // name the rest; a name longer still shows whole in its tooltip.
    QHeaderView *header = ListView1->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    ListView1->setTextElideMode(Qt::ElideMiddle);
    ListView1->horizontalHeader()->setHighlightSections(false);
    ListView1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setDefaultSectionSize(18);
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->viewport()->installEventFilter(this);

    Button1 = new QPushButton("Обновить список устройств", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(476, 4, 200, 25);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(476, 44, 300, 24);
    QFont labelFont = Label1->font();
    labelFont.setPixelSize(16);
    labelFont.setBold(true);
    Label1->setFont(labelFont);
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::WindowText, QColor(0xFF, 0, 0));
    Label1->setPalette(labelPalette);

    SilenceHint = new QLabel(this);
    SilenceHint->setObjectName("SilenceHint");
    SilenceHint->setGeometry(476, 72, 300, 80);
    SilenceHint->setWordWrap(true);
    SilenceHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    labelPalette.setColor(QPalette::WindowText, QColor(0x90, 0, 0));
    SilenceHint->setPalette(labelPalette);

    Panel1 = new QLabel(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 526, 477, 16);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(481, 526, 300, 16);
    ProgressBar1->setRange(0, 350);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void UsbPage::RefreshDeviceList(D2xxLayer &ft) {
    ListView1->setRowCount(0);
    ft.GetFTDeviceCount();
    for (std::uint32_t i = 0; i < ft.DeviceCount; ++i) {
        int row = ListView1->rowCount();
        ListView1->insertRow(row);
        ListView1->setItem(row, 0, new QTableWidgetItem("Устройство " + QString::number(i + 1)));
        ft.GetFTDeviceDescription(i);
        auto *description = new QTableWidgetItem(QString::fromStdString(ft.ListText));
        description->setToolTip(description->text());
        ListView1->setItem(row, 1, description);
        ft.GetFTDeviceSerialNo(i);
        ListView1->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(ft.ListText)));
    }
}

std::optional<UsbPage::Row> UsbPage::selectedRow() const {
    const QList<QTableWidgetItem *> items = ListView1->selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    int row = ListView1->rowCount();
    for (QTableWidgetItem *item : items)
        row = std::min(row, item->row());
    auto text = [&](int column) {
        QTableWidgetItem *item = ListView1->item(row, column);
        return item ? item->text() : QString();
    };
    return Row{text(1), text(2)};
}

int UsbPage::rowCount() const {
    return ListView1->rowCount();
}

bool UsbPage::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonDblClick)
        emit listDoubleClicked();
    return QWidget::eventFilter(watched, event);
}
