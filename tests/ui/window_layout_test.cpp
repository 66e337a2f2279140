// The window definition: components, actions, menus, icons, charts and the settings that the
// construction reads.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "base/exceptions.h"
#include "support/message_box_answerer.h"
#include "ui/chart.h"
#include "ui/icon_set.h"
#include "ui/series_data.h"
#include "ui/window_fixture.h"

TEST(WindowDefinition, TheShortcutsReachTheirActions) {
    WindowFixture f;
    TfmMain& w = f.Window();
    f.Show();
    EXPECT_EQ(w.acFileExit->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Alt+X")),
                                                               QKeySequence(QStringLiteral("Alt+Ч"))}));
    EXPECT_EQ(w.acDeviceAccCalibrate->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+P")));
    // Alt+P belongs to the pause alone, so Ctrl+Alt+P must not reach it.
    QSignalSpy pause(w.acDevicePause, &QAction::triggered);
    QSignalSpy accCalibrate(w.acDeviceAccCalibrate, &QAction::triggered);
    w.acDevicePause->setEnabled(true);
    w.acDeviceAccCalibrate->setEnabled(true);
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(accCalibrate.size(), 1);
    EXPECT_EQ(pause.size(), 0);
    MessageBoxAnswerer answerer({QMessageBox::No});
    QTest::keyClick(&w, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(answerer.seen().size(), 1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.acDeviceSettings->isVisible());
    EXPECT_TRUE(w.acViewToolBar->isChecked() && w.acViewStatusBar->isChecked());
}

TEST(WindowDefinition, TheIconsComeInThreeDistinctForms) {
    for (int i = 0; i < kIconCount; ++i) {
        SCOPED_TRACE(i);
        const QImage normal = IconPixmap(i, tIconForm::Normal).toImage();
        const QImage hot = IconPixmap(i, tIconForm::Hot).toImage();
        const QImage disabled = IconPixmap(i, tIconForm::Disabled).toImage();
        ASSERT_EQ(normal.size(), QSize(kIconSize, kIconSize));
        // Something is drawn, and each form differs from the others.
        int opaque = 0;
        for (int y = 0; y < normal.height(); ++y)
            for (int x = 0; x < normal.width(); ++x) opaque += qAlpha(normal.pixel(x, y)) > 0;
        EXPECT_GT(opaque, 40);
        EXPECT_NE(normal, hot);
        EXPECT_NE(normal, disabled);
        bool grey = true;
        for (int y = 0; y < disabled.height(); ++y)
            for (int x = 0; x < disabled.width(); ++x) {
                const QRgb p = disabled.pixel(x, y);
                grey = grey && (qAlpha(p) == 0 || (qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)));
            }
        EXPECT_TRUE(grey);
    }
    EXPECT_TRUE(IconPixmap(kIconCount, tIconForm::Normal).isNull());
}

TEST(WindowDefinition, MenusShowTheActionsAndFollowThem) {
    WindowFixture f;
    TfmMain& w = f.Window();
    auto item = [&w](const char* name) { return w.findChild<QAction*>(QLatin1String(name)); };
    for (const char* name : {"miFileSetZeroMarker", "miFileMarkPoint", "miFileExport",
                             "miFileShowAll", "miFileExit", "miViewToolBar", "miViewStatusBar",
                             "miDeviceConnect", "miDeviceStart", "miDevicePause", "miDeviceStop",
                             "miDeviceCalibrate", "miHelpAbout", "miDeviceSettings"})
        EXPECT_NE(item(name), nullptr) << name;
    EXPECT_EQ(item("miDeviceStart")->text(), QStringLiteral("&Старт...\tAlt+S"));
    EXPECT_FALSE(item("miDeviceStart")->isEnabled());
    EXPECT_FALSE(item("miDeviceSettings")->isVisible());
    // Choosing the entry runs the action.
    item("miViewToolBar")->trigger();
    EXPECT_FALSE(w.acViewToolBar->isChecked());
    EXPECT_TRUE(w.tlbMain->isHidden());
    EXPECT_FALSE(item("miViewToolBar")->isChecked());
    w.acViewToolBar->trigger();
    EXPECT_FALSE(w.tlbMain->isHidden());
}

TEST(WindowDefinition, TheRelativeMenuAndTheRangeListsStartAsDesigned) {
    WindowFixture f;
    TfmMain& w = f.Window();
    EXPECT_EQ(w.tbViewChooseCoord->menu(), w.pmZero);
    EXPECT_EQ(w.cbAcc->currentText(), QStringLiteral("± 2g"));
    EXPECT_EQ(w.cbGyro->currentText(), QStringLiteral("2000 °/сек"));
    for (QAction* item : w.pmZeroItems) EXPECT_TRUE(item->isCheckable() && !item->isChecked());
}

TEST(WindowDefinition, ChartsCarryTheirChannelsAxesAndLegends) {
    WindowFixture f;
    TfmMain& w = f.Window();
    const QVector<int> tags[] = {{0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 1, 2, 3, 4, 5}, {0, 1, 2, 6, 7, 8},
                                 {3, 4, 5, 6, 7, 8}};
    const QVector<TChart*> charts = w.Charts();
    for (int c = 0; c < charts.size(); ++c) {
        QVector<int> got;
        for (int i = 0; i < charts[c]->SeriesCount(); ++i) got << charts[c]->Series(i)->Tag();
        EXPECT_EQ(got, tags[c]) << c;
        EXPECT_EQ(charts[c]->LegendTexts().size(), tags[c].size());
        EXPECT_EQ(charts[c]->BottomAxis()->range(), QCPRange(0, 30));
        EXPECT_TRUE(charts[c]->plottingHints() & QCP::phFastPolylines);
        EXPECT_EQ(charts[c]->Series(0)->pen().width(), 3);
    }
    EXPECT_EQ(w.chGyroAng->LegendTexts().first(), ChannelNames[3]);
    EXPECT_EQ(w.chAccAng->Series(3)->objectName(), QStringLiteral("sAngR_AccAng"));
    EXPECT_EQ(w.chAccAng->Series(3)->valueAxis(), w.chAccAng->RightAxis());
    EXPECT_EQ(w.chAccGyro->RightAxis()->label(), QStringLiteral("Угловая скорость, °/сек"));
    EXPECT_EQ(w.chAccGyro->RightAxis()->tickLabelColor(), QColor(0, 0, 255));
    EXPECT_EQ(w.chAccGyro->LeftAxis()->range(), QCPRange(-80.01, 80));
    EXPECT_EQ(w.chAccAng->RightAxis()->range(), QCPRange(-360.01, 360));
    EXPECT_FALSE(w.pcChart->isTabVisible(w.pcChart->indexOf(w.TabSheet2)));
    EXPECT_EQ(w.pcChart->currentWidget(), w.tsAccGyro);
}

TEST(WindowDefinition, TheSettingsSetTheBatteryIntervalAndTheLanguageMenu) {
    WindowFixture plain;
    EXPECT_EQ(plain.Window().tmBattery->interval(), 2000);
    EXPECT_TRUE(plain.Window().miFileLanguage->menuAction()->isVisible());
    EXPECT_TRUE(plain.Window().tmTime->isActive());
    EXPECT_FALSE(plain.Window().tmStart->isActive());
    EXPECT_EQ(plain.Window().ZeroMarkerIndex, 0);

    WindowFixture five("BatteryUpdate=5\r\nOneLanguage=1\r\n");
    EXPECT_EQ(five.Window().tmBattery->interval(), 5000);
    EXPECT_FALSE(five.Window().miFileLanguage->menuAction()->isVisible());
    EXPECT_FALSE(five.Window().miFileSeparator1->isVisible());

    WindowFixture zero("BatteryUpdate=0\r\n");
    EXPECT_EQ(zero.Window().tmBattery->interval(), 2000);
}

TEST(WindowDefinition, AMissingSettingsFileStopsTheConstruction) {
    TempFolder folder;
    EXPECT_THROW(TfmMain(folder.Path(QStringLiteral("mirelvane"))), Exception);
}

TEST(WindowClosing, AsksFirstExceptWhileTheSessionEnds) {
    WindowFixture f;
    TfmMain& w = f.Window();
    f.Show();
    {
        MessageBoxAnswerer answerer({QMessageBox::No});
        EXPECT_FALSE(w.close());
        ASSERT_EQ(answerer.seen().size(), 1);
        EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("Вы действительно хотите выйти из программы?"));
        EXPECT_EQ(answerer.seen()[0].defaultButton, QMessageBox::No);
        EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Question);
    }
    EXPECT_TRUE(w.isVisible());
    {
        MessageBoxAnswerer answerer({QMessageBox::No});
        EXPECT_TRUE(w.QueryEndSession());
        w.EndSession(false);  // cancelled: the question is back
        EXPECT_FALSE(w.close());
        EXPECT_EQ(answerer.seen().size(), 1);
    }
    MessageBoxAnswerer none;
    w.show();
    w.QueryEndSession();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(none.seen().isEmpty());
}

TEST(SeriesData, GrowsByAQuarterAndKeepsArrivalOrderAmongEqualTimes) {
    tSeriesData data;
    for (int i = 0; i < 100000; ++i) data.Insert(i * 0.01, i);
    EXPECT_LE(data.CapacityBytes(), qsizetype(100000 * 1.26 * sizeof(QCPGraphData)) + 8192 * 16);
    EXPECT_EQ(data.Insert(5.0, -1), 501);  // after the point at exactly 5.0
    EXPECT_DOUBLE_EQ(data.ValueAt(500), 500);
    EXPECT_DOUBLE_EQ(data.ValueAt(501), -1);
    EXPECT_DOUBLE_EQ(data.ValueAt(502), 501);
    EXPECT_EQ(data.Insert(-1.0, -2), 0);
    EXPECT_EQ(data.Insert(2000.0, -3), 100002);
    EXPECT_EQ(data.size(), 100003);
    data.Release();
    EXPECT_TRUE(data.isEmpty());
    EXPECT_EQ(data.CapacityBytes(), 0);
}
