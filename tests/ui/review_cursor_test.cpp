// Clicks on a stopped record: the cursor, the time origin and the readout rows.
#include <gtest/gtest.h>

#include <QAction>

#include "review_record.h"
#include "ui/value_list_editor.h"
#include "ui/window_fixture.h"

namespace {
QString Row(TfmMain& w, const char* key) {
    return w.vleData->Value(QString::fromUtf8(key));
}

QStringList TimeRows(TfmMain& w) {
    return {Row(w, "t0, c"), Row(w, "t, c"), Row(w, "dt, c")};
}

// A shown window on the first page with a stopped record, its time axis zoomed so far in
// that neighbouring samples lie pixels apart.
struct ReviewWindow {
    WindowFixture f;
    TfmMain& w = f.Window();
    TChart* chart = w.chAccGyro;
    DecimalSeparatorScope point{u'.'};

    explicit ReviewWindow(int count) { Load(count); }
    void Load(int count) { Load(SampleTimes(count)); }
    void Load(const QVector<double>& timesMs) {
        RecordStopped(w, timesMs);
        f.Show();
        for (TChart* c : w.Charts()) c->BottomAxis()->setRange(0.95, 1.55);
        chart->replot();
    }
    static QVector<double> SampleTimes(int count) {
        QVector<double> times;
        for (int i = 0; i < count; ++i) times << 1000 + 10 * i;
        return times;
    }
};
}  // namespace

TEST(ReviewClick, PlacesTheCursorOnTheNearestSampleAndShowsItsVisibleChannels) {
    ReviewWindow r(50);
    TfmMain& w = r.w;
    SetChannelVisible(w, 0, false);  // ax keeps the value the live display left
    const QString axBefore = Row(w, "ax, м/с^2");
    ASSERT_EQ(axBefore, "480.69");

    // A little right of sample 17 is still nearest to it.
    ClickAt(r.chart, PointAtTime(r.chart, 1.17) + QPoint(3, 0));
    EXPECT_EQ(w.CursorIndex, 17);
    EXPECT_EQ(w.ZeroMarkerIndex, -1);
    EXPECT_EQ(Row(w, "ax, м/с^2"), axBefore);
    EXPECT_EQ(Row(w, "wx, °/c"), "17.00");
    EXPECT_EQ(Row(w, "фx, °"), "17");  // 17.25 without decimals
    EXPECT_EQ(Row(w, "фz, °"), "123");
    // Without an origin the time counts from zero.
    EXPECT_EQ(TimeRows(w), (QStringList{"0.000", "1.170", "1.170"}));

    // The other pages place the same cursor; their first visible series decides.
    w.pcChart->setCurrentWidget(w.tsGyroAng);
    w.chGyroAng->replot();
    ClickAtTime(w.chGyroAng, 1.31);
    EXPECT_EQ(w.CursorIndex, 31);
    EXPECT_EQ(Row(w, "wx, °/c"), "31.00");
}

TEST(ReviewClick, ChoosesTheLowestIndexAmongSamplesOfTheSameTime) {
    ReviewWindow r(0);
    r.Load({1000, 1100, 1200, 1200, 1200, 1300});
    ClickAtTime(r.chart, 1.2);
    EXPECT_EQ(r.w.CursorIndex, 2);
    ClickAtTime(r.chart, 1.0);
    EXPECT_EQ(r.w.CursorIndex, 0);
}

TEST(ReviewClick, CountsThePlotsLeftAndTopEdgesInAndItsRightAndBottomOut) {
    ReviewWindow r(50);
    TfmMain& w = r.w;
    const QRect plot = r.chart->PlotRect();
    const int right = plot.left() + plot.width();
    const int bottom = plot.top() + plot.height();
    ClickAt(r.chart, {right, plot.center().y()});
    ClickAt(r.chart, {plot.center().x(), bottom});
    ClickAt(r.chart, {plot.left() - 1, plot.center().y()});
    EXPECT_EQ(w.CursorIndex, -1);
    EXPECT_EQ(Row(w, "t, c"), "");

    ClickAt(r.chart, plot.topLeft());
    EXPECT_EQ(w.CursorIndex, 0);  // 0.95 s lies before the first sample
    ClickAt(r.chart, {right - 1, bottom - 1});
    EXPECT_EQ(w.CursorIndex, 49);
}

TEST(ReviewClick, ChangesNothingOnAPageWhoseSeriesAreAllHidden) {
    ReviewWindow r(50);
    TfmMain& w = r.w;
    ClickAtTime(r.chart, 1.2);
    ASSERT_EQ(w.CursorIndex, 20);
    for (int k = 0; k < 6; ++k) SetChannelVisible(w, k, false);  // the angles remain
    const QStringList rows = TimeRows(w);
    const QString angle = Row(w, "фx, °");
    ClickAtTime(r.chart, 1.4);
    EXPECT_EQ(w.CursorIndex, 20);
    EXPECT_EQ(TimeRows(w), rows);
    EXPECT_EQ(Row(w, "фx, °"), angle);
}

TEST(ReviewClick, StoresNothingOnARecordOfOneSampleOrNone) {
    for (const int count : {1, 0}) {
        ReviewWindow r(count);
        TfmMain& w = r.w;
        const QString ax = Row(w, "ax, м/с^2");
        ClickAtTime(r.chart, 1.0);
        w.acFileSetZeroMarker->setChecked(true);
        ClickAtTime(r.chart, 1.0);
        EXPECT_EQ(w.CursorIndex, -1) << count;
        EXPECT_EQ(w.ZeroMarkerIndex, -1) << count;
        EXPECT_EQ(Row(w, "ax, м/с^2"), ax) << count;
        EXPECT_EQ(TimeRows(w), (QStringList{"", "", ""})) << count;
    }
}

TEST(ReviewClick, WithTheZeroMarkerToggleMovesOnlyTheOrigin) {
    ReviewWindow r(50);
    TfmMain& w = r.w;
    w.acFileSetZeroMarker->setChecked(true);
    ClickAtTime(r.chart, 1.1);
    EXPECT_EQ(w.ZeroMarkerIndex, 10);
    EXPECT_EQ(w.CursorIndex, -1);
    EXPECT_EQ(Row(w, "wx, °/c"), "10.00");
    EXPECT_EQ(TimeRows(w), (QStringList{"", "", ""}));  // no cursor yet

    w.acFileSetZeroMarker->setChecked(false);
    ClickAtTime(r.chart, 1.3);
    EXPECT_EQ(w.CursorIndex, 30);
    EXPECT_EQ(TimeRows(w), (QStringList{"1.100", "1.300", "0.200"}));

    // The toggle stays on: every click moves the origin, here past the cursor.
    w.acFileSetZeroMarker->setChecked(true);
    ClickAtTime(r.chart, 1.4);
    ClickAtTime(r.chart, 1.45);
    EXPECT_EQ(w.ZeroMarkerIndex, 45);
    EXPECT_EQ(w.CursorIndex, 30);
    EXPECT_EQ(Row(w, "wx, °/c"), "45.00");
    EXPECT_EQ(TimeRows(w), (QStringList{"1.450", "1.300", "-0.150"}));
}

TEST(ReviewClick, UsesTheUsersDecimalSeparatorInTheTimeRows) {
    ReviewWindow r(50);
    const DecimalSeparatorScope comma(u',');
    ClickAtTime(r.chart, 1.25);
    EXPECT_EQ(TimeRows(r.w), (QStringList{"0,000", "1,250", "1,250"}));
    EXPECT_EQ(Row(r.w, "ax, м/с^2"), "245,25");
}
