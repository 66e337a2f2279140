#pragma once

#include <QAction>
#include <QByteArray>
#include <QCursor>
#include <QListWidget>
#include <QTest>
#include <QVector>

#include "app/format_settings.h"
#include "ui/chart.h"
#include "ui/mainfm.h"
#include "ui/window_fixture.h"

// A stopped record made through the window's own steps: the live set-up of Start, sample
// lines through the decoder, and the review mode of Stop with both markers unset.
//
// Sample i has the raw fields ax = 32768 i, ay = -16384, az = 0, gx = 32768 i, gy = -3277, gz = -1,
// r = 1000 i + 250, p = -500, y = 123456; that is ax = 9.81 i, ay = -4.905, az = 0, wx = i, wy =
// -0.1000061, wz = -0.0000305, фx = i + 0.25, фy = -0.5 and фz = 123.456. EvenTimes gives sample i
// the time 1 + i / 100 s.
inline QByteArray ReviewSampleLine(int i, double tt) {
    return QStringLiteral(
               "ax:%1\tay:-16384\taz:0\tgx:%1\tgy:-3277\tgz:-1\tr:%2\tp:-500\ty:123456\ttt:%3\t"
               "b:77\r\n")
        .arg(32768 * i)
        .arg(1000 * i + 250)
        .arg(tt)
        .toLatin1();
}

// Samples at the given ball times (ms).
inline void RecordStopped(TfmMain& w, const QVector<double>& timesMs) {
    for (TChart* chart : w.Charts()) w.PrepareLiveChart(chart);
    QByteArray chunk;
    for (int i = 0; i < timesMs.size(); ++i) chunk += ReviewSampleLine(i, timesMs[i]);
    if (!chunk.isEmpty()) w.DecodeChunk(chunk.constData(), static_cast<int>(chunk.size()));
    w.ZeroMarkerIndex = -1;
    w.CursorIndex = -1;
    for (TChart* chart : w.Charts()) w.EnableChartReview(chart);
}

// `count` sample times from 1 s on, 10 ms apart.
inline QVector<double> EvenTimes(int count) {
    QVector<double> times;
    for (int i = 0; i < count; ++i) times << 1000 + 10 * i;
    return times;
}

// The pixel of a time on the chart's time axis, in the middle of the plot's height. The chart
// lays itself out for its present size first: its axes map pixels as of its last replot.
inline QPoint PointAtTime(TChart* chart, double time) {
    QCoreApplication::sendPostedEvents(chart);
    chart->replot();
    const QRect plot = chart->PlotRect();
    return {qRound(chart->BottomAxis()->coordToPixel(time)), plot.top() + plot.height() / 2};
}

// A click as the user makes it: the pointer moves there, then the button goes down and up.
inline void ClickAt(TChart* chart, const QPoint& at) {
    QCursor::setPos(chart->mapToGlobal(at));
    QTest::mouseClick(chart, Qt::LeftButton, Qt::NoModifier, at);
}

inline void ClickAtTime(TChart* chart, double time) {
    ClickAt(chart, PointAtTime(chart, time));
}

// Checks or unchecks a channel's box in the channel list; the list reports it to the window.
inline void SetChannelVisible(TfmMain& w, int channel, bool visible) {
    w.chSeries->item(channel)->setCheckState(visible ? Qt::Checked : Qt::Unchecked);
}

// A shown window with a stopped record, its time axes zoomed in so far that neighbouring
// samples lie pixels apart, and "." as the decimal separator.
struct ReviewedRecord {
    WindowFixture f;
    TfmMain& w = f.Window();
    DecimalSeparatorScope point{u'.'};

    explicit ReviewedRecord(const QVector<double>& timesMs) {
        RecordStopped(w, timesMs);
        f.Show();
        for (TChart* chart : w.Charts()) chart->BottomAxis()->setRange(0.95, 1.55);
        w.chAccGyro->replot();
    }
};
