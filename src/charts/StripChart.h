#pragma once
// A strip chart as every block page shows it: a left-aligned title above a
// chart with a fixed left axis, X from 1 to 200, one red line and no legend,
// redrawn whole from its history on every new value. Its context menu offers
// to save the chart as a picture or its values; the chart only announces the
// request, the window that holds it does the saving (ui/ExportHandler.h).

#include "ChartHistory.h"

#include <QWidget>

class QAction;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QValueAxis;

class StripChart : public QWidget {
    Q_OBJECT
  public:
    StripChart(const QString &objectName, const QString &seriesName, const QString &title,
               double axisMin, double axisMax, QWidget *parent = nullptr);
    ~StripChart() override;

    // Adds the value to the history and redraws the series from it.
    void add(double v);

    const ChartHistory &history() const { return history_; }
    QLineSeries *series() const { return series_; }
    QValueAxis *axisY() const { return axisY_; }
    QString title() const;

  signals:
    void savePictureRequested();
    void saveValuesRequested();

  protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;

  private:
    void build();
    void redraw();

    ChartHistory history_;
    QLabel *title_;
    QChartView *view_ = nullptr;
    QChart *chart_ = nullptr;
    QLineSeries *series_;
    QValueAxis *axisX_;
    QValueAxis *axisY_;
    // The context menu's entries, "<object name>SavePicture" and "...SaveValues".
    QAction *savePicture_;
    QAction *saveValues_;
};
