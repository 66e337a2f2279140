#include <gtest/gtest.h>

#include <climits>

#include "controls/track_bar_helpers.h"

using Rect = std::array<int, 4>;
using Values = std::array<int, 5>;

namespace {

Values MinMaxPositionSelection(const TSlimTrackBar& bar) {
    return {bar.Min(), bar.Max(), bar.Position(), bar.SelStart(), bar.SelEnd()};
}

}  // namespace

TEST(SlimTrackBarGeometry, LaysOutTheMotorBarAsInTheWorkedExample) {
    TSlimTrackBar bar;
    EXPECT_EQ(bar.size(), QSize(150, 30));
    SetUpAsMotorBar(bar);
    EXPECT_EQ(Edges(bar.GetTrackLineRect()), (Rect{10, 12, 140, 18}));
    EXPECT_EQ(Edges(bar.GetSliderRect()), (Rect{6, 6, 15, 24}));
    EXPECT_TRUE(bar.GetPosHighlightRect().isEmpty());

    bar.SetPosition(100);  // 130 / 255 * 100 = 50.98 -> 50
    EXPECT_EQ(bar.GetPosCoordinate(100), 60);
    EXPECT_EQ(Edges(bar.GetSliderRect()), (Rect{56, 6, 65, 24}));
    EXPECT_EQ(Edges(bar.GetPosHighlightRect()), (Rect{10, 12, 60, 18}));
    bar.SetSelEnd(200);
    bar.SetSelStart(50);
    EXPECT_EQ(Edges(bar.GetSelectionRect()), (Rect{35, 12, 111, 18}));
}

TEST(SlimTrackBarGeometry, MeasuresAVerticalBarUpwardsFromTheBottom) {
    TSlimTrackBar bar;
    SetUpAsMotorBar(bar);
    bar.SetOrientation(toVertical);
    bar.SetPosition(100);
    bar.SetSelEnd(200);
    bar.SetSelStart(50);
    EXPECT_EQ(Edges(bar.GetTrackLineRect()), (Rect{12, 10, 18, 140}));
    EXPECT_EQ(Edges(bar.GetPosHighlightRect()), (Rect{12, 90, 18, 140}));
    EXPECT_EQ(Edges(bar.GetSliderRect()), (Rect{6, 86, 24, 95}));
    EXPECT_EQ(Edges(bar.GetSelectionRect()), (Rect{12, 39, 18, 115}));
}

TEST(SlimTrackBarGeometry, PutsEveryPositionAtThePaddingWhenMaxEqualsMin) {
    TSlimTrackBar bar;
    bar.SetMin(5);
    bar.SetMax(5);
    EXPECT_DOUBLE_EQ(bar.GetPosStep(), 130.0);
    EXPECT_EQ(bar.GetPosCoordinate(5), 10);
    EXPECT_EQ(bar.GetSliderRect().left(), 6);
}

TEST(SlimTrackBarGeometry, TruncatesTowardZeroWhenTheBarIsTooSmall) {
    TSlimTrackBar bar;
    bar.resize(150, 5);
    bar.SetThickness(8);
    bar.SetPadding(100);
    bar.SetMax(3);  // step (150 - 200) / 3 = -16.67
    EXPECT_EQ(bar.GetPosCoordinate(1), 84);
    EXPECT_EQ(bar.GetTrackLineRect().top(), -1);  // (5 - 8) div 2
    EXPECT_EQ(bar.GetSliderRect().top(), -9);     // (5 - 24) div 2
}

TEST(SlimTrackBarValues, MinAndMaxCarryTheOtherValuesWithoutAChange) {
    TSlimTrackBar bar;
    bar.SetMin(2);
    bar.SetPosition(9);
    bar.SetSelEnd(9);
    bar.SetSelStart(4);
    NotificationCounts counts(bar);
    bar.SetMax(1);
    EXPECT_EQ(MinMaxPositionSelection(bar), (Values{2, 2, 2, 2, 2}));
    bar.SetMax(20);
    bar.SetMin(30);
    EXPECT_EQ(MinMaxPositionSelection(bar), (Values{20, 20, 20, 20, 20}));
    EXPECT_EQ(counts.changes.count(), 0);
}

TEST(SlimTrackBarValues, KeepsSelectionThicknessAndPaddingsWithinBounds) {
    TSlimTrackBar bar;
    bar.SetSelEnd(4);
    bar.SetSelStart(7);  // pushes the end up
    EXPECT_EQ(MinMaxPositionSelection(bar), (Values{0, 10, 0, 7, 7}));
    bar.SetSelEnd(3);  // pushes the start down
    EXPECT_EQ(MinMaxPositionSelection(bar), (Values{0, 10, 0, 3, 3}));
    bar.SetSelStart(-5);
    bar.SetSelEnd(99);
    EXPECT_EQ(MinMaxPositionSelection(bar), (Values{0, 10, 0, 0, 10}));
    bar.SetThickness(1);
    bar.SetPadding(-5);
    bar.SetFocusPadding(-1);
    EXPECT_EQ((std::array{bar.Thickness(), bar.Padding(), bar.FocusPadding()}),
              (std::array{2, 0, 0}));
}

TEST(SlimTrackBarValues, ProgramWritesReportEveryDifferentValueAndNoInteraction) {
    TSlimTrackBar bar;
    NotificationCounts counts(bar);
    bar.SetPosition(30);  // clamped to 10, but a different value was asked for
    bar.SetPosition(10);
    bar.SetPosition(30);
    EXPECT_EQ(bar.Position(), 10);
    EXPECT_EQ(counts.Counts(), (std::array<qsizetype, 3>{0, 2, 0}));
    EXPECT_TRUE(counts.AllFromTheBar());
}

TEST(SlimTrackBarValues, SwitchingOrientationSwapsWidthAndHeightInPlace) {
    TSlimTrackBar bar;
    bar.move(5, 7);
    bar.SetOrientation(toVertical);
    bar.SetOrientation(toVertical);
    EXPECT_EQ(bar.geometry(), QRect(5, 7, 30, 150));
}

TEST(SlimTrackBarValues, HandlesExtremeRangesAndATrackWithoutLength) {
    TSlimTrackBar bar;
    bar.SetMin(INT_MIN);
    bar.SetMax(INT_MAX);
    bar.SetPageSize(INT_MAX);
    NotificationCounts counts(bar);
    bar.GoToPosition(1000, 15);
    EXPECT_EQ(bar.Position(), INT_MAX);
    EXPECT_GE(bar.GetSliderRect().left(), 130);
    QTest::keyClick(&bar, Qt::Key_PageDown);  // INT_MAX + INT_MAX is still a different value
    EXPECT_EQ(counts.changes.count(), 2);

    bar.SetMin(0);
    bar.SetMax(10);
    bar.resize(20, 30);  // the two paddings take the whole width: the step is zero
    bar.GoToPosition(15, 15);
    EXPECT_EQ(bar.Position(), 10);
    bar.GoToPosition(10, 15);
    EXPECT_EQ(bar.Position(), 0);
}
