#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QWheelEvent>

#include "controls/track_bar_helpers.h"

using Counts = std::array<qsizetype, 3>;  // begins, changes, ends

namespace {

void Wheel(TSlimTrackBar& bar, int delta) {
    const QPointF at(bar.width() / 2.0, bar.height() / 2.0);
    QWheelEvent event(at, bar.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&bar, &event);
}

void SendKey(TSlimTrackBar& bar, QEvent::Type type, int key, bool autoRepeat) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(&bar, &event);
}

}  // namespace

TEST(SlimTrackBarMouse, ADragIsOneInteractionThatClampsOutsideTheBar) {
    TSlimTrackBar bar;
    SetUpAsMotorBar(bar);
    NotificationCounts counts(bar);
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(0, 15));
    EXPECT_EQ(counts.Counts(), (Counts{1, 0, 0}));  // already at 0
    QTest::mouseMove(&bar, QPoint(60, 15));         // 50 / 0.5098 = 98.08
    EXPECT_EQ(bar.Position(), 98);
    QTest::mouseMove(&bar, QPoint(60, 40));
    QTest::mouseMove(&bar, QPoint(400, 15));
    EXPECT_EQ(bar.Position(), 255);
    QTest::mouseMove(&bar, QPoint(-50, 15));
    EXPECT_EQ(bar.Position(), 0);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(-50, 15));
    EXPECT_EQ(counts.Counts(), (Counts{1, 3, 1}));
    EXPECT_TRUE(counts.AllFromTheBar());

    // Without a held button a move is only a move.
    QMouseEvent hover(QEvent::MouseMove, QPointF(100, 15), QPointF(100, 15), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &hover);
    EXPECT_EQ(bar.Position(), 0);
}

TEST(SlimTrackBarMouse, ClicksAtTheFarEndsSetMinAndMax) {
    TSlimTrackBar bar;
    SetUpAsMotorBar(bar);
    bar.SetPosition(100);
    NotificationCounts counts(bar);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(0, 15));
    EXPECT_EQ(bar.Position(), 0);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(149, 15));
    EXPECT_EQ(bar.Position(), 255);
    QTest::mouseClick(&bar, Qt::RightButton, {}, QPoint(0, 15));  // only the left button points
    EXPECT_EQ(counts.Counts(), (Counts{2, 2, 2}));
}

TEST(SlimTrackBarMouse, RoundsPointsHalfwayBetweenValuesToEven) {
    TSlimTrackBar bar;
    bar.resize(40, 30);  // a step of 2 pixels
    const std::pair<int, int> clicks[] = {{13, 2}, {15, 2}, {17, 4}, {16, 3}};
    for (auto [x, value] : clicks) {
        bar.GoToPosition(x, 0);
        EXPECT_EQ(bar.Position(), value) << x;
    }
    bar.SetOrientation(toVertical);
    bar.GoToPosition(0, 15);
    EXPECT_EQ(bar.Position(), 8);  // 10 - round(2.5)
}

TEST(SlimTrackBarMouse, TakesTheFocusOnAClickOnlyWhenAskedTo) {
    QWidget window;
    TSlimTrackBar bar(&window);
    window.show();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(100, 15));
    EXPECT_NE(window.focusWidget(), &bar);
    bar.SetClickFocus(true);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(100, 15));
    EXPECT_EQ(window.focusWidget(), &bar);
}

TEST(SlimTrackBarKeys, AHeldKeyRepeatsTheStepInsideOneInteraction) {
    TSlimTrackBar bar;
    bar.SetPosition(9);
    NotificationCounts counts(bar);
    SendKey(bar, QEvent::KeyPress, Qt::Key_Right, false);
    SendKey(bar, QEvent::KeyRelease, Qt::Key_Right, true);
    SendKey(bar, QEvent::KeyPress, Qt::Key_Right, true);  // at Max, still a change
    EXPECT_EQ(counts.Counts(), (Counts{1, 2, 0}));
    SendKey(bar, QEvent::KeyRelease, Qt::Key_Right, false);
    EXPECT_EQ(counts.Counts(), (Counts{1, 2, 1}));
    QTest::keyClick(&bar, Qt::Key_End);  // End at Max asks for no different value
    EXPECT_EQ(counts.Counts(), (Counts{2, 2, 2}));
    EXPECT_EQ(bar.Position(), 10);
}

TEST(SlimTrackBarKeys, StepsByTheKeyTableInBothOrientations) {
    struct Step {
        Qt::Key key;
        int horizontal, vertical;
    };
    const Step steps[] = {{Qt::Key_Up, 4, 6},    {Qt::Key_Down, 6, 4},   {Qt::Key_Left, 4, 4},
                          {Qt::Key_Right, 6, 6}, {Qt::Key_PageUp, 3, 7}, {Qt::Key_PageDown, 7, 3},
                          {Qt::Key_Home, 0, 10}, {Qt::Key_End, 10, 0}};
    for (TSlimTrackBarOrientation orientation : {toHorizontal, toVertical}) {
        TSlimTrackBar bar;
        bar.SetOrientation(orientation);
        for (const Step& step : steps) {
            bar.SetPosition(5);
            QTest::keyClick(&bar, step.key);
            EXPECT_EQ(bar.Position(), orientation == toHorizontal ? step.horizontal : step.vertical)
                << step.key << " " << orientation;
        }
    }
}

TEST(SlimTrackBarKeys, TakesItsKeysBeforeTheWindowsShortcuts) {
    QWidget window;
    TSlimTrackBar bar(&window);
    int homeShortcuts = 0, chordShortcuts = 0;
    QShortcut home(QKeySequence(Qt::Key_Home), &window, [&] { ++homeShortcuts; });
    QShortcut chord(QKeySequence(Qt::CTRL | Qt::Key_Home), &window, [&] { ++chordShortcuts; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    bar.setFocus();
    bar.SetPosition(5);
    QTest::keyClick(window.windowHandle(), Qt::Key_Home);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(homeShortcuts, 0);
    QTest::keyClick(window.windowHandle(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(chordShortcuts, 1);
}

TEST(SlimTrackBarWheel, AddsPartialNotchesUpAndStepsWithoutAnInteraction) {
    TSlimTrackBar bar;
    NotificationCounts counts(bar);
    Wheel(bar, -120);
    EXPECT_EQ(bar.Position(), 1);
    Wheel(bar, -60);
    EXPECT_EQ(bar.Position(), 1);
    Wheel(bar, -60);
    EXPECT_EQ(bar.Position(), 2);
    Wheel(bar, -150);
    Wheel(bar, -90);
    EXPECT_EQ(bar.Position(), 4);
    Wheel(bar, 120);
    EXPECT_EQ(bar.Position(), 3);
    EXPECT_EQ(counts.Counts(), (Counts{0, 5, 0}));

    bar.SetOrientation(toVertical);
    Wheel(bar, -120);
    EXPECT_EQ(bar.Position(), 2);
}

namespace {

// Records what each paint event was asked to repaint.
class PaintRecordingBar : public TSlimTrackBar {
public:
    QRegion painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        painted += event->region();
        TSlimTrackBar::paintEvent(event);
    }
};

}  // namespace

TEST(SlimTrackBarPainting, AMovedPositionRepaintsOnlyAroundTheOldAndNewSlider) {
    PaintRecordingBar bar;
    SetUpAsMotorBar(bar);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QApplication::processEvents();
    const QRect before = bar.GetSliderRect();
    bar.painted = QRegion();
    bar.SetPosition(100);
    QApplication::processEvents();
    EXPECT_EQ(bar.painted, QRegion(before.united(bar.GetSliderRect())));

    bar.painted = QRegion();
    bar.SetPosition(99);  // less than a pixel: the slider stays
    QApplication::processEvents();
    EXPECT_TRUE(bar.painted.isEmpty());
}
