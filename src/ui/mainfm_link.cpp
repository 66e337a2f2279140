// Link health as the window shows it: the measurement notices a ball that vanishes, keeps the
// record, watches for the ball's return and counts the lost lines; the window marks the gaps and
// restarts on its charts, says what happened over them and counts the lines in the status bar.
#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

#include "base/builtin_texts.h"
#include "device/device.h"
#include "model/number_format.h"
#include "ui/chart.h"
#include "ui/mainfm.h"

namespace {
QString SecondsText(double seconds) { return FormatFixed(seconds, 3); }

QString Text(const char* name) { return LangConst(QLatin1String(name)); }
}  // namespace

void TfmMain::CreateLinkHealth() {
    lbLinkNotice = new QLabel(centralWidget());
    lbLinkNotice->setObjectName(QStringLiteral("lbLinkNotice"));
    lbLinkNotice->setWordWrap(true);
    lbLinkNotice->setMargin(4);
    lbLinkNotice->setStyleSheet(
        QStringLiteral("QLabel { background: #fff4c2; border: 1px solid #d8b540; }"));
    lbLinkNotice->hide();
    if (auto* column = qobject_cast<QVBoxLayout*>(centralWidget()->layout()))
        column->insertWidget(0, lbLinkNotice);

    lbLostLines = new QLabel(stbMain);
    lbLostLines->setObjectName(QStringLiteral("lbLostLines"));
    lbLostLines->hide();
    // Left of the battery panel: after the hint area, before the permanent panels.
    stbMain->insertPermanentWidget(1, lbLostLines);

}

void TfmMain::ShowLinkNotice(const QString& text) {
    lbLinkNotice->setText(text);
    lbLinkNotice->show();
}

void TfmMain::ResetLinkHealth() {
    session_->ResetTimeBase();
    ClearLinkMarks();
}

void TfmMain::ClearLinkMarks() {
    timeMarks_.Clear();
    lbLinkNotice->hide();
    ShowLostLines();
    lbLostLines->show();
}

void TfmMain::ShowLostLines() {
    QString text = Text("LC_LOST_LINES").arg(SampleClock().LostLines());
    if (DamagedLines() > 0)
        text += QStringLiteral(", ") + Text("LC_DAMAGED_LINES").arg(DamagedLines());
    if (lbLostLines->text() != text) lbLostLines->setText(text);
}

void TfmMain::GapPlaced(double from, double to) {
    timeMarks_.AddGap(Charts(), from, to, Text("LC_GAP_MARK"));
}

void TfmMain::RestartPlaced(double at) {
    timeMarks_.AddRestart(Charts(), at, Text("LC_RESTART_MARK"));
    ShowLinkNotice(Text("LC_BALL_RESTART_NOTICE").arg(SecondsText(at)));
}

// The measurement stopped and kept the record; the ball is gone and perhaps watched for.
void TfmMain::BallLost(double at) {
    DevTime = -1;
    OffTimeElapsed = -1;
    lostRecordKept_ = true;
    StatusPanel(3)->setText(Text("LC_LINK_LOST"));
    ShowLinkNotice(Text("LC_LINK_LOST_NOTICE").arg(SecondsText(at)));
    // While the ball is watched for, the action stays down: it cancels the watch.
    acDeviceConnect->setChecked(IsWatchingForBall());
}

bool TfmMain::CancelBallWatch() {
    if (!session_->CancelWatch()) return false;
    lostRecordKept_ = false;
    return true;
}

void TfmMain::BallReturned(bool) {
    DevTime = session_->DevTime();
    OffTimeElapsed = DevTime;
    acDeviceConnect->setChecked(true);
    StatusPanel(3)->setText(Device()->GetPortName());
    lostRecordKept_ = false;
    UpdateActions();
}

void TfmMain::MeasurementContinued(double from) {
    ZeroMarkerIndex = -1;
    CursorIndex = -1;
    lbTime->setText(QString());
    for (TChart* chart : Charts()) EndChartReview(chart);
    OffTimeElapsed = 0;
    ShowLinkNotice(Text("LC_LINK_BACK_NOTICE").arg(SecondsText(from)));
    RepaintVisibleChart();
    // The statistics of the review before the loss no longer hold for a growing record.
    RefreshAnalysis();
    UpdateActions();
}
