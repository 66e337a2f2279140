#include "ui/save_dialog.h"

#include <QFileInfo>
#include <QMessageBox>

TSaveDialog::TSaveDialog(QWidget* parent, const QString& name) : QFileDialog(parent) {
    setObjectName(name);
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setSizeGripEnabled(true);
}

bool TSaveDialog::Choose(QString& fileName) {
    if (!lastFileName_.isEmpty()) selectFile(lastFileName_);
    if (exec() != QDialog::Accepted || selectedFiles().isEmpty()) return false;
    lastFileName_ = selectedFiles().constFirst();
    fileName = lastFileName_;
    return true;
}

void TSaveDialog::accept() {
    const QStringList files = selectedFiles();
    if (!files.isEmpty()) {
        const QFileInfo chosen(files.constFirst());
        const QFileInfo folder(chosen.absolutePath());
        if (!chosen.isDir() && !folder.isDir()) {
            // Qt's own words for a folder that is not there, in the language Qt speaks.
            QMessageBox::warning(
                this, windowTitle(),
                QFileDialog::tr("%1\nDirectory not found.\nPlease verify the correct directory "
                                "name was given.")
                    .arg(folder.filePath()));
            return;
        }
    }
    QFileDialog::accept();
}
