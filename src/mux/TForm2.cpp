#include "TForm2.h"

#include "StandLayout.h"
#include "pages/IndicatorPanel.h"
#include "protocol/ExchangeCycle.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const char *const ItemCaptions[5] = {"ТКС", "ТКС + ПГС метан/пропан", "ТКС + ПГС водород", "ПГС",
                                     "Электрохимия"};
constexpr std::uint8_t TypeCodes[5] = {1, 2, 3, 4, 7};

// The stand (its picture, lamps and sensor types) keeps the size it was drawn
// for; the window is wider, so that a title bar shows its title whole (bold,
// 11 pt, beside the close button), and holds the stand in its middle.
constexpr int StandWidth = 224;
constexpr int WindowWidth = 340;
constexpr int WindowHeight = 321;
// Below the stand, the button that calibrates it.
constexpr int StandButtonHeight = 28;
constexpr int BelowStand = StandButtonHeight + 8;
} // namespace

TForm2::TForm2(ExchangeCycle &exchange, QWidget *parent)
    : ReleasedWhenHidden(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      exchange_(exchange) {
    setObjectName("Form2");
    setWindowTitle("Управление мультиплексором");
    setFixedSize(WindowWidth, WindowHeight + BelowStand);
    move(213, 148);
    QFont windowFont("MS Sans Serif");
    windowFont.setPixelSize(11);
    setFont(windowFont);
    stand_ = new QWidget(this);
    stand_->setObjectName("standArea");
    stand_->setAccessibleName("Стенд: 32 позиции");
    stand_->setGeometry((WindowWidth - StandWidth) / 2, 0, StandWidth, WindowHeight);
    stand_->installEventFilter(this);

    for (const StandPosition &p : StandLayout::positions()) {
        auto *lamp = new QLabel(stand_);
        lamp->setObjectName(QString("Panel%1").arg(p.lamp));
        lamp->setGeometry(p.lampLeft, p.lampTop, 9, 6);
        lamp->setAutoFillBackground(true);
        lamp->setFrameStyle(QFrame::Box | QFrame::Plain);
        lamp->setLineWidth(1);
        // A click on a lamp is not a click on the stand.
        lamp->setAttribute(Qt::WA_NoMousePropagation);
        Lamps[static_cast<std::size_t>(p.lamp - 1)] = lamp;
        setLamp(p.lamp, false);
    }

    StandCalibrationButton = new QPushButton("Калибровка стенда…", this);
    StandCalibrationButton->setObjectName("StandCalibrationButton");
    StandCalibrationButton->setGeometry(8, WindowHeight + 2, WindowWidth - 16, StandButtonHeight);
    connect(StandCalibrationButton, &QPushButton::clicked, this, &TForm2::standCalibrationAsked);

    RadioGroup1 = new QGroupBox("Тип датчика", stand_);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setGeometry(8, 216, 161, 97);
    RadioGroup1->setAttribute(Qt::WA_NoMousePropagation);
    QFont itemFont = font();
    itemFont.setPixelSize(10);
    RadioGroup1->setFont(itemFont);
    auto *layout = new QVBoxLayout(RadioGroup1);
    layout->setContentsMargins(2, 0, 0, 0);
    layout->setSpacing(0);
    items_ = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        auto *item = new QRadioButton(QString::fromUtf8(ItemCaptions[i]), RadioGroup1);
        item->setObjectName(QString("RadioItem%1").arg(i));
        layout->addWidget(item);
        items_->addButton(item, i);
        RadioItems[static_cast<std::size_t>(i)] = item;
    }
    connect(items_, &QButtonGroup::idClicked, this, [this](int) { RadioGroup1Click(); });
}

int TForm2::itemIndex() const {
    return items_->checkedId();
}

void TForm2::setItemIndex(int index) {
    if (index == itemIndex())
        return;
    if (index < 0) {
        items_->setExclusive(false);
        for (QRadioButton *item : RadioItems)
            item->setChecked(false);
        items_->setExclusive(true);
        return;
    }
    RadioItems[static_cast<std::size_t>(index)]->setChecked(true);
    RadioGroup1Click();
}

std::uint8_t TForm2::typeCodeOf(int index) {
    return index >= 0 && index < 5 ? TypeCodes[index] : 0;
}

void TForm2::RadioGroup1Click() {
    std::uint8_t code = typeCodeOf(itemIndex());
    if (code != 0)
        emit sensorTypeChosen(code);
}

void TForm2::setPicture(const QImage &picture) {
    picture_ = picture;
    stand_->update();
}

void TForm2::FormClick(const QPoint &clientPos) {
    // The rectangles are measured from the outer corner of the window.
    int x = clientPos.x() + StandLayout::FrameLeft;
    int y = clientPos.y() + StandLayout::FrameTop;
    exchange_.CommandFrame[1] = Code::Poll;
    std::optional<StandPosition> picked = StandLayout::hit(x, y);
    if (picked)
        exchange_.CommandFrame[2] = static_cast<std::uint8_t>(picked->channel);
    for (const StandPosition &p : StandLayout::positions())
        setLamp(p.lamp, picked && picked->lamp == p.lamp);
}

void TForm2::mouseReleaseEvent(QMouseEvent *event) {
    // A click on the stand reaches here too, the stand taking none itself.
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && rect().contains(at))
        FormClick(stand_->mapFrom(this, at));
    QWidget::mouseReleaseEvent(event);
}

bool TForm2::eventFilter(QObject *watched, QEvent *event) {
    if (watched == stand_ && event->type() == QEvent::Paint && !picture_.isNull()) {
        QPainter painter(stand_);
        painter.drawImage(QPoint(StandLayout::PictureLeft, StandLayout::PictureTop), picture_);
    }
    return QWidget::eventFilter(watched, event);
}

bool TForm2::lampLit(int panelNumber) const {
    QLabel *lamp = Lamps[static_cast<std::size_t>(panelNumber - 1)];
    return lamp->palette().color(QPalette::Window) ==
           IndicatorPanel::rgb(IndicatorPanel::Colour::Red);
}

void TForm2::setLamp(int panelNumber, bool lit) {
    QLabel *lamp = Lamps[static_cast<std::size_t>(panelNumber - 1)];
    QPalette p = lamp->palette();
    p.setColor(QPalette::Window, IndicatorPanel::rgb(lit ? IndicatorPanel::Colour::Red
                                                         : IndicatorPanel::Colour::Face));
    lamp->setPalette(p);
}
