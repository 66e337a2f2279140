#pragma once

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QString>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "app/format_settings.h"
#include "device/ballsim_process.h"
#include "device/device.h"
#include "device/measure_thread.h"
#include "support/temp_folder.h"
#include "ui/mainfm.h"

// Sets the user's decimal separator for one test.
struct DecimalSeparatorScope {
    QChar saved = FormatSettings().DecimalSeparator;
    explicit DecimalSeparatorScope(QChar separator) {
        FormatSettings().DecimalSeparator = separator;
    }
    ~DecimalSeparatorScope() { FormatSettings().DecimalSeparator = saved; }
};

// A number as the window shows it under the user's decimal separator: "2.94" gives "2,94" on a
// desktop with a decimal comma.
inline QString Localized(const char* number) {
    return QString::fromLatin1(number).replace(u'.', FormatSettings().DecimalSeparator);
}

// A main window of its own for one test: a settings file written into a temporary folder
// beside a program path that does not need to exist, and the window built on it.
class WindowFixture {
public:
    explicit WindowFixture(const QByteArray& settings = QByteArray()) {
        folder_.Write(QStringLiteral("mirelvane.cfg"), settings);
        window_ = std::make_unique<TfmMain>(folder_.Path(QStringLiteral("mirelvane")));
    }
    ~WindowFixture() { Close(); }

    TfmMain& Window() const { return *window_; }
    const TempFolder& Folder() const { return folder_; }

    // Shows the window and makes it the active one, as a user's window is.
    // Geometry is read only after this: the window is exposed and its layouts have run.
    void Show() {
        window_->show();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }

    // Shows the window, connects through its action and starts a measurement through its own.
    void ConnectAndStart() {
        Show();
        window_->UpdateActions();
        window_->acDeviceConnect->trigger();
        ASSERT_TRUE(window_->IsConnected());
        window_->UpdateActions();
        window_->acDeviceStart->trigger();
        ASSERT_TRUE(window_->IsMeasuring());
    }

    // Ends the window as the program does: destruction releases the device.
    void Close() { window_.reset(); }

    // Settings lines that point the window at one port.
    static QByteArray PortSettings(const QString& port) {
        return "Ports=" + port.toLocal8Bit() + "\r\nTimeout=0\r\nCheckCount=2\r\n";
    }

    // Ends ballsim and returns the count of sample lines it says it sent, or -1.
    static int SentLines(BallsimProcess& ball) {
        ball.Stop();
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("sent (\\d+) lines"))
                                              .match(QString::fromLocal8Bit(ball.Errors()));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    // Waits until the drain timer has run `ticks` times while the stream thread holds chunks
    // that the drain left queued, which is what a paused window does with a streaming ball.
    static bool WaitForHeldChunks(TfmMain& w, int ticks = 3) {
        QSignalSpy drained(w.tmStart, &QTimer::timeout);
        return QTest::qWaitFor(
            [&] {
                const tMeasureThread* thread = w.Device() ? w.Device()->MeasureThread() : nullptr;
                return drained.size() >= ticks && thread && thread->QueuedPackets() > 0;
            },
            20000);
    }

private:
    TempFolder folder_;
    std::unique_ptr<TfmMain> window_;
};
