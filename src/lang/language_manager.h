#pragma once

#include <QString>
#include <QVector>
#include <shared_mutex>

class tLangConstants;
class tLanguageController;
class tTranslation;

// Keeps the texts that change with the interface language: the constants table and the
// translatable texts of every window with a controller. Knows the available language files,
// reads them and applies them. Readers of constants may be any thread; registration, selection
// and the application of texts to windows belong to the main thread.
class tLanguageManager {
public:
    // constants: the table it fills with translations; the process's one table by default.
    explicit tLanguageManager(tLangConstants* constants = nullptr);
    ~tLanguageManager();
    tLanguageManager(const tLanguageManager&) = delete;
    tLanguageManager& operator=(const tLanguageManager&) = delete;

    // The language of the built-in texts. Nothing is re-applied.
    void SetBaseLanguage(int languageId);
    int GetBaseLanguage() const;

    // Offers every entry of the folder that matches the mask, sorted by name, to AddLanguageFile
    // (subfolders whose names do not begin with "." too, when asked). Returns how many were
    // accepted. A file that cannot be read fails; the entries after it are not offered.
    int FindLanguageFiles(const QString& folder, const QString& mask, bool includeSubfolders);
    // True when the file names a language (the base language included, which is not listed).
    // A repeated identifier takes the new path at its old place.
    bool AddLanguageFile(const QString& path);

    // Index 0 is the base language; index i is the i-th language file found.
    int GetLanguageCount() const;
    int GetLanguageIdAt(int index) const;
    QString GetLanguagePathAt(int index) const;  // "" for the base language
    QString GetLanguageNameAt(int index) const;
    // 0 for the base language and for identifiers that no file has.
    int LanguageIndexOf(int languageId) const;

    // Makes the language current and applies its texts to the constants and every window; the
    // base language, or one that no file has, restores the built-in texts. Does nothing when the
    // language is current already. A file that fails to load changes nothing.
    void SelectLanguage(int languageId);
    int GetCurrentLanguage() const;
    // The 8-bit code page of the current language.
    int GetCodePage() const;

    // A window that has just been built receives the current language, when that is a file's.
    void TranslateWindow(tLanguageController& controller);

    // The constant's current text; fails with "Constant \"<name>\" not found".
    QString GetConstant(const QString& name) const;

    // By the controllers themselves, as they are created and destroyed.
    void RegisterController(tLanguageController* controller);
    void UnregisterController(tLanguageController* controller);

private:
    struct LanguageEntry {
        int id;
        QString path;
    };

    int EntryIndexOf(int languageId) const;  // under the lock
    void RequireIndex(int index) const;      // under the lock
    void ApplyToConstants(const tTranslation* translation);

    mutable std::shared_mutex lock_;
    tLangConstants* constants_;
    int baseLanguage_;
    int currentLanguage_;
    int codePage_;
    QVector<LanguageEntry> languages_;
    QVector<tLanguageController*> controllers_;
};

// The process's one manager, created on first use.
tLanguageManager& LangManager();
