#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QApplication>
#include <QByteArray>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include "ui/mainfm.h"

// Answers the export's save dialog as a user does: reads what it offers, types a name into
// its name field and presses its accept button, or cancels it. Later boxes that the dialog or
// the export open (warnings) are closed and counted.
class SaveDialogAnswerer {
public:
    struct Seen {
        QString directory;
        QString typedName;  // what the name field held when the dialog opened
        QStringList filters;
        QString suffix;
        bool native = true;
        bool confirmsOverwrite = true;
    };

    // Each answer is one dialog: a name to type (relative or absolute), or "" to cancel.
    explicit SaveDialogAnswerer(QStringList answers) : answers_(std::move(answers)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }

    const QVector<Seen>& seen() const { return seen_; }
    // Texts of the other modal boxes, in order.
    const QStringList& boxes() const { return boxes_; }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->property("answered").toBool()) return;
        modal->setProperty("answered", true);
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) boxes_ << box->text();
            QTimer::singleShot(0, modal, [modal] {
                modal->setProperty("answered", false);
                static_cast<QDialog*>(modal)->reject();
            });
            return;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        seen_.append({dialog->directory().absolutePath(), name ? name->text() : QString(),
                      dialog->nameFilters(), dialog->defaultSuffix(),
                      !dialog->testOption(QFileDialog::DontUseNativeDialog),
                      !dialog->testOption(QFileDialog::DontConfirmOverwrite)});
        const QString answer = next_ < answers_.size() ? answers_[next_++] : QString();
        // Typed and accepted after the dialog has settled, as a user would. A dialog that stays
        // open (a name in a missing folder) is answered again with the next name.
        QTimer::singleShot(0, dialog, [dialog, name, answer] {
            dialog->setProperty("answered", false);
            if (answer.isEmpty() || !name) {
                dialog->reject();
                return;
            }
            name->setText(answer);
            auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            QPushButton* accept = buttons ? buttons->button(QDialogButtonBox::Save) : nullptr;
            if (accept && accept->isEnabled())
                accept->click();
            else
                static_cast<QDialog*>(dialog)->accept();
        });
    }

    QTimer timer_;
    QStringList answers_;
    int next_ = 0;
    QVector<Seen> seen_;
    QStringList boxes_;
};

// An export file's lines, decoded from Windows-1251 by Qt's converter (not the program's own
// table); each line must end with CR LF, the last one included. Empty when the bytes are not
// valid Windows-1251 or a line lacks its CR LF.
inline QStringList ExportLines(const QByteArray& bytes) {
    QStringDecoder decode("windows-1251");
    if (!decode.isValid() || !bytes.endsWith("\r\n")) return {};
    const QString text = decode(bytes);
    if (decode.hasError()) return {};
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    for (const QString& line : lines)
        if (line.contains(u'\r') || line.contains(u'\n')) return {};
    return lines;
}

// A number as the export writes it, whatever its decimal separator.
inline double FieldNumber(QString field) {
    return field.replace(u',', u'.').toDouble();
}

// Makes the calling thread obey file permissions for its lifetime even when it runs as root,
// so that a read-only folder is read-only to it: the capabilities that bypass the permission
// bits leave its effective set and come back at the end.
class UnprivilegedScope {
public:
    UnprivilegedScope() {
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct dropped[2] = {saved_[0], saved_[1]};
        for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            dropped[cap / 32].effective &= ~(1u << (cap % 32));
        active_ = ::syscall(SYS_capset, &header_, dropped) == 0;
    }
    ~UnprivilegedScope() {
        if (active_) ::syscall(SYS_capset, &header_, saved_);
    }
    UnprivilegedScope(const UnprivilegedScope&) = delete;
    UnprivilegedScope& operator=(const UnprivilegedScope&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool active_ = false;
};
