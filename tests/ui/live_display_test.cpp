// The live display fed directly with chunks, as the drain hands them over.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <cmath>

#include "app/format_settings.h"
#include "app/log_file.h"
#include "ui/chart.h"
#include "ui/value_list_editor.h"
#include "ui/window_fixture.h"

namespace {
QByteArray Line(double ax, double az, double tt, int b = 50, double gx = 0, double r = 0,
                double y = 0) {
    return QStringLiteral("ax:%1\tay:0\taz:%2\tgx:%3\tgy:0\tgz:0\tr:%4\tp:0\ty:%5\ttt:%6\tb:%7\r\n")
        .arg(ax).arg(az).arg(gx).arg(r).arg(y).arg(tt).arg(b)
        .toLatin1();
}

void Feed(TfmMain& w, const QByteArray& chunk) { w.DecodeChunk(chunk.constData(), chunk.size()); }

void StartLive(TfmMain& w) {
    for (TChart* chart : w.Charts()) w.PrepareLiveChart(chart);
}

QString Row(TfmMain& w, const char* key) { return w.vleData->Value(QString::fromUtf8(key)); }

QCPRange TimeAxis(TChart* chart) { return chart->BottomAxis()->range(); }
}  // namespace

TEST(LiveDisplay, TheExampleLineGivesItsPhysicalValues) {
    WindowFixture f;
    TfmMain& w = f.Window();
    StartLive(w);
    const DecimalSeparatorScope comma(QLatin1Char(','));
    Feed(w, "ax:32768\tay:0\taz:-16384\tgx:65536\tgy:0\tgz:0\tr:1000\tp:0\ty:-500\ttt:1500\tb:87\r\n");

    ASSERT_EQ(w.MasterSeries(0)->Count(), 1);
    EXPECT_DOUBLE_EQ(w.MasterSeries(0)->Points()->ValueAt(0), 9.81);
    EXPECT_DOUBLE_EQ(w.MasterSeries(2)->Points()->ValueAt(0), -4.905);
    EXPECT_DOUBLE_EQ(w.MasterSeries(3)->Points()->ValueAt(0), 2.0);
    EXPECT_DOUBLE_EQ(w.MasterSeries(6)->Points()->ValueAt(0), 1.0);
    EXPECT_DOUBLE_EQ(w.MasterSeries(8)->Points()->ValueAt(0), -0.5);
    EXPECT_DOUBLE_EQ(w.MasterSeries(0)->Points()->TimeAt(0), 1.5);
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("87%"));
    EXPECT_EQ(Row(w, "ax, м/с^2"), QStringLiteral("9,81"));
    EXPECT_EQ(Row(w, "az, м/с^2"), QStringLiteral("-4,91"));
    EXPECT_EQ(Row(w, "wx, °/c"), QStringLiteral("2,00"));
    EXPECT_EQ(Row(w, "фz, °"), QStringLiteral("-1"));  // -0.5 rounds away from zero
    // The page series show the master's points themselves, not copies of them.
    EXPECT_EQ(w.chAccGyro->Series(0)->Points(), w.MasterSeries(0)->Points());
    EXPECT_EQ(w.chGyroAng->Series(5)->Points(), w.MasterSeries(8)->Points());
}

TEST(LiveDisplay, AChunkOfThreeLinesWritesTheValueTableOnceWithTheThird) {
    WindowFixture f;
    TfmMain& w = f.Window();
    StartLive(w);
    QSignalSpy changes(w.vleData, &QTableWidget::itemChanged);
    Feed(w, Line(3276.8, 0, 100) + Line(6553.6, 0, 200) + Line(9830.4, 0, 300, 61));

    EXPECT_EQ(w.MasterSeries(0)->Count(), 3);
    EXPECT_EQ(w.chAccAng->Series(0)->Count(), 3);
    EXPECT_EQ(Row(w, "ax, м/с^2"), Localized("2.94"));
    int axChanges = 0;
    for (const QList<QVariant>& change : changes) {
        auto* item = change.at(0).value<QTableWidgetItem*>();
        if (item && item->row() == w.vleData->FindRow(QStringLiteral("ax, м/с^2"))) ++axChanges;
    }
    EXPECT_EQ(axChanges, 1);
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("61%"));
}

TEST(LiveDisplay, TheTimeAxisMovesHalfAWindowPerChunkHoweverFarTheTimeJumps) {
    WindowFixture f;
    TfmMain& w = f.Window();
    StartLive(w);
    Feed(w, Line(0, 0, 29000));
    EXPECT_EQ(TimeAxis(w.chAccGyro), QCPRange(0, 30));
    Feed(w, Line(0, 0, 31000));
    for (TChart* chart : w.Charts()) EXPECT_EQ(TimeAxis(chart), QCPRange(15, 45)) << chart->objectName().toStdString();

    StartLive(w);
    Feed(w, Line(0, 0, 100000));
    EXPECT_EQ(TimeAxis(w.chGyroAng), QCPRange(15, 45));
    Feed(w, Line(0, 0, 101000));
    EXPECT_EQ(TimeAxis(w.chGyroAng), QCPRange(30, 60));
}

TEST(LiveDisplay, WithShowAllCheckedTheTimeAxisFitsTheRecord) {
    WindowFixture f;
    TfmMain& w = f.Window();
    StartLive(w);
    w.acFileShowAll->setChecked(true);
    Feed(w, Line(0, 0, 10000) + Line(0, 0, 20000));
    EXPECT_EQ(TimeAxis(w.chAccAng), QCPRange(0, 30));
    Feed(w, Line(0, 0, 40000));
    EXPECT_TRUE(w.chAccAng->TimeAxisAutomatic());
    EXPECT_EQ(TimeAxis(w.chAccAng), QCPRange(10, 40));
}

TEST(LiveDisplay, AChunkEndingAtTimeZeroOrBatteryMinusOneLeavesTheDisplays) {
    WindowFixture f;
    TfmMain& w = f.Window();
    StartLive(w);
    Feed(w, Line(3276.8, 0, 31000, 70));
    Feed(w, Line(6553.6, 0, 0, -1));

    EXPECT_EQ(w.MasterSeries(0)->Count(), 2);
    EXPECT_EQ(Row(w, "ax, м/с^2"), Localized("0.98"));
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("70%"));
    EXPECT_EQ(TimeAxis(w.chAll), QCPRange(15, 45));
}

TEST(LiveDisplay, RejectedLinesAreLoggedAndChangeNothing) {
    WindowFixture f;
    TfmMain& w = f.Window();
    StartLive(w);
    tLogFile* saved = LogFile;
    auto log = std::make_unique<tLogFile>(f.Folder().Path(QStringLiteral("trace.log")),
                                          QStringList{QStringLiteral("prog"), QStringLiteral("-LOG")});
    LogFile = log.get();
    const QByteArray noBattery = "ax:1\tay:0\taz:0\tgx:0\tgy:0\tgz:0\tr:0\tp:0\ty:0\ttt:40000\tb:";
    const QByteArray notFinite = "ax:nan\tay:0\taz:0\tgx:0\tgy:0\tgz:0\tr:0\tp:0\ty:0\ttt:40000\tb:5";
    const QByteArray overflow = "ax:1e39\tay:0\taz:0\tgx:0\tgy:0\tgz:0\tr:0\tp:0\ty:0\ttt:40000\tb:5";
    Feed(w, noBattery + "\r\n" + notFinite + "\r\n" + overflow + "\r\n" + Line(1, 0, 5000, 9) + "tail");
    LogFile = saved;
    log.reset();

    EXPECT_EQ(w.MasterSeries(0)->Count(), 1);
    EXPECT_EQ(TimeAxis(w.chAll), QCPRange(0, 30));
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("9%"));
    const QByteArray text = f.Folder().Read(QStringLiteral("trace.log"));
    EXPECT_TRUE(text.contains("PACKET ERROR:" + noBattery + "\r\n"));
    EXPECT_TRUE(text.contains("PACKET ERROR:" + notFinite + "\r\n"));
    EXPECT_TRUE(text.contains("PACKET ERROR:" + overflow + "\r\n"));
    EXPECT_FALSE(text.contains("tail"));
}

TEST(LiveDisplay, ARelativeChannelKeepsItsFirstPointAbsolute) {
    WindowFixture f;
    TfmMain& w = f.Window();
    StartLive(w);
    w.pmZeroItems[2]->setChecked(true);
    Feed(w, Line(100, 32768, 100) + Line(100, 32868, 200));
    Feed(w, Line(100, 32768 - 50, 300));

    EXPECT_DOUBLE_EQ(w.MasterSeries(2)->Points()->ValueAt(0), 9.81);
    EXPECT_DOUBLE_EQ(w.MasterSeries(2)->Points()->ValueAt(1), 9.81 * 100 / 32768.0);
    EXPECT_DOUBLE_EQ(w.MasterSeries(2)->Points()->ValueAt(2), 9.81 * -50 / 32768.0);
    EXPECT_DOUBLE_EQ(w.ZeroRef[2], 32768);
    // A channel that is not chosen stays absolute.
    EXPECT_DOUBLE_EQ(w.MasterSeries(0)->Points()->ValueAt(2), 9.81 * 100 / 32768.0);
}

TEST(LiveDisplay, AnOlderTimeIsARestartOfTheBallThatTheRecordGoesOnAfter) {
    WindowFixture f;
    TfmMain& w = f.Window();
    StartLive(w);
    Feed(w, Line(1, 0, 1000) + Line(2, 0, 2000) + Line(3, 0, 1000) + Line(4, 0, 1500) +
                Line(5, 0, 500));
    const tSeriesData* points = w.MasterSeries(0)->Points();
    ASSERT_EQ(points->size(), 5);
    // In arrival order; each restart goes on one period (10 ms while none is known) after the
    // last point, and the ball's steps count from there.
    const double expectedTime[] = {1.0, 2.0, 2.01, 2.51, 2.52};
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(points->ValueAt(i), 9.81 * (i + 1) / 32768.0) << i;
        EXPECT_NEAR(w.MasterSeries(8)->Points()->TimeAt(i), expectedTime[i], 1e-5) << i;
    }
    EXPECT_EQ(w.TimeMarks().RestartCount(), 2);
}

TEST(LiveDisplay, TheLastVisibleChannelCannotBeHiddenAndHiddenOnesKeepRecording) {
    WindowFixture f;
    TfmMain& w = f.Window();
    StartLive(w);
    Feed(w, Line(3276.8, 0, 100));
    for (int k = 1; k < kChannelCount; ++k) w.chSeries->item(k)->setCheckState(Qt::Unchecked);

    EXPECT_FALSE(w.chSeries->item(0)->flags() & Qt::ItemIsEnabled);
    EXPECT_FALSE(w.chAccGyro->Series(3)->visible());
    EXPECT_EQ(w.chAccGyro->LegendTexts(), QStringList{ChannelNames[0]});
    EXPECT_TRUE(w.chGyroAng->LegendTexts().isEmpty());

    w.chSeries->item(7)->setCheckState(Qt::Checked);
    for (int k = 0; k < kChannelCount; ++k)
        EXPECT_TRUE(w.chSeries->item(k)->flags() & Qt::ItemIsEnabled) << k;
    EXPECT_EQ(w.chAccAng->LegendTexts(), (QStringList{ChannelNames[0], ChannelNames[7]}));

    // A hidden channel keeps its row and its series goes on recording.
    w.chSeries->item(0)->setCheckState(Qt::Checked);
    w.chSeries->item(0)->setCheckState(Qt::Unchecked);
    Feed(w, Line(6553.6, 0, 200));
    EXPECT_EQ(Row(w, "ax, м/с^2"), Localized("0.98"));
    EXPECT_EQ(w.MasterSeries(0)->Count(), 2);
    w.chSeries->item(0)->setCheckState(Qt::Checked);
    Feed(w, Line(9830.4, 0, 300));
    EXPECT_EQ(Row(w, "ax, м/с^2"), Localized("2.94"));
}

// A live tick draws only the columns where the series changed. The picture must be the one a
// full redraw gives, also across a restart of the ball, whose mark needs a full redraw.
TEST(LiveDisplay, ALiveTickShowsWhatAFullRedrawShows) {
    WindowFixture f;
    TfmMain& w = f.Window();
    f.Show();
    w.pcChart->setCurrentWidget(w.tsAccGyro);
    StartLive(w);
    TChart* chart = w.chAccGyro;
    int sample = 0;
    auto tick = [&](int count, int timeBase) {
        QByteArray chunk;
        for (int i = 0; i < count; ++i, ++sample)
            chunk += Line(std::sin(sample * 0.3) * 20000, (sample * 7919) % 30000 - 15000,
                          timeBase + sample * 10, 50, (sample % 13) * 900);
        Feed(w, chunk);
        w.RepaintLiveChart();
        QCoreApplication::processEvents();
    };
    tick(400, 0);
    chart->replot(QCustomPlot::rpImmediateRefresh);
    QSignalSpy fullRedraws(chart, &QCustomPlot::afterReplot);
    for (int i = 0; i < 30; ++i) tick(8, 0);
    tick(8, -3000);  // the ball's clock starts again: a restart mark
    for (int i = 0; i < 30; ++i) tick(8, -3000);
    EXPECT_LE(fullRedraws.count(), 2);

    const QImage ticked = chart->grab().toImage();
    chart->replot(QCustomPlot::rpImmediateRefresh);
    EXPECT_EQ(ticked, chart->grab().toImage());
}
