#pragma once

// Qt's own texts (dialog buttons, print and preview dialogs) in the user's language, for the
// window and the command line's preview alike.

class QLocale;

// Loads Qt's own translation for the locale into the application; false when there is none.
bool InstallQtTranslation(const QLocale& locale);
