// The 200-slot history and the strip chart drawn from it.

#include "charts/StripChart.h"

#include <QChartView>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QTest>
#include <QValueAxis>

class TestCharts : public QObject {
    Q_OBJECT
  private slots:
    void firstValueIsDrawnAtTheRightEdge() {
        ChartHistory h;
        h.add(5000.0);
        auto p = h.points();
        QCOMPARE(p[199], 5000.0);
        for (int i = 0; i < 199; ++i)
            QCOMPARE(p[static_cast<std::size_t>(i)], 0.0);
        QCOMPARE(h.newest(), 5000.0);
    }

    void wrapsAfterTwoHundredValues_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("199") << 199;
        QTest::newRow("200") << 200;
        QTest::newRow("201") << 201;
        QTest::newRow("450") << 450;
    }
    void wrapsAfterTwoHundredValues() {
        QFETCH(int, count);
        ChartHistory h;
        for (int v = 1; v <= count; ++v)
            h.add(v);
        auto p = h.points();
        // Newest at X = 200, the one before at X = 199, back to the oldest kept.
        for (int x = 200; x >= 1; --x) {
            int expected = count - (200 - x);
            QCOMPARE(p[static_cast<std::size_t>(x - 1)], expected > 0 ? double(expected) : 0.0);
        }
        QCOMPARE(h.newest(), double(count));
    }

    void chartShowsTheHistoryOnItsFixedAxis() {
        StripChart chart("Chart1", "Series1", "Напряжение аккумуляторной батареи, мВ", 4000, 6200);
        QCOMPARE(chart.objectName(), QString("Chart1"));
        QCOMPARE(chart.series()->objectName(), QString("Series1"));
        QCOMPARE(chart.title(), QString("Напряжение аккумуляторной батареи, мВ"));
        QCOMPARE(chart.series()->count(), 200);
        chart.add(3000.0); // outside the axis: kept and drawn all the same
        chart.add(5000.0);
        QCOMPARE(chart.series()->count(), 200);
        QCOMPARE(chart.series()->at(199), QPointF(200, 5000.0));
        QCOMPARE(chart.series()->at(198), QPointF(199, 3000.0));
        QCOMPARE(chart.series()->at(0), QPointF(1, 0.0));
        QCOMPARE(chart.axisY()->min(), 4000.0);
        QCOMPARE(chart.axisY()->max(), 6200.0);
        QCOMPARE(chart.series()->color(), QColor(0xFF, 0, 0));
    }

    // A chart on a page not yet shown holds its values but draws nothing; shown,
    // it draws what came before, on its axes, and its items' caches leave the
    // line to be drawn afresh.
    void chartIsMadeWhenFirstShown() {
        StripChart chart("Chart3", "Series3", "t", -10, 2500);
        chart.resize(500, 300);
        chart.add(1200.0);
        QVERIFY(!chart.findChild<QChartView *>());
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        auto *view = chart.findChild<QChartView *>("Chart3View");
        QVERIFY(view);
        QVERIFY(view->isVisible());
        QCOMPARE(view->chart()->series(), QList<QAbstractSeries *>{chart.series()});
        QCOMPARE(chart.series()->attachedAxes().size(), 2);
        QCOMPARE(chart.series()->at(199).y(), 1200.0);
        QCOMPARE(chart.findChild<QLineSeries *>("Series3"), chart.series());
        QCOMPARE(view->height() > 200, true);
        for (QGraphicsItem *item : view->scene()->items())
            if (item->type() == QGraphicsItem::UserType)
                QCOMPARE(item->cacheMode(), QGraphicsItem::NoCache);
    }

    void twoChartsKeepTheirOwnHistories() {
        StripChart a("Chart5", "Series5", "a", 0, 100), b("Chart6", "Series6", "b", 0, 100);
        a.add(1);
        a.add(2);
        b.add(9);
        QCOMPARE(a.history().newest(), 2.0);
        QCOMPARE(b.history().points()[198], 0.0);
        QCOMPARE(b.history().points()[199], 9.0);
    }
};

QTEST_MAIN(TestCharts)
#include "test_charts.moc"
