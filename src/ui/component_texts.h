#pragma once

#include <QString>
#include <functional>

#include "lang/language_controller.h"

class QObject;
class QTabWidget;

// How one translatable text is read from its component and put into it.
struct tTextAccess {
    std::function<QString()> get;
    tLanguageController::Setter set;
};

// The text `property` of the component named `name` below `root`, as a language file names it
// ("Caption", "Hint", "Items", "LeftAxis.Title.Caption", ...): actions, charts and their series,
// lists, value tables, file dialogs, menus, labels, buttons, and the pages of `pages`. An empty
// access (no setter) when the component is missing or has no such text.
tTextAccess ComponentTextAccess(QObject& root, QTabWidget* pages, const QString& name,
                                const QString& property);
