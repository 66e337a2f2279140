#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "controls/track_bar_helpers.h"

namespace {

// The motor bar at 100 of 255 with bevel colours that differ from every other colour.
void SetUpForRendering(TSlimTrackBar& bar) {
    SetUpAsMotorBar(bar);
    bar.SetShadowColor(QColor(0, 100, 0));
    bar.SetHighlightColor(QColor(255, 255, 0));
    bar.SetPosition(100);
}

QColor PixelAt(TSlimTrackBar& bar, int x, int y) {
    return bar.grab().toImage().pixelColor(x, y);
}

}  // namespace

TEST(SlimTrackBarPainting, DrawsTheBevelWithoutTheEndPointsOfEachLine) {
    QImage image(6, 5, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TSlimTrackBar::Draw3DRect(painter, Qt::red, Qt::blue, QRect(1, 1, 4, 3));
    }
    const char* expected[] = {"......", ".rrrb.", ".r..b.", ".rbbb.", "......"};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const QColor want = expected[y][x] == 'r'   ? Qt::red
                                : expected[y][x] == 'b' ? Qt::blue
                                                        : Qt::white;
            EXPECT_EQ(image.pixelColor(x, y), want) << x << "," << y;
        }
}

TEST(SlimTrackBarPainting, RendersAnEnabledHorizontalBar) {
    TSlimTrackBar bar;
    SetUpForRendering(bar);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixelColor(100, 15), QColor(Qt::blue));   // track beyond the position
    EXPECT_EQ(image.pixelColor(30, 15), QColor(Qt::red));     // position highlight
    EXPECT_EQ(image.pixelColor(75, 2), bar.Color());          // background
    EXPECT_EQ(image.pixelColor(100, 12), bar.ShadowColor());  // sunken track: dark on top
    EXPECT_EQ(image.pixelColor(100, 17), bar.HighlightColor());
    EXPECT_EQ(image.pixelColor(56, 6), bar.HighlightColor());  // raised slider {56, 6, 65, 24}
    EXPECT_EQ(image.pixelColor(64, 23), bar.ShadowColor());
    EXPECT_EQ(image.pixelColor(60, 15), bar.Color());  // the slider's face covers the track

    bar.SetSelEnd(200);
    bar.SetSelStart(50);  // pixels 35 to 111, over the highlight
    bar.SetSliderVisible(false);
    EXPECT_EQ(PixelAt(bar, 40, 15), bar.SelectionColor());
    EXPECT_EQ(PixelAt(bar, 30, 15), QColor(Qt::red));
    EXPECT_EQ(PixelAt(bar, 56, 6), bar.Color());
}

TEST(SlimTrackBarPainting, FillsTheTrackWithTheBackgroundWhileDisabled) {
    TSlimTrackBar bar;
    SetUpForRendering(bar);
    bar.setEnabled(false);
    EXPECT_EQ(PixelAt(bar, 100, 15), bar.Color());
    EXPECT_EQ(PixelAt(bar, 30, 15), QColor(Qt::red));
    EXPECT_EQ(PixelAt(bar, 64, 23), bar.ShadowColor());
}

TEST(SlimTrackBarPainting, RendersAVerticalBarGrowingUpwards) {
    TSlimTrackBar bar;
    SetUpForRendering(bar);
    bar.SetOrientation(toVertical);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.size(), QSize(30, 150));
    EXPECT_EQ(image.pixelColor(15, 120), QColor(Qt::red));  // highlight from 140 up to 90
    EXPECT_EQ(image.pixelColor(15, 50), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(6, 86), bar.HighlightColor());  // slider {6, 86, 24, 95}
    EXPECT_EQ(image.pixelColor(15, 90), bar.Color());
    EXPECT_EQ(image.pixelColor(2, 50), bar.Color());
}

TEST(SlimTrackBarPainting, FramesTheFocusedBarWithDotsInsideTheFocusPadding) {
    TSlimTrackBar bar;
    bar.SetFocusPadding(2);
    bar.show();
    bar.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&bar));
    bar.setFocus();
    ASSERT_TRUE(bar.hasFocus());
    const QColor back = bar.Color();
    const QColor dot(255 - back.red(), 255 - back.green(), 255 - back.blue());
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixelColor(2, 2), dot);
    EXPECT_EQ(image.pixelColor(3, 2), back);
    EXPECT_EQ(image.pixelColor(4, 2), dot);
    EXPECT_EQ(image.pixelColor(1, 1), back);
    EXPECT_EQ(image.pixelColor(147, 27), dot);
    bar.clearFocus();
    EXPECT_EQ(PixelAt(bar, 2, 2), back);
}

TEST(SlimTrackBarPainting, ColoursFollowTheirPaletteRolesUntilFixed) {
    TSlimTrackBar bar;
    QPalette palette;
    int shade = 0;
    for (auto role : {QPalette::Dark, QPalette::Light, QPalette::Base, QPalette::Highlight,
                      QPalette::ButtonText, QPalette::Button})
        palette.setColor(role, QColor(shade += 30, 1, 2));
    bar.setPalette(palette);
    auto in = [&](QPalette::ColorRole role) { return palette.color(role); };
    EXPECT_EQ((std::array{bar.ShadowColor(), bar.HighlightColor(), bar.TrackColor(),
                          bar.SelectionColor(), bar.PosHighlightColor(), bar.Color()}),
              (std::array{in(QPalette::Dark), in(QPalette::Light), in(QPalette::Base),
                          in(QPalette::Highlight), in(QPalette::ButtonText), in(QPalette::Base)}));
    bar.SetTrackColor(QColor(Qt::blue));
    bar.SetColor(QPalette::Button);
    EXPECT_EQ(bar.TrackColor(), QColor(Qt::blue));
    EXPECT_EQ(bar.Color(), in(QPalette::Button));
    bar.SetTrackColor(QColor());
    EXPECT_EQ(bar.TrackColor(), in(QPalette::Base));
}
