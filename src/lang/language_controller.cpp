#include "lang/language_controller.h"

#include "base/exceptions.h"
#include "lang/language_file.h"
#include "lang/language_manager.h"
#include "lang/window_texts.h"

tLanguageController::tLanguageController(QString sectionName, tLanguageManager* manager)
    : sectionName_(std::move(sectionName)), manager_(manager ? manager : &LangManager()) {
    manager_->RegisterController(this);
}

tLanguageController::~tLanguageController() {
    manager_->UnregisterController(this);
}

void tLanguageController::AddText(int id, const QString& component, const QString& property,
                                  const QString& builtIn, Setter setter) {
    if (id <= 0 || indexById_.contains(id))
        throw Exception(QStringLiteral("Translation ID %1 of %2 is not positive or not unique")
                            .arg(QString::number(id), sectionName_));
    indexById_.insert(id, texts_.size());
    texts_.append({id, component, property, builtIn, builtIn, std::move(setter)});
}

void tLanguageController::AddTexts(const std::vector<tTranslatableText>& table) {
    for (const tTranslatableText& row : table)
        AddText(row.id, row.component, row.property, row.builtIn);
}

tLanguageController::Text& tLanguageController::Require(int id) {
    const auto it = indexById_.constFind(id);
    if (it == indexById_.constEnd())
        throw Exception(QStringLiteral("Translation ID %1 of %2 is not known")
                            .arg(QString::number(id), sectionName_));
    return texts_[it.value()];
}

void tLanguageController::Bind(int id, Setter setter) {
    Require(id).setter = std::move(setter);
}

void tLanguageController::BindList(int id, ListSetter setter) {
    Require(id).setter = [setter = std::move(setter)](const QString& text) {
        setter(SplitLines(text));
    };
}

void tLanguageController::SetBuiltIn(int id, const QString& value) {
    Text& text = Require(id);
    text.builtIn = value;
    text.current = value;
}

const tLanguageController::Text* tLanguageController::Find(int id) const {
    const auto it = indexById_.constFind(id);
    return it == indexById_.constEnd() ? nullptr : &texts_[it.value()];
}

QString tLanguageController::CurrentText(int id) const {
    const Text* text = Find(id);
    return text ? text->current : QString();
}

void tLanguageController::Apply(const tTranslation* translation) {
    const QHash<int, QString>* section = translation ? translation->Section(sectionName_) : nullptr;
    for (Text& text : texts_) {
        const auto it =
            section ? section->constFind(text.id) : QHash<int, QString>::const_iterator();
        text.current = section && it != section->constEnd() ? it.value() : text.builtIn;
        if (text.setter) text.setter(text.current);
    }
    if (OnLanguageChanged) OnLanguageChanged();
}

void tLanguageController::Loaded() {
    manager_->TranslateWindow(*this);
}

bool tLanguageController::IsListProperty(const QString& property) {
    for (const char* name : {"Items", "Strings", "TitleCaptions", "SecondaryShortCuts"})
        if (property.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
    return false;
}

QStringList tLanguageController::SplitLines(const QString& text) {
    return SplitTextLines(text);
}
