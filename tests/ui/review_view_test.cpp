// What a stopped record shows: the marker lines, the export marks with their callouts, the
// show-all view, and how Start ends all of it.
#include <gtest/gtest.h>

#include <QImage>
#include <QTabWidget>

#include "review_record.h"

namespace {
const QRgb kTeal = qRgb(0, 128, 128);
const QRgb kOlive = qRgb(128, 128, 0);
const QRgb kCalloutBox = qRgb(255, 255, 225);

// The chart as it shows on its page.
QImage Picture(TChart* chart) {
    auto* window = static_cast<TfmMain*>(chart->window());
    window->pcChart->setCurrentWidget(chart->parentWidget());
    chart->replot();
    return chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Columns of the picture whose every pixel from the plot's top to its bottom has the colour.
QVector<int> FullColumns(const QImage& image, const QRect& plot, QRgb colour) {
    QVector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        bool full = true;
        for (int y = plot.top(); y < plot.top() + plot.height() && full; ++y)
            full = image.pixel(x, y) == colour;
        if (full) columns << x;
    }
    return columns;
}

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour;
    return count;
}

double SampleTime(TfmMain& w, int index) {
    return w.MasterSeries(0)->Points()->TimeAt(index);
}
}  // namespace

TEST(MarkerLines, DrawTheOriginInTealAndTheCursorInOliveAcrossThePlot) {
    ReviewedRecord r(EvenTimes(50));
    TfmMain& w = r.w;
    TChart* chart = w.chAccGyro;
    w.ZeroMarkerIndex = 10;
    w.CursorIndex = 30;
    QImage image = Picture(chart);
    const QRect plot = chart->PlotRect();
    const QVector<int> teal = FullColumns(image, plot, kTeal);
    const QVector<int> olive = FullColumns(image, plot, kOlive);
    ASSERT_EQ(teal.size(), 4);
    ASSERT_EQ(olive.size(), 4);
    EXPECT_EQ(teal.last() - teal.first(), 3);
    const int zeroColumn = qRound(chart->BottomAxis()->coordToPixel(SampleTime(w, 10)));
    EXPECT_TRUE(teal.contains(zeroColumn));
    EXPECT_TRUE(olive.contains(qRound(chart->BottomAxis()->coordToPixel(SampleTime(w, 30)))));
    EXPECT_NE(image.pixel(zeroColumn, plot.top() - 1), kTeal);
    EXPECT_NE(image.pixel(zeroColumn, plot.top() + plot.height()), kTeal);

    // On the same sample the cursor lies on top.
    w.ZeroMarkerIndex = 30;
    image = Picture(chart);
    EXPECT_EQ(CountPixels(image, kTeal), 0);
    EXPECT_EQ(FullColumns(image, plot, kOlive), olive);
}

TEST(MarkerLines, AreLeftOutBeyondTheTimeAxisButDrawnOnItsBounds) {
    ReviewedRecord r(EvenTimes(50));
    TfmMain& w = r.w;
    TChart* chart = w.chAccAng;
    w.ZeroMarkerIndex = 10;
    w.CursorIndex = 30;
    chart->BottomAxis()->setRange(SampleTime(w, 10), SampleTime(w, 30));
    QImage image = Picture(chart);
    EXPECT_GT(CountPixels(image, kTeal), 0);
    EXPECT_GT(CountPixels(image, kOlive), 0);
    chart->BottomAxis()->setRange(SampleTime(w, 11), SampleTime(w, 29));
    image = Picture(chart);
    EXPECT_EQ(CountPixels(image, kTeal) + CountPixels(image, kOlive), 0);

    // A marker beyond the record, or a page with nothing visible, draws nothing.
    chart->BottomAxis()->setRange(0, 30);
    w.CursorIndex = 50;
    EXPECT_EQ(CountPixels(Picture(chart), kOlive), 0);
    for (const int k : {0, 1, 2, 6, 7}) SetChannelVisible(w, k, false);
    EXPECT_GT(CountPixels(Picture(chart), kTeal), 0);
    SetChannelVisible(w, 8, false);
    EXPECT_EQ(CountPixels(Picture(chart), kTeal), 0);
}

TEST(Marks, MarkTheCursorSampleOnEverySeriesWithCalloutsOnlyWhereTheSeriesHasThem) {
    ReviewedRecord r(EvenTimes(50));
    TfmMain& w = r.w;
    SetChannelVisible(w, 4, false);  // hidden series are marked as well
    w.CursorIndex = 20;
    w.acFileMarkPointExecute();
    int marked = 0;
    for (TChart* chart : w.Charts()) {
        for (int i = 0; i < chart->SeriesCount(); ++i) {
            QString at20, at19;
            w.SerieGetMarkText(chart->Series(i), 20, at20);
            w.SerieGetMarkText(chart->Series(i), 19, at19);
            marked += at20 == " " && at19.isEmpty();
        }
    }
    EXPECT_EQ(marked, 27);
    EXPECT_GT(CountPixels(Picture(w.chAccGyro), kCalloutBox), 0);

    // With the Z rate and the angles left, its series on the first page shows no callout, the
    // one on the rate and angle page does; angles never do.
    for (const int k : {0, 1, 2, 3}) SetChannelVisible(w, k, false);
    EXPECT_EQ(CountPixels(Picture(w.chAccGyro), kCalloutBox), 0);
    EXPECT_EQ(CountPixels(Picture(w.chAccAng), kCalloutBox), 0);
    EXPECT_GT(CountPixels(Picture(w.chGyroAng), kCalloutBox), 0);

    // Marking the same cursor again unmarks it everywhere.
    w.acFileMarkPointExecute();
    EXPECT_EQ(CountPixels(Picture(w.chGyroAng), kCalloutBox), 0);
    for (TChart* chart : w.Charts())
        for (int i = 0; i < chart->SeriesCount(); ++i)
            EXPECT_TRUE(chart->Series(i)->Marks().IsEmpty());
}

TEST(ReviewMode, AllowsZoomAndPanBothWaysUntilStartEndsItWithTheMarks) {
    ReviewedRecord r(EvenTimes(50));
    TfmMain& w = r.w;
    w.CursorIndex = 20;
    w.acFileMarkPointExecute();
    for (TChart* chart : w.Charts()) {
        EXPECT_TRUE(chart->HasClickHandler() && chart->HasAfterDrawHandler());
        EXPECT_EQ(chart->interactions(), QCP::iRangeDrag | QCP::iRangeZoom);
        EXPECT_EQ(chart->axisRect()->rangeDrag(), Qt::Horizontal | Qt::Vertical);
        EXPECT_EQ(chart->axisRect()->rangeZoom(), Qt::Horizontal | Qt::Vertical);
    }
    for (TChart* chart : w.Charts()) w.PrepareLiveChart(chart);
    for (TChart* chart : w.Charts()) {
        EXPECT_FALSE(chart->HasClickHandler() || chart->HasAfterDrawHandler());
        EXPECT_EQ(chart->interactions(), QCP::Interactions());
        for (int i = 0; i < chart->SeriesCount(); ++i)
            EXPECT_TRUE(chart->Series(i)->Marks().IsEmpty());
    }
}

TEST(ShowAll, SpansTheRecordAndAfterwardsShowsTheWindowOfTheLastSample) {
    const struct {
        QVector<double> timesMs;
        double lower, upper;
    } cases[] = {{{1000, 45000}, 30, 45}, {{}, 0, 30}};
    for (const auto& c : cases) {
        WindowFixture f;
        TfmMain& w = f.Window();
        RecordStopped(w, c.timesMs);
        w.acFileShowAll->setChecked(true);
        w.acFileShowAllExecute();
        for (TChart* chart : w.Charts()) {
            EXPECT_TRUE(chart->TimeAxisAutomatic());
            if (c.timesMs.isEmpty()) continue;
            EXPECT_DOUBLE_EQ(chart->BottomAxis()->range().lower, 1.0);
            EXPECT_NEAR(chart->BottomAxis()->range().upper, c.timesMs.last() / 1000, 1e-5);
        }
        w.acFileShowAll->setChecked(false);
        w.acFileShowAllExecute();
        for (TChart* chart : w.Charts()) {
            EXPECT_FALSE(chart->TimeAxisAutomatic());
            EXPECT_EQ(chart->BottomAxis()->range().lower, c.lower) << c.upper;
            EXPECT_EQ(chart->BottomAxis()->range().upper, c.upper) << c.upper;
        }
    }
}
