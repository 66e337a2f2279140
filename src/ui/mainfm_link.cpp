// Link health: a ball that vanishes is noticed and the record kept, its return is watched for
// and continues the record, and the lines lost on the way or a restart of the ball's clock are
// counted and marked.
#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QMetaObject>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/int_conversion.h"
#include "app/log_file.h"
#include "app/settings.h"
#include "base/builtin_texts.h"
#include "device/device.h"
#include "device/reconnect_watch.h"
#include "model/number_format.h"
#include "ui/chart.h"
#include "ui/mainfm.h"

namespace {
QString SecondsText(double seconds) { return FormatFixed(seconds, 3); }

QString Text(const char* name) { return LangConst(QLatin1String(name)); }

qint64 NowMs() { return QDateTime::currentMSecsSinceEpoch(); }
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

    ballWatch_ = std::make_unique<tReconnectWatch>(settings_.get());
}

void TfmMain::NoteLinkEvent(const QString& kind, const QString& detail) {
    LogFile->Write("LINK " + kind.toUtf8() + ": " + detail.toUtf8());
    JournalEvent(kind, detail);
}

bool TfmMain::IsWatchingForBall() const { return ballWatch_ && ballWatch_->IsWatching(); }

void TfmMain::ShowLinkNotice(const QString& text) {
    lbLinkNotice->setText(text);
    lbLinkNotice->show();
}

void TfmMain::ResetLinkHealth() {
    clock_.Reset();
    timeMarks_.Clear();
    damagedLines_ = 0;
    gapFrom_ = -1;
    lastSampleMs_ = NowMs();
    lbLinkNotice->hide();
    ShowLostLines();
    lbLostLines->show();
}

void TfmMain::ShowLostLines() {
    QString text = Text("LC_LOST_LINES").arg(clock_.LostLines());
    if (damagedLines_ > 0)
        text += QStringLiteral(", ") + Text("LC_DAMAGED_LINES").arg(damagedLines_);
    if (lbLostLines->text() != text) lbLostLines->setText(text);
}

void TfmMain::PlaceChunkTimes(tChunkResult& chunk) {
    damagedLines_ += chunk.rejected.size();
    const tClockEvents events = clock_.PlaceChunk(chunk);
    if (!chunk.samples.empty()) lastSampleMs_ = NowMs();
    if (events.resumedAt >= 0 && gapFrom_ >= 0) {
        timeMarks_.AddGap(Charts(), gapFrom_, events.resumedAt, Text("LC_GAP_MARK"));
        NoteLinkEvent(QStringLiteral("gap"), QStringLiteral("from %1 s to %2 s")
                                                 .arg(gapFrom_, 0, 'f', 3)
                                                 .arg(events.resumedAt, 0, 'f', 3));
        gapFrom_ = -1;
    }
    for (const double at : events.restartsAt) {
        timeMarks_.AddRestart(Charts(), at, Text("LC_RESTART_MARK"));
        NoteLinkEvent(QStringLiteral("restart"), QStringLiteral("at %1 s").arg(at, 0, 'f', 3));
        ShowLinkNotice(Text("LC_BALL_RESTART_NOTICE").arg(SecondsText(at)));
    }
}

void TfmMain::DecodePackets(const tPacketQueue& queue) {
    for (const tPacket& packet : queue) {
        if (packet.Data()) DecodeChunk(packet.Data(), packet.Length());
    }
    ShowLostLines();
}

bool TfmMain::HandleLinkLoss() {
    if (!IsConnected() || !Device()->LinkLost()) return false;
    const QString port = Device()->GetPortName();
    const QString reason = QString::fromUtf8(Device()->LossReason());
    // Stop's steps keep every chunk that came before the loss.
    StopMeasurement();
    const double at = clock_.LastTime();
    NoteLinkEvent(QStringLiteral("loss"),
                  QStringLiteral("%1 at %2 s (%3)").arg(port).arg(at, 0, 'f', 3).arg(reason));
    DisconnectDevice();
    lostRecordKept_ = true;
    resumeOnReturn_ = true;
    acDeviceConnect->setChecked(false);
    StatusPanel(3)->setText(Text("LC_LINK_LOST"));
    ShowLinkNotice(Text("LC_LINK_LOST_NOTICE").arg(SecondsText(at)));
    if (StrToIntDef(settings_->GetSettingByName(QStringLiteral("AutoReconnect")), 1) != 0) {
        ballWatch_->Start(
            port, [this](std::unique_ptr<tDevice> device) { BallCameBack(std::move(device)); });
        acDeviceConnect->setChecked(true);
    }
    return true;
}

bool TfmMain::CancelBallWatch() {
    if (!IsWatchingForBall()) return false;
    ballWatch_->Cancel();
    NoteLinkEvent(QStringLiteral("watch"), QStringLiteral("cancelled"));
    lostRecordKept_ = false;
    resumeOnReturn_ = false;
    return true;
}

void TfmMain::BallCameBack(std::unique_ptr<tDevice> device) {
    connection_.Device = std::move(device);
    connection_.DevTime = Device()->ReadDeviceTime();
    DevTime = connection_.DevTime;
    OffTimeElapsed = connection_.DevTime;
    NoteLinkEvent(QStringLiteral("reconnect"), Device()->GetPortName());
    // The battery and the ranges as a connect shows and sets them.
    QMetaObject::invokeMethod(tmBattery, "timeout", Qt::DirectConnection);
    acDeviceConnect->setChecked(true);
    StatusPanel(3)->setText(Device()->GetPortName());
    cbAccChange();
    cbGyroChange();
    lostRecordKept_ = false;
    if (resumeOnReturn_) ContinueMeasurement();
    resumeOnReturn_ = false;
    UpdateActions();
}

void TfmMain::ContinueMeasurement() {
    // The new stream goes on the same record, after a gap as long as the ball was away.
    gapFrom_ = clock_.LastTime();
    clock_.ContinueAfter((NowMs() - lastSampleMs_) / 1000.0);
    ZeroMarkerIndex = -1;
    CursorIndex = -1;
    lbTime->setText(QString());
    for (TChart* chart : Charts()) EndChartReview(chart);
    OffTimeElapsed = 0;
    Device()->StartMeasure();
    tmStart->start();
    ShowLinkNotice(Text("LC_LINK_BACK_NOTICE").arg(SecondsText(gapFrom_)));
    RepaintVisibleChart();
    // The statistics of the review before the loss no longer hold for a growing record.
    RefreshAnalysis();
}
