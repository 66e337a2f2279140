#include "ui/mainfm.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>

#include "app/settings.h"
#include "lang/builtin_texts.h"

namespace {
QString SettingsPath(const QString& programPath) {
    const QFileInfo info(programPath);
    return QDir(info.absolutePath()).filePath(info.completeBaseName() + QStringLiteral(".cfg"));
}
}  // namespace

TfmMain::TfmMain(const QString& programPath, QWidget* parent)
    : QMainWindow(parent), programPath_(programPath), settings_(std::make_unique<tSettings>(false)) {
    setObjectName(QStringLiteral("fmMain"));
    settings_->Load(SettingsPath(programPath));
    setWindowTitle(QStringLiteral("Mirelvane"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/mirelvane.svg")));
    resize(1032, 654);
}

TfmMain::~TfmMain() = default;

void TfmMain::RestoreFromOtherInstance() {
    showNormal();
    raise();
    activateWindow();
}

bool TfmMain::FormCloseQuery() {
    QMessageBox box(QMessageBox::Question, LoadStr(20003), LoadStr(5003),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TfmMain::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}
