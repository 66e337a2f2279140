// The interface language of the window: the translatable texts bound to their components, the
// language chosen at start, the language menu, and the about window.
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTabWidget>

#include "app/file_locations.h"
#include "app/int_conversion.h"
#include "app/settings.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "lang/language_manager.h"
#include "lang/window_texts.h"
#include "ui/aboutfm.h"
#include "ui/chart.h"
#include "ui/component_texts.h"
#include "ui/handler_error.h"
#include "ui/mainfm.h"
#include "ui/qt_translation.h"
#include "ui/value_list_editor.h"


tLanguageManager& TfmMain::Languages() const {
    return languages_ ? *languages_ : LangManager();
}

QString TfmMain::WindowText(int id) const {
    const auto it = windowTextReaders_.constFind(id);
    return it == windowTextReaders_.constEnd() ? QString() : it.value()();
}

// Every text of the table goes to a component of this window; a row that finds none is a fault
// of the window's definition, and the window is not built.
void TfmMain::BindWindowTexts() {
    LangController = std::make_unique<tLanguageController>(objectName(), &Languages());
    LangController->AddTexts(MainWindowTexts());
    for (const tTranslatableText& text : MainWindowTexts()) {
        const tTextAccess access = ComponentTextAccess(*this, pcChart, text.component, text.property);
        if (!access.set)
            throw Exception(QStringLiteral("Translation ID %1: no property %2 of %3")
                                .arg(QString::number(text.id), text.property, text.component));
        LangController->SetBuiltIn(text.id, access.get());
        LangController->Bind(text.id, access.set);
        windowTextReaders_.insert(text.id, access.get);
    }
    LangController->OnLanguageChanged = [this] { LangControllerLanguageChanged(); };
}

void TfmMain::SetUpLanguage() {
    BindWindowTexts();
    BindAction(acHelpAbout, nullptr, &TfmMain::acHelpAboutExecute);
    try {
        tLanguageManager& languages = Languages();
        LangController->Loaded();
        languages.SetBaseLanguage(kLangRussian);
        // A later folder's file replaces an earlier one's for the same language.
        for (const QString& folder : tFileLocations(programPath_).LanguageFolders())
            languages.FindLanguageFiles(folder, QStringLiteral("*.lng"), false);
        const int wanted = languages.LanguageIndexOf(
            StrToIntDef(settings_->GetSettingByName(QStringLiteral("LanguageID")), kLangRussian));
        CreateLanguageMenu(wanted);
        ApplyLanguage(wanted);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        // The window opens all the same, in the texts it has.
        ShowHandlerError(e.Message());
    }
}

void TfmMain::CreateLanguageMenu(int checked) {
    auto* group = new QActionGroup(this);
    group->setObjectName(QStringLiteral("miFileLanguageGroup"));
    for (int n = 0; n < Languages().GetLanguageCount(); ++n) {
        auto* item = new QAction(Languages().GetLanguageNameAt(n), this);
        item->setObjectName(QStringLiteral("miFileLanguage%1").arg(n));
        item->setCheckable(true);
        item->setChecked(n == checked);
        group->addAction(item);
        miFileLanguage->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { miChangeLanguage(item); });
    }
    languageChecked_ = checked;
}

void TfmMain::ApplyLanguage(int index) {
    tLanguageManager& languages = Languages();
    const int id = languages.GetLanguageIdAt(index);
    const int base = languages.GetBaseLanguage();
    // The built-in language is made current first. The manager starts in 1033 without having
    // applied it anywhere, so a file for 1033 would otherwise never be applied; and a window
    // built later (the about window) must not take a file's texts for a language that is not in
    // force, whether the built-in one was chosen or the chosen file failed to load.
    const bool reapplies = languages.GetCurrentLanguage() != base;
    languages.SelectLanguage(base);
    SelectDesignedRanges();
    if (id == base) {
        if (!reapplies) LangControllerLanguageChanged();
        RetranslateAnalysis();
        return;
    }
    languages.SelectLanguage(id);
    for (int n = 0; n < kChannelCount; ++n)
        ChannelNames[n] = LangConst(QStringLiteral("LC_SENS_%1").arg(n));
    for (TChart* chart : Charts()) chart->RefreshLegend();
    RepaintVisibleChart();
    SelectDesignedRanges();
    SetThreadUILanguage(languages.GetCurrentLanguage());
    ApplyQtTranslation(languages.GetCurrentLanguage());
    RetranslateAnalysis();
}

// The entries selected in the window's design ("± 2g", "2000 °/сек"); the ranges' change
// handlers listen to the user's picks only, so nothing is sent.
void TfmMain::SelectDesignedRanges() {
    cbAcc->setCurrentIndex(3);
    cbGyro->setCurrentIndex(0);
}

void TfmMain::miChangeLanguage(QObject* Sender) {
    auto* item = qobject_cast<QAction*>(Sender);
    const int index = item ? miFileLanguage->actions().indexOf(item) : -1;
    if (index < 0) return;
    const QList<QAction*> items = miFileLanguage->actions();
    // Qt has moved the check already; it stays where it was until the choice is saved.
    if (QAction* checked = items.value(languageChecked_)) checked->setChecked(true);
    if (index == languageChecked_) return;
    try {
        settings_->SetSettingByName(QStringLiteral("LanguageID"),
                                    QString::number(Languages().GetLanguageIdAt(index)));
        settings_->Save(QString());
    } catch (const EAbort&) {
        return;
    } catch (const Exception& e) {
        ShowHandlerError(e.Message());
        return;
    }
    item->setChecked(true);
    languageChecked_ = index;
    QMessageBox box(QMessageBox::Information, LoadStr(20001),
                    QStringLiteral("Restart application to apply changes."), QMessageBox::Ok, this);
    box.exec();
}

// A translation gives the channel list new, unchecked boxes; the charts know which are shown.
void TfmMain::LangControllerLanguageChanged() {
    const QSignalBlocker blocker(chSeries);
    for (int i = 0; i < chAll->SeriesCount() && i < chSeries->count(); ++i)
        chSeries->item(i)->setCheckState(chAll->Series(i)->visible() ? Qt::Checked : Qt::Unchecked);
}

void TfmMain::acHelpAboutExecute() {
    try {
        TfmAbout about(this, programPath_, &Languages());
        about.exec();
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        ShowHandlerError(e.Message());
    }
}
