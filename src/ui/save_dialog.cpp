#include "ui/save_dialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
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

QCheckBox* TSaveDialog::AddCheckBox(const QString& name) {
    auto* box = new QCheckBox(this);
    box->setObjectName(name);
    unplaced_ << box;
    PlaceCheckBoxes();
    return box;
}

// Qt builds the dialog's own layout lazily; boxes added before it exists wait for the show.
void TSaveDialog::PlaceCheckBoxes() {
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!grid) return;
    for (QCheckBox* box : unplaced_) grid->addWidget(box, grid->rowCount(), 0, 1, -1);
    unplaced_.clear();
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

void TSaveDialog::showEvent(QShowEvent* event) {
    // The dialog's own widgets exist once it shows.
    if (!watchingName_) KeepNameOnFilterChange();
    PlaceCheckBoxes();
    QFileDialog::showEvent(event);
}

// Choosing a filter makes Qt give the typed name the filter's extension; for "*.*" that is
// "*", which names no file. The name as it was before stays instead.
void TSaveDialog::KeepNameOnFilterChange() {
    auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name) return;
    watchingName_ = true;
    name_ = name->text();
    connect(name, &QLineEdit::textChanged, this, [this](const QString& text) {
        previousName_ = name_;
        name_ = text;
    });
    connect(this, &QFileDialog::filterSelected, this, [this, name] {
        const auto wild = [](const QString& file) {
            return QFileInfo(file).suffix().contains(u'*');
        };
        if (wild(name->text()) && !wild(previousName_)) name->setText(previousName_);
    });
}
