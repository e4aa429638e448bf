#pragma once

#include <QLocale>
#include <QStringList>

// Finds and installs the translation of the program's texts for the user's
// locale: brimvale_<language>.qm (brimvale_de.qm, ...) in the translations
// folder beside the program (the build folder) or in the installed
// share/brimvale/translations, and Qt's own texts for the same language
// where the system has them. English needs no file.
class CTranslationLoader
{
public:
    // The folders looked in, in order, for a program in `programDir`.
    static QStringList SearchFolders(const QString &programDir);

    // Installs the translation for `locale` into the application (which
    // must exist). Returns the path of the program's translation file that
    // was installed, or an empty string when there is none for the locale.
    static QString Install(const QLocale &locale, const QStringList &folders);
    // The same for the user's locale and the program's own folders.
    static QString Install();
};
