#pragma once

#include <QFileDialog>
#include <QList>

class QCheckBox;

// The export's save dialog: Qt's own file dialog (the same on every desktop), without an
// overwrite question, that stays open while the chosen name lies in a folder that does not
// exist, so that a name it returns can always be written into an existing folder.
class TSaveDialog : public QFileDialog {
    Q_OBJECT
public:
    TSaveDialog(QWidget* parent, const QString& name);

    // The file last chosen, empty until one was; the dialog opens with it.
    const QString& LastFileName() const { return lastFileName_; }
    // Shows the dialog; true with `fileName` set when the user chose a file.
    bool Choose(QString& fileName);
    // A check box under the dialog's own fields, unchecked.
    QCheckBox* AddCheckBox(const QString& name);

protected:
    void accept() override;
    void showEvent(QShowEvent* event) override;

private:
    void KeepNameOnFilterChange();
    void PlaceCheckBoxes();

    QString lastFileName_;
    // The name field's text and the one before it.
    QString name_;
    QString previousName_;
    bool watchingName_ = false;
    QList<QCheckBox*> unplaced_;
};
