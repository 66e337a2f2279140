#pragma once

#include <QString>
#include <QVector>
#include <shared_mutex>

// Language identifiers of the two built-in string tables.
constexpr int kLangRussian = 1049;
constexpr int kLangKazakh = 1087;

// The named constants ("LC_..."): built-in Russian texts, replaced by language files through
// the language manager. Kept sorted by name; names compare without regard to case.
class tLangConstants {
public:
    struct Entry {
        QString name;
        QString builtIn;
        QString current;
    };

    tLangConstants();

    // -1 when the name is not in the table.
    int IndexOf(const QString& name) const;
    // Throws Exception "Constant \"<name>\" not found".
    QString GetConstant(const QString& name) const;
    // False when the name is not in the table.
    bool SetCurrent(const QString& name, const QString& text);
    void RestoreBuiltIn();

    int Count() const { return entries_.size(); }
    const Entry& At(int index) const { return entries_[index]; }

    // Guards the current texts; the language manager takes it exclusively while it applies a
    // language, LangConst shares it.
    std::shared_mutex& Lock() const { return lock_; }

private:
    QVector<Entry> entries_;
    mutable std::shared_mutex lock_;
};

// The process's one constants table.
tLangConstants& LangConstants();

// The current text of a named constant.
QString LangConst(const QString& name);

// The string resource `id` from the calling thread's string table; "" when it has none.
QString LoadStr(int id);
QString LoadStr(int id, int languageId);

// The calling thread's interface language for LoadStr. Until a thread sets one, it follows
// LANG / LC_MESSAGES: "kk" gives Kazakh, anything else Russian.
void SetThreadUILanguage(int languageId);
int ThreadUILanguage();
