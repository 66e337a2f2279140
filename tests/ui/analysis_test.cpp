// The analysis in the window: the statistics table between the time origin and the cursor, its
// statistics file beside an export, and the orientation view with its menu entry.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QTabWidget>
#include <QTableWidget>

#include "export_support.h"
#include "lang/qstring_printer.h"
#include "review_record.h"
#include "support/message_box_answerer.h"
#include "ui/orientation_view.h"
#include "ui/save_dialog.h"
#include "ui/statistics_panel.h"

namespace {
// The table's rows as they read, keyed by the channel's name.
QMap<QString, QStringList> Rows(const TfmMain& w) {
    QMap<QString, QStringList> rows;
    const QTableWidget* table = w.pnStatistics->sgStatistics;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 1; c < table->columnCount(); ++c) cells << table->item(r, c)->text();
        rows.insert(table->item(r, 0)->text(), cells);
    }
    return rows;
}

// A click that places the time origin, the toggle switched back off after it.
void ClickOrigin(TfmMain& w, double time) {
    w.acFileSetZeroMarker->setChecked(true);
    ClickAtTime(w.chAccGyro, time);
    w.acFileSetZeroMarker->setChecked(false);
}
}  // namespace

TEST(StatisticsTable, FollowsTheMarkersEitherWayRoundTheChannelsAndThePage) {
    ReviewedRecord r(EvenTimes(50));
    TfmMain& w = r.w;
    ClickAtTime(w.chAccGyro, 1.20);  // cursor at sample 20
    ClickOrigin(w, 1.30);            // origin at sample 30, after the cursor
    ASSERT_EQ(w.CursorIndex, 20);
    ASSERT_EQ(w.ZeroMarkerIndex, 30);
    // ax = 9.81 i over i = 20..30: sample deviation 9.81·√11, RMS 9.81·√(25² + 10).
    EXPECT_EQ(Rows(w).value("ax"), QStringList({"11", "245.25", "196.20", "294.30", "98.10",
                                                "32.54", "247.20", "981.00"}));
    EXPECT_EQ(Rows(w).keys(), QStringList({"ax", "ay", "az", "wx", "wy", "wz"}));

    SetChannelVisible(w, 1, false);
    EXPECT_EQ(Rows(w).keys(), QStringList({"ax", "az", "wx", "wy", "wz"}));
    w.pcChart->setCurrentWidget(w.tsAccAng);
    EXPECT_EQ(Rows(w).keys(), QStringList({"ax", "az", "фx", "фy", "фz"}));
    // Angles keep the value table's whole degrees: фx = i + 0.25.
    EXPECT_EQ(Rows(w).value("фx").mid(0, 3), QStringList({"11", "25", "20"}));

    // Ctrl+C on the table: titles and rows, tab-separated.
    QApplication::clipboard()->clear();
    w.pnStatistics->sgStatistics->setFocus();
    QTest::keyClick(w.pnStatistics->sgStatistics, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split(u'\n');
    ASSERT_EQ(lines.size(), 7);  // five rows, the titles and the empty end
    EXPECT_EQ(lines[0], StatisticsTitles().join(u'\t'));
    EXPECT_EQ(lines[1], "ax\t11\t245.25\t196.20\t294.30\t98.10\t32.54\t247.20\t981.00");
}

TEST(StatisticsTable, ReadsTheRelativeReadingsAsPlottedAndFollowsTheDecimalSeparator) {
    WindowFixture f;
    TfmMain& w = f.Window();
    DecimalSeparatorScope comma{u','};
    w.pmZeroItems[1]->setChecked(true);  // ay relative: the first sample keeps -4.905, then 0
    RecordStopped(w, EvenTimes(10));
    f.Show();
    for (TChart* chart : w.Charts()) chart->BottomAxis()->setRange(0.95, 1.15);
    w.chAccGyro->replot();
    ClickAtTime(w.chAccGyro, 1.09);
    ASSERT_EQ(w.CursorIndex, 9);
    EXPECT_EQ(Rows(w).value("ay").mid(0, 5), QStringList({"10", "-0,49", "-4,91", "0,00", "4,91"}));
}

TEST(StatisticsExport, WritesTheStatisticsBesideTheDataOnlyWhenAskedFor) {
    WindowFixture f;
    TfmMain& w = f.Window();
    DecimalSeparatorScope comma{u','};
    RecordStopped(w, EvenTimes(60));
    const QString path = f.Folder().Path(QStringLiteral("out.csv"));
    const QString stats = f.Folder().Path(QStringLiteral("out-stats.csv"));
    EXPECT_FALSE(w.cbExportStatistics->isChecked());
    {
        SaveDialogAnswerer answer({path});
        w.acFileExportExecute();
    }
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(stats));
    EXPECT_GE(w.sd->layout()->indexOf(w.cbExportStatistics), 0);  // shown in the dialog

    w.cbExportStatistics->setChecked(true);
    SetChannelVisible(w, 2, false);
    {
        SaveDialogAnswerer answer({path});
        w.acFileExportExecute();
    }
    const QStringList lines = ExportLines(f.Folder().Read(QStringLiteral("out-stats.csv")));
    ASSERT_EQ(lines.size(), 9);  // titles and the eight visible channels
    EXPECT_EQ(lines[0], StatisticsTitles().join(u'\t'));
    // ax over the whole record, i = 0..59: angles and all get two decimals.
    EXPECT_EQ(lines[1].section(u'\t', 0, 4), "ax\t60\t289,40\t0,00\t578,79");
    EXPECT_EQ(lines[3].section(u'\t', 0, 0), "wx");
    EXPECT_EQ(lines[6].section(u'\t', 0, 2), "фx\t60\t29,75");
}

namespace {
QColor PixelAlong(const TOrientationView& view, const QImage& image, int axis, double part) {
    const QPointF centre(image.width() / 2.0, image.height() / 2.0);
    const QPointF at = centre + (view.AxisEnd(axis, image.size()) - centre) * part;
    return image.pixelColor(at.toPoint());
}

bool Is(const QColor& c, int axis) {
    const int channel[3] = {c.red(), c.green(), c.blue()};
    for (int k = 0; k < 3; ++k)
        if (k != axis && channel[k] > 60) return false;
    return channel[axis] > 140;
}
}  // namespace

TEST(OrientationView, DrawsEachBodyAxisInItsColourWhereTheAnglesTurnIt) {
    struct Case {
        double roll, pitch, yaw;
        // The screen direction each axis must take: -1 left/up, 1 right/down, 0 neither.
        int dx[3], dy[3];
    };
    const Case cases[] = {
        {0, 0, 0, {-1, 1, 0}, {1, 1, -1}},     // x lower left, y lower right, z up
        {0, 90, 0, {0, 1, -1}, {1, 1, 1}},     // x straight down, z where x was
        {0, -90, 0, {0, 1, 1}, {-1, 1, -1}},   // x straight up, z opposite
        {90, 0, 0, {-1, 0, -1}, {1, -1, -1}},  // y up, z where -y was
    };
    TOrientationView view;
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.roll << " " << c.pitch << " " << c.yaw);
        view.SetAngles(c.roll, c.pitch, c.yaw);
        {
            QPainter painter(&image);
            view.Render(painter, image.size());
        }
        for (int k = 0; k < 3; ++k) {
            const QPointF d = view.AxisEnd(k, image.size()) - QPointF(100, 100);
            const auto sign = [](double v) { return std::abs(v) < 1 ? 0 : v < 0 ? -1 : 1; };
            EXPECT_EQ(sign(d.x()), c.dx[k]) << k;
            EXPECT_EQ(sign(d.y()), c.dy[k]) << k;
            for (const double part : {0.5, 0.9})
                EXPECT_TRUE(Is(PixelAlong(view, image, k, part), k)) << k << " " << part;
        }
    }
}

TEST(OrientationView, FollowsTheCursorAndItsMenuEntryIsKeptInTheSettings) {
    ReviewedRecord r(EvenTimes(50));
    TfmMain& w = r.w;
    ClickAtTime(w.chAccGyro, 1.20);
    EXPECT_DOUBLE_EQ(w.pbOrientation->Roll(), 20.25);
    EXPECT_DOUBLE_EQ(w.pbOrientation->Pitch(), -0.5);
    EXPECT_NEAR(w.pbOrientation->Yaw(), 123.456, 1e-4);

    ASSERT_TRUE(w.acViewOrientation->isChecked());
    EXPECT_TRUE(w.pbOrientation->isVisible());
    w.acViewOrientation->trigger();
    EXPECT_FALSE(w.pbOrientation->isVisible());
    EXPECT_TRUE(r.f.Folder().Read(QStringLiteral("mirelvane.cfg")).contains("ShowOrientation=0"));
    WindowFixture later("ShowOrientation=0\r\n");
    EXPECT_FALSE(later.Window().acViewOrientation->isChecked());
    EXPECT_TRUE(later.Window().pbOrientation->isHidden());

    // A settings file that cannot be written: said so, not kept silently.
    const QString cfg = r.f.Folder().Path(QStringLiteral("mirelvane.cfg"));
    ASSERT_TRUE(QFile::remove(cfg));
    ASSERT_TRUE(QDir().mkdir(cfg));
    MessageBoxAnswerer answerer;
    w.acViewOrientation->trigger();
    ASSERT_EQ(answerer.seen().size(), 1);
    EXPECT_TRUE(answerer.seen()[0].text.startsWith("Cannot create file \"" + cfg + "\". "));
    EXPECT_TRUE(w.pbOrientation->isVisible());
}
