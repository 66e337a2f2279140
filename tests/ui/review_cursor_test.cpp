// Clicks on a stopped record: the cursor, the time origin and the readout rows.
#include <gtest/gtest.h>

#include "review_record.h"
#include "ui/value_list_editor.h"

namespace {
QString Row(TfmMain& w, const char* key) {
    return w.vleData->Value(QString::fromUtf8(key));
}

QStringList TimeRows(TfmMain& w) {
    return {Row(w, "t0, c"), Row(w, "t, c"), Row(w, "dt, c")};
}
}  // namespace

TEST(ReviewClick, PlacesTheCursorOnTheNearestSampleAndShowsItsVisibleChannels) {
    ReviewedRecord r(EvenTimes(50));
    TfmMain& w = r.w;
    SetChannelVisible(w, 0, false);  // ax keeps the value the live display left
    ASSERT_EQ(Row(w, "ax, м/с^2"), "480.69");

    // A little right of sample 17 is still nearest to it.
    ClickAt(w.chAccGyro, PointAtTime(w.chAccGyro, 1.17) + QPoint(3, 0));
    EXPECT_EQ(w.CursorIndex, 17);
    EXPECT_EQ(w.ZeroMarkerIndex, -1);
    EXPECT_EQ(Row(w, "ax, м/с^2"), "480.69");
    EXPECT_EQ(Row(w, "wx, °/c"), "17.00");
    EXPECT_EQ(Row(w, "фx, °"), "17");  // 17.25 without decimals
    // Without an origin the time counts from zero.
    EXPECT_EQ(TimeRows(w), (QStringList{"0.000", "1.170", "1.170"}));

    // Another page places the same cursor through its own first visible series.
    w.pcChart->setCurrentWidget(w.tsGyroAng);
    w.chGyroAng->replot();
    ClickAtTime(w.chGyroAng, 1.31);
    EXPECT_EQ(w.CursorIndex, 31);
    EXPECT_EQ(Row(w, "wx, °/c"), "31.00");
}

TEST(ReviewClick, ChoosesTheLowestIndexAmongEquallyNearSamples) {
    ReviewedRecord r({1000, 1100, 1200, 1200, 1200, 1300});
    ClickAtTime(r.w.chAccGyro, 1.2);
    EXPECT_EQ(r.w.CursorIndex, 2);
}

TEST(ReviewClick, IgnoresClicksOutsideThePlotAndOnAPageWithoutVisibleSeries) {
    ReviewedRecord r(EvenTimes(50));
    TfmMain& w = r.w;
    TChart* chart = w.chAccGyro;
    const QRect plot = chart->PlotRect();
    const int right = plot.left() + plot.width(), bottom = plot.top() + plot.height();
    // The left and top edges belong to the plot, the right and bottom ones do not.
    for (const QPoint at : {QPoint(right, plot.center().y()), QPoint(plot.center().x(), bottom),
                            QPoint(plot.left() - 1, plot.center().y())})
        ClickAt(chart, at);
    EXPECT_EQ(w.CursorIndex, -1);
    EXPECT_EQ(Row(w, "t, c"), "");
    ClickAt(chart, {right - 1, bottom - 1});
    EXPECT_EQ(w.CursorIndex, 49);
    ClickAt(chart, plot.topLeft());
    EXPECT_EQ(w.CursorIndex, 0);

    for (int k = 0; k < 6; ++k) SetChannelVisible(w, k, false);  // only the angles remain
    const QStringList rows = TimeRows(w);
    const QString angle = Row(w, "фx, °");
    ClickAtTime(chart, 1.4);
    EXPECT_EQ(w.CursorIndex, 0);
    EXPECT_EQ(TimeRows(w), rows);
    EXPECT_EQ(Row(w, "фx, °"), angle);
}

TEST(ReviewClick, StoresNothingOnARecordOfOneSampleOrNone) {
    for (const int count : {1, 0}) {
        ReviewedRecord r(EvenTimes(count));
        TfmMain& w = r.w;
        const QString ax = Row(w, "ax, м/с^2");
        ClickAtTime(w.chAccGyro, 1.0);
        w.acFileSetZeroMarker->setChecked(true);
        ClickAtTime(w.chAccGyro, 1.0);
        EXPECT_EQ(w.CursorIndex, -1) << count;
        EXPECT_EQ(w.ZeroMarkerIndex, -1) << count;
        EXPECT_EQ(Row(w, "ax, м/с^2"), ax) << count;
        EXPECT_EQ(TimeRows(w), (QStringList{"", "", ""})) << count;
    }
}

TEST(ReviewClick, WithTheZeroMarkerToggleMovesOnlyTheOrigin) {
    ReviewedRecord r(EvenTimes(50));
    TfmMain& w = r.w;
    w.acFileSetZeroMarker->setChecked(true);
    ClickAtTime(w.chAccGyro, 1.1);
    EXPECT_EQ(w.ZeroMarkerIndex, 10);
    EXPECT_EQ(w.CursorIndex, -1);
    EXPECT_EQ(Row(w, "wx, °/c"), "10.00");
    EXPECT_EQ(TimeRows(w), (QStringList{"", "", ""}));  // no cursor yet

    w.acFileSetZeroMarker->setChecked(false);
    ClickAtTime(w.chAccGyro, 1.3);
    EXPECT_EQ(w.CursorIndex, 30);
    EXPECT_EQ(TimeRows(w), (QStringList{"1.100", "1.300", "0.200"}));

    // While the toggle is on every click moves the origin, here past the cursor.
    w.acFileSetZeroMarker->setChecked(true);
    ClickAtTime(w.chAccGyro, 1.4);
    ClickAtTime(w.chAccGyro, 1.45);
    EXPECT_EQ(w.ZeroMarkerIndex, 45);
    EXPECT_EQ(w.CursorIndex, 30);
    EXPECT_EQ(TimeRows(w), (QStringList{"1.450", "1.300", "-0.150"}));
}
