#pragma once

#include <QApplication>
#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QTest>
#include <memory>

#include "device/ballsim_process.h"
#include "support/temp_folder.h"
#include "ui/mainfm.h"

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
    void Show() {
        window_->show();
        QApplication::setActiveWindow(window_.get());
        (void)QTest::qWaitForWindowExposed(window_.get());
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

private:
    TempFolder folder_;
    std::unique_ptr<TfmMain> window_;
};
