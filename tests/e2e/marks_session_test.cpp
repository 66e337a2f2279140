// Event marks of a real session with ballsim: pressed while measuring and paused, labelled
// without stopping anything, drawn on the charts, listed for review, written beside the export
// and shown again when the journal is opened.
#include <gtest/gtest.h>

#include <QInputDialog>
#include <QListWidget>
#include <QMenu>

#include "base/builtin_texts.h"
#include "device/ballsim_process.h"
#include "e2e/ball_session.h"
#include "model/journal_folder.h"
#include "ui/chart_record.h"
#include "ui/event_mark_layer.h"

namespace {
// Chooses `text` in the next pop-up menu, as a user's click does.
void ChooseInNextMenu(const QString& text) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* action : menu->actions())
            if (action->text() == text) action->trigger();
        menu->close();
        poll->deleteLater();
    });
    poll->start(10);
}

int PixelsOf(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
    return count;
}
}  // namespace

TEST(MarksSession, MarksOfAMeasurementAreShownListedExportedAndOpenedAgain) {
    BallsimProcess ball({QStringLiteral("--stream-lines"), QStringLiteral("240")});
    ASSERT_TRUE(ball.IsRunning());
    TempFolder records;
    const QByteArray settings = WindowFixture::PortSettings(ball.Path()) + "RecordFolder=" +
                                records.Root().toLocal8Bit() + "\r\n";
    WindowFixture f(settings);
    TfmMain& w = f.Window();
    f.ConnectAndStart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() >= 40; }, 30000));

    w.UpdateActions();
    QTest::keyClick(&w, Qt::Key_M, Qt::AltModifier);
    ASSERT_EQ(w.EventMarks().Count(), 1);
    const int marked = w.MasterSeries(0)->Count();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() > marked + 20; }, 30000));
    // The label is asked for while the samples keep coming.
    QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
    QInputDialog* dialog = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        dialog = w.findChild<QInputDialog*>(QStringLiteral("dlgMarkLabel"));
        return dialog && dialog->isVisible();
    }));
    const int before = w.MasterSeries(0)->Count();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() > before + 10; }, 30000));
    dialog->setTextValue(QStringLiteral("stimulus\tone"));
    dialog->accept();
    Choose(w, w.acDevicePause);
    Choose(w, w.acDeviceMark);
    Choose(w, w.acDevicePause);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() >= 240; }, 60000));
    Choose(w, w.acDeviceStop);

    ASSERT_EQ(w.lwEventMarks->count(), 3);
    const std::vector<tEventMark> marks = w.EventMarks().All();
    EXPECT_EQ(marks[0].label, QStringLiteral("1"));
    EXPECT_EQ(marks[1].label, QStringLiteral("stimulus one"));
    EXPECT_EQ(marks[2].label, QStringLiteral("3"));
    EXPECT_EQ(w.RecentMarkLabels().value(0), QStringLiteral("stimulus one"));
    for (TChart* chart : w.Charts())
        EXPECT_EQ(chart->findChildren<QCPLayerable*>(QStringLiteral("eventMarks")).size(), 1);
    w.chAccGyro->replot(QCustomPlot::rpImmediateRefresh);
    EXPECT_GT(PixelsOf(w.chAccGyro->toPixmap().toImage(), TEventMarkLayer::kColour), 100);

    // The first mark is the origin, the second the cursor: the span between two events.
    QListWidgetItem* first = w.lwEventMarks->item(0);
    ChooseInNextMenu(LangConst(QStringLiteral("LC_MARK_ORIGIN")));
    w.lwEventMarks->setCurrentItem(first);
    QMetaObject::invokeMethod(w.lwEventMarks, "customContextMenuRequested",
                              Q_ARG(QPoint, w.lwEventMarks->visualItemRect(first).center()));
    emit w.lwEventMarks->itemActivated(w.lwEventMarks->item(1));
    const tChartRecord record(w.chAll);
    ASSERT_GE(w.ZeroMarkerIndex, 0);
    ASSERT_GE(w.CursorIndex, 0);
    EXPECT_NEAR(record.Time(w.ZeroMarkerIndex), marks[0].at, 0.011);
    EXPECT_NEAR(record.Time(w.CursorIndex), marks[1].at, 0.011);

    // Beside the export, in its own encoding and on its axis; the export itself as before.
    DecimalSeparatorScope comma{u','};
    const QStringList rows = ExportThroughWindow(f, QStringLiteral("run.csv"));
    ASSERT_GT(rows.size(), 2);
    const QList<QByteArray> events = f.Folder().Read(QStringLiteral("run-events.csv")).split('\n');
    ASSERT_EQ(events.size(), 5);
    EXPECT_EQ(events[0], "onset\tlabel\r");
    EXPECT_TRUE(events[2].endsWith("\tstimulus one\r"));
    const double origin = record.Time(w.ZeroMarkerIndex);
    const QList<QByteArray> firstRow = events[1].trimmed().split('\t');
    ASSERT_EQ(firstRow.size(), 2);
    EXPECT_EQ(firstRow[1], "1");
    EXPECT_NEAR(QByteArray(firstRow[0]).replace(',', '.').toDouble(), marks[0].at - origin, 0.0006);

    // The journal gives them back.
    WindowFixture g(settings);
    g.Show();
    const QStringList journals = JournalsOf(records.Root());
    ASSERT_EQ(journals.size(), 1);
    ASSERT_TRUE(g.Window().OpenRecordFile(journals[0]));
    ASSERT_EQ(g.Window().EventMarks().Count(), 3);
    EXPECT_EQ(g.Window().EventMarks().All()[1].label, QStringLiteral("stimulus one"));
    EXPECT_NEAR(g.Window().EventMarks().All()[2].at, marks[2].at, 0.0005);
}
