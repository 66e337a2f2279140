// A series draws a few points per pixel column in place of all of them; the picture must be
// the one that drawing every point gives, spikes and all.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <random>

#include "ui/chart.h"

namespace {
constexpr int kWidth = 600;
constexpr int kHeight = 300;

// Two charts over the same points: one through a series of the window, one through a plain
// graph that draws every point.
struct tChartPair {
    TChart ours{QStringLiteral("ours")};
    TChart plain{QStringLiteral("plain")};
    TChartSeries* series = ours.AddSeries(QStringLiteral("s"), QStringLiteral("s"), Qt::red, false);
    QCPGraph* every = new QCPGraph(plain.BottomAxis(), plain.LeftAxis());

    tChartPair() {
        QPen pen(Qt::red);
        pen.setWidth(3);
        every->setPen(pen);
        every->setAdaptiveSampling(false);
        every->setAntialiased(false);
        every->setData(series->SharedPoints());
        for (TChart* chart : {&ours, &plain}) {
            TChart::SetAxis(chart->LeftAxis(), -10, 10, 5);
            chart->resize(kWidth, kHeight);
            chart->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(chart));
        }
    }
    void ShowTime(double from, double to) {
        for (TChart* chart : {&ours, &plain}) TChart::SetAxis(chart->BottomAxis(), from, to, 1);
    }
    // As the screen shows it: drawn into the chart's buffers, which draw polylines as segments.
    static QImage Shown(TChart& chart) {
        chart.replot(QCustomPlot::rpImmediateRefresh);
        return chart.grab().toImage();
    }
    QImage Ours() { return Shown(ours); }
    QImage Plain() { return Shown(plain); }
};
}  // namespace

TEST(ChartColumns, DrawTheSamePixelsAsEveryPointAtAnyDensity) {
    tChartPair pair;
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0, 1.5);
    // Ten hours' worth of density in the first part, a few points per column after it, and
    // single spikes that only one point of its column carries.
    double t = 0;
    for (int i = 0; i < 200000; ++i, t += 0.00005) {
        const double spike = i % 9973 == 0 ? (i % 2 ? 9.5 : -9.5) : 0;
        pair.series->Points()->Insert(t, noise(rng) + spike);
    }
    for (int i = 0; i < 3000; ++i, t += 0.003) pair.series->Points()->Insert(t, noise(rng));

    pair.ShowTime(-0.5, t + 0.5);  // all of it
    EXPECT_EQ(pair.Ours(), pair.Plain());
    pair.ShowTime(9.7, 12.3);  // the sparse part, and a window that cuts the record
    EXPECT_EQ(pair.Ours(), pair.Plain());
    pair.ShowTime(3.1, 4.4);
    EXPECT_EQ(pair.Ours(), pair.Plain());

    // Points appended after a drawing draw as if the whole had been drawn at once.
    pair.ShowTime(9.7, t + 1.0);
    EXPECT_EQ(pair.Ours(), pair.Plain());
    for (int i = 0; i < 500; ++i, t += 0.001) pair.series->Points()->Insert(t, 8 * (i % 2) - 4);
    EXPECT_EQ(pair.Ours(), pair.Plain());
}
