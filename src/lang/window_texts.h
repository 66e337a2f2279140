#pragma once

#include <QString>
#include <vector>

// One translatable text of a window, as designed: its ID in the window's section of a language
// file, the component and property path it goes to, and its built-in (Russian) value. Lists
// (Items, Strings, TitleCaptions, SecondaryShortCuts) hold their lines joined with CR LF.
struct tTranslatableText {
    int id;
    QString component;
    QString property;
    QString builtIn;
};

// Section "fmMain": the 179 texts of the main window.
const std::vector<tTranslatableText>& MainWindowTexts();

// Section "fmAbout": the six texts of the about window.
const std::vector<tTranslatableText>& AboutWindowTexts();
