#include "ui/connect_notice.h"

#include <QMessageBox>

#include "base/builtin_texts.h"

void ShowConnectNotice(QWidget* parent, const QString& text) {
    const QString name = QStringLiteral("mbConnectNotice");
    auto* box = parent->findChild<QMessageBox*>(name, Qt::FindDirectChildrenOnly);
    if (!box) {
        box = new QMessageBox(QMessageBox::Warning, LoadStr(20001), QString(), QMessageBox::Ok,
                              parent);
        box->setObjectName(name);
        box->setWindowModality(Qt::NonModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        // The command that gives access is meant to be copied into a terminal.
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    box->setText(text);
    box->show();
    box->raise();
}
