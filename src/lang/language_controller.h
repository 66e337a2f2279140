#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <vector>

class tLanguageManager;
class tTranslation;
struct tTranslatableText;

// The translation controller of one window ("LangController"): the window's translatable
// texts by ID, each with its component, property path, built-in value and the setter that puts
// a text into the widget. It knows no widgets; the window supplies the setters. It registers
// with the manager for as long as it lives.
class tLanguageController {
public:
    using Setter = std::function<void(const QString&)>;
    using ListSetter = std::function<void(const QStringList&)>;

    struct Text {
        int id;
        QString component;
        QString property;
        QString builtIn;
        QString current;  // the text last applied (the built-in value until then)
        Setter setter;
    };

    // sectionName: the window's name, which names its section in language files.
    explicit tLanguageController(QString sectionName, tLanguageManager* manager = nullptr);
    ~tLanguageController();
    tLanguageController(const tLanguageController&) = delete;
    tLanguageController& operator=(const tLanguageController&) = delete;

    const QString& SectionName() const { return sectionName_; }

    // Adds one translatable text; fails on an ID that is not positive or is there already.
    void AddText(int id, const QString& component, const QString& property, const QString& builtIn,
                 Setter setter = nullptr);
    // Adds the rows of a window's table without setters; Bind gives them one.
    void AddTexts(const std::vector<tTranslatableText>& table);
    // Fails when the ID has not been added.
    void Bind(int id, Setter setter);
    // For list-valued properties: the text arrives split at its line breaks.
    void BindList(int id, ListSetter setter);
    // The value the window holds once built, when it differs from the table's.
    void SetBuiltIn(int id, const QString& value);

    int Count() const { return texts_.size(); }
    const Text& At(int index) const { return texts_[index]; }
    // Null when the ID has not been added.
    const Text* Find(int id) const;
    // The text last applied for that ID; "" when the ID has not been added.
    QString CurrentText(int id) const;

    // Sets every text with a setter: the section's text for its ID when the translation has
    // one, else the built-in value (no translation: all built-in). Then raises OnLanguageChanged.
    void Apply(const tTranslation* translation);

    // The window has been built and bound: it receives the current language.
    void Loaded();

    // Raised after texts have been applied.
    std::function<void()> OnLanguageChanged;

    // Items, Strings, TitleCaptions and SecondaryShortCuts hold a whole list.
    static bool IsListProperty(const QString& property);
    // Lines split at CR LF, CR or LF; a final line break does not start another item.
    static QStringList SplitLines(const QString& text);

private:
    Text& Require(int id);

    QString sectionName_;
    tLanguageManager* manager_;
    QVector<Text> texts_;
    QHash<int, int> indexById_;
};
