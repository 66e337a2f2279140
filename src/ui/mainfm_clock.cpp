// The clock in the status bar and the automatic switch-off of the connected ball.
#include <QAction>
#include <QDateTime>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include "app/format_settings.h"
#include "model/switch_off_countdown.h"
#include "ui/mainfm.h"

namespace {
// Runs the window's layout step whenever the status bar changes size or font.
class tStatusBarWatch : public QObject {
public:
    explicit tStatusBarWatch(TfmMain* window) : QObject(window), window_(window) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)
            window_->stbMainResize();
        return false;
    }

private:
    TfmMain* window_;
};
}  // namespace

void TfmMain::ConnectClock() {
    connect(tmTime, &QTimer::timeout, this, &TfmMain::tmTimeTimer);
    stbMain->installEventFilter(new tStatusBarWatch(this));
    stbMainResize();
}

void TfmMain::tmTimeTimer() {
    const QString format = FormatSettings().LongTimeFormat;
    // Panels are addressed from the end of the bar: the clock is the last one.
    StatusPanel(4)->setText(FormatLongTime(QDateTime::currentDateTime()));

    const tCountdownStep step = CountdownTick(DevTime, OffTimeElapsed, tmTime->interval(),
                                              ReadSwitchOffSettings(*Settings()));
    if (!step.counting) return;
    OffTimeElapsed = step.elapsed;
    if (step.switchOff) {
        // Each runs its own rule first: Stop only acts during a measurement.
        acDeviceStopUpdate();
        acDeviceStop->trigger();
        acDeviceConnectUpdate();
        acDeviceConnect->trigger();
    }
    QLabel* countdown = StatusPanel(2);
    countdown->setText(CountdownPanelText(step, countdown->text(), format));
}

void TfmMain::stbMainResize() {
    const QFontMetrics metrics(stbMain->font());
    const int width = int(metrics.horizontalAdvance(QStringLiteral(" 88:88:88 ")) * 1.5);
    // Panel 0 takes what the others leave, as the bar's stretching widget.
    if (StatusPanel(4)->width() != width) StatusPanel(4)->setFixedWidth(width);
}
