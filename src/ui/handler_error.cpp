#include "ui/handler_error.h"

#include <QMessageBox>

void ShowHandlerError(const QString& message) {
    QString text = message;
    if (!text.isEmpty() && text.back() > QChar(u'.')) text += u'.';
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Mirelvane"), text, QMessageBox::Ok);
    box.exec();
}
