#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>
#include <mutex>
#include <shared_mutex>

#include "base/builtin_texts.h"
#include "lang/language_manager.h"
#include "model/channels.h"
#include "support/temp_folder.h"
#include "ui/mainfm.h"
#include "ui/qt_translation.h"

// A main window in a temporary folder of its own, with the settings and language files a test
// puts beside it, on a language manager of its own. What a language changes for the whole
// process (constants, channel names, the thread's string table, Qt's translation) is put back
// when the test ends, so that the next test starts in the built-in language.
class LanguageWindow {
public:
    explicit LanguageWindow(const QByteArray& settings) : savedThreadLanguage_(ThreadUILanguage()) {
        folder_.Write(QStringLiteral("mirelvane.cfg"), settings);
    }
    ~LanguageWindow() {
        window_.reset();
        {
            std::unique_lock<std::shared_mutex> guard(LangConstants().Lock());
            LangConstants().RestoreBuiltIn();
        }
        RestoreBuiltInChannelNames();
        SetThreadUILanguage(savedThreadLanguage_);
        ApplyQtTranslation(1033);  // the tests start without Qt's translation
    }

    // One of the language files that the program ships.
    void Ship(const char* name) const {
        QFile::copy(QStringLiteral(MIRELVANE_SOURCE_DIR "/config/") + QLatin1String(name),
                    folder_.Path(QLatin1String(name)));
    }
    QString Write(const QString& name, const QByteArray& content) const {
        return folder_.Write(name, content);
    }

    TfmMain& Build() {
        window_ = std::make_unique<TfmMain>(ProgramPath(), nullptr, &manager_);
        return *window_;
    }
    TfmMain& Window() const { return *window_; }
    tLanguageManager& Manager() { return manager_; }
    const TempFolder& Folder() const { return folder_; }
    QString ProgramPath() const { return folder_.Path(QStringLiteral("mirelvane")); }

private:
    int savedThreadLanguage_;
    TempFolder folder_;
    tLanguageManager manager_;
    std::unique_ptr<TfmMain> window_;
};
