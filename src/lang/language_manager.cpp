#include "lang/language_manager.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <mutex>
#include <optional>

#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "lang/language_controller.h"
#include "lang/language_file.h"
#include "lang/language_ids.h"

namespace {
using ReadLock = std::shared_lock<std::shared_mutex>;
using WriteLock = std::unique_lock<std::shared_mutex>;

// Walks one folder; visited holds the folders seen, so that a link back up ends the walk.
int FindIn(tLanguageManager& manager, const QString& folder, const QString& mask,
           bool includeSubfolders, QSet<QString>& visited) {
    const QDir dir(folder);
    visited.insert(dir.canonicalPath());
    const QFileInfoList entries = dir.entryInfoList(
        QStringList{mask}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
        QDir::Name);
    int accepted = 0;
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            if (includeSubfolders && !entry.fileName().startsWith(u'.') &&
                !visited.contains(entry.canonicalFilePath()))
                accepted += FindIn(manager, entry.filePath(), mask, true, visited);
        } else if (manager.AddLanguageFile(entry.filePath())) {
            ++accepted;
        }
    }
    return accepted;
}
}  // namespace

tLanguageManager::tLanguageManager(tLangConstants* constants)
    : constants_(constants ? constants : &LangConstants()),
      baseLanguage_(kLangEnglish),
      currentLanguage_(kLangEnglish),
      codePage_(CodePageForLanguageId(kLangEnglish)) {
    WriteLock guard(constants_->Lock());
    constants_->RestoreBuiltIn();
}

tLanguageManager::~tLanguageManager() = default;

void tLanguageManager::SetBaseLanguage(int languageId) {
    WriteLock guard(lock_);
    baseLanguage_ = languageId;
}

int tLanguageManager::GetBaseLanguage() const {
    ReadLock guard(lock_);
    return baseLanguage_;
}

int tLanguageManager::FindLanguageFiles(const QString& folder, const QString& mask,
                                        bool includeSubfolders) {
    QSet<QString> visited;
    return FindIn(*this, folder, mask, includeSubfolders, visited);
}

bool tLanguageManager::AddLanguageFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) return false;
    // Read without the lock: constant lookups of other threads need not wait for the disk.
    const int id = ReadLanguageFileHeader(path).LanguageId();
    if (id == 0) return false;
    WriteLock guard(lock_);
    if (id == baseLanguage_) return true;
    const int index = EntryIndexOf(id);
    if (index >= 0)
        languages_[index].path = info.absoluteFilePath();
    else
        languages_.append({id, info.absoluteFilePath()});
    return true;
}

int tLanguageManager::GetLanguageCount() const {
    ReadLock guard(lock_);
    return languages_.size() + 1;
}

int tLanguageManager::GetLanguageIdAt(int index) const {
    ReadLock guard(lock_);
    RequireIndex(index);
    return index == 0 ? baseLanguage_ : languages_[index - 1].id;
}

QString tLanguageManager::GetLanguagePathAt(int index) const {
    ReadLock guard(lock_);
    RequireIndex(index);
    return index == 0 ? QString() : languages_[index - 1].path;
}

QString tLanguageManager::GetLanguageNameAt(int index) const {
    return LanguageDisplayName(GetLanguageIdAt(index));
}

int tLanguageManager::LanguageIndexOf(int languageId) const {
    ReadLock guard(lock_);
    if (languageId == baseLanguage_) return 0;
    return EntryIndexOf(languageId) + 1;
}

void tLanguageManager::SelectLanguage(int languageId) {
    int target;
    QString path;
    {
        ReadLock guard(lock_);
        const int index = languageId == baseLanguage_ ? -1 : EntryIndexOf(languageId);
        target = index < 0 ? baseLanguage_ : languageId;
        if (target == currentLanguage_) return;
        if (index >= 0) path = languages_[index].path;
    }
    // A file that fails to load leaves everything as it was.
    std::optional<tTranslation> translation;
    if (!path.isEmpty()) translation = ReadLanguageFile(path);
    {
        WriteLock guard(lock_);
        currentLanguage_ = target;
        codePage_ = CodePageForLanguageId(target);
    }
    const tTranslation* applied = translation ? &*translation : nullptr;
    ApplyToConstants(applied);
    QVector<tLanguageController*> controllers;
    {
        ReadLock guard(lock_);
        controllers = controllers_;
    }
    // No lock while the windows' setters and handlers run: they may look up constants.
    for (tLanguageController* controller : controllers) controller->Apply(applied);
}

int tLanguageManager::GetCurrentLanguage() const {
    ReadLock guard(lock_);
    return currentLanguage_;
}

int tLanguageManager::GetCodePage() const {
    ReadLock guard(lock_);
    return codePage_;
}

void tLanguageManager::TranslateWindow(tLanguageController& controller) {
    QString path;
    {
        ReadLock guard(lock_);
        if (currentLanguage_ == baseLanguage_) return;
        const int index = EntryIndexOf(currentLanguage_);
        if (index < 0) return;
        path = languages_[index].path;
    }
    const tTranslation translation = ReadLanguageFile(path);
    controller.Apply(&translation);
}

QString tLanguageManager::GetConstant(const QString& name) const {
    return constants_->GetConstant(name);
}

void tLanguageManager::RegisterController(tLanguageController* controller) {
    WriteLock guard(lock_);
    if (!controllers_.contains(controller)) controllers_.append(controller);
}

void tLanguageManager::UnregisterController(tLanguageController* controller) {
    WriteLock guard(lock_);
    controllers_.removeAll(controller);
}

int tLanguageManager::EntryIndexOf(int languageId) const {
    for (int i = 0; i < languages_.size(); ++i)
        if (languages_[i].id == languageId) return i;
    return -1;
}

void tLanguageManager::RequireIndex(int index) const {
    if (index < 0 || index > languages_.size())
        throw Exception(QStringLiteral("Language index out of bounds (%1)").arg(index));
}

// A constant that the translation leaves out takes its built-in text, not the text of a
// language selected before.
void tLanguageManager::ApplyToConstants(const tTranslation* translation) {
    WriteLock guard(constants_->Lock());
    constants_->RestoreBuiltIn();
    if (!translation) return;
    for (int i = 0; i < constants_->Count(); ++i) {
        const QString name = constants_->At(i).name;
        QString text;
        if (translation->FindConstant(name, &text)) constants_->SetCurrent(name, text);
    }
}

tLanguageManager& LangManager() {
    static tLanguageManager manager;
    return manager;
}
