#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "lang/language_controller.h"

class QFrame;
class QLabel;
class QPushButton;
class tLanguageManager;

// The about window: the logo, and the program's name, version and legal notice from the
// version block of its executable, with a badge that opens the toolkit's web site. It keeps
// nothing between openings; each one builds a window of its own.
//
// Components are public members named as in the window definition, each with its name as
// objectName.
class TfmAbout : public QDialog {
    Q_OBJECT
public:
    // programFile: the executable whose version block is shown; "" for this program's own.
    // languages: the manager that translates the window; the process's one when null.
    explicit TfmAbout(QWidget* owner, const QString& programFile = QString(),
                      tLanguageManager* languages = nullptr);
    ~TfmAbout() override;

    // The badge's web address, which a language file may change.
    QString PoweredByUrl() const;

    QFrame* pnMain = nullptr;
    QFrame* pnLogo = nullptr;
    QLabel* imLogo = nullptr;
    QLabel* lbFileName = nullptr;
    QLabel* lbVersion = nullptr;
    QLabel* lbCopyright = nullptr;
    QLabel* lnkPoweredBy = nullptr;
    QPushButton* bnOk = nullptr;
    std::unique_ptr<tLanguageController> LangController;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateComponents();
    void CreateLabels();
    void CreateBadge();
    void BindTexts(tLanguageManager& languages);
    void ShowVersionBlock(const QString& programFile);
};
