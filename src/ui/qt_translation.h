#pragma once

// Installs Qt's own translation of its standard dialogs and buttons for an interface language:
// Russian for Russian and Kazakh (Qt has no Kazakh one), none for the others.
void ApplyQtTranslation(int languageId);
