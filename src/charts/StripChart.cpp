#include "StripChart.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QContextMenuEvent>
#include <QGraphicsItem>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QVBoxLayout>
#include <QValueAxis>

StripChart::StripChart(const QString &objectName, const QString &seriesName, const QString &title,
                       double axisMin, double axisMax, QWidget *parent)
    : QWidget(parent) {
    setObjectName(objectName);

    title_ = new QLabel(title, this);
    title_->setObjectName(objectName + "Title");
    title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont titleFont("Arial");
    titleFont.setPixelSize(13);
    title_->setFont(titleFont);
    QPalette titlePalette = title_->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::black);
    title_->setPalette(titlePalette);

    // The series and its axes stand from the start, the chart that draws them
    // is made when first shown (build()).
    series_ = new QLineSeries(this);
    series_->setObjectName(seriesName);
    series_->setColor(QColor(0xFF, 0x00, 0x00));
    series_->setPointsVisible(false);

    axisX_ = new QValueAxis(this);
    axisX_->setRange(1, ChartHistory::SlotCount);
    axisX_->setLabelFormat("%d");
    axisX_->setTickCount(5);

    axisY_ = new QValueAxis(this);
    axisY_->setRange(axisMin, axisMax);
    axisY_->setLabelFormat("%g");

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(title_);
    layout->addStretch(1);

    savePicture_ = new QAction("Сохранить рисунок (PNG)…", this);
    savePicture_->setObjectName(objectName + "SavePicture");
    connect(savePicture_, &QAction::triggered, this, [this] {
        build();
        emit savePictureRequested();
    });
    saveValues_ = new QAction("Сохранить значения (CSV)…", this);
    saveValues_->setObjectName(objectName + "SaveValues");
    connect(saveValues_, &QAction::triggered, this, &StripChart::saveValuesRequested);

    redraw();
}

StripChart::~StripChart() {
    if (chart_) {
        chart_->removeSeries(series_);
        delete series_;
    }
}

// The chart, its view and the graphics scene behind it are the heaviest part
// of a page and what touches most of Qt Charts' code; they are made when the
// chart is first shown, or first pictured.
void StripChart::build() {
    if (view_)
        return;
    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->setMargins(QMargins(0, 0, 0, 0));
    chart_->setBackgroundRoundness(0);
    chart_->addSeries(series_);
    chart_->addAxis(axisX_, Qt::AlignBottom);
    series_->attachAxis(axisX_);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    series_->attachAxis(axisY_);

    view_ = new QChartView(chart_, this);
    view_->setObjectName(objectName() + "View");
    view_->setRenderHint(QPainter::Antialiasing, false);

    // The series is found by its name among the widget's children; the chart
    // gives it up before it goes.
    series_->setParent(this);

    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    delete layout->takeAt(1); // the stretch that held the chart's place
    layout->addWidget(view_, 1);
    if (isVisible())
        view_->show();
}

QString StripChart::title() const {
    return title_->text();
}

// The menu pops up without a nested event loop, as the text fields' own do.
void StripChart::contextMenuEvent(QContextMenuEvent *event) {
    auto *menu = new QMenu(this);
    menu->addAction(savePicture_);
    menu->addAction(saveValues_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// The axes' labels and grid are drawn once into pixmaps and kept; only the
// line is drawn again when it changes. The chart builds its axes, grid,
// shades, labels and background of plain lines, rectangles and texts; the
// series' line is an item of its own kind and stays uncached, since a cache
// of it would be thrown away and a new one the plot's size made on every value.
void StripChart::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    build();
    for (QGraphicsItem *item : view_->scene()->items()) {
        switch (item->type()) {
        case QGraphicsLineItem::Type:
        case QGraphicsRectItem::Type:
        case QGraphicsTextItem::Type:
            item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
            break;
        default:
            break;
        }
    }
}

void StripChart::add(double v) {
    history_.add(v);
    redraw();
}

void StripChart::redraw() {
    const auto values = history_.points();
    QList<QPointF> points;
    points.reserve(ChartHistory::SlotCount);
    for (int i = 0; i < ChartHistory::SlotCount; ++i)
        points.append(QPointF(i + 1, values[static_cast<std::size_t>(i)]));
    series_->replace(points);
}
