#pragma once

#include <QString>

/// The updater's ten texts, chosen once from the language argument: "lang_ch" gives Chinese, any other
/// value English.
struct UpdaterTexts
{
    QString checkFailed; ///< 1
    QString downloadFailed; ///< 2
    QString extractFailed; ///< 3
    QString retry; ///< 4
    QString cancel; ///< 5
    QString checking; ///< 6
    QString downloading; ///< 7
    QString extracting; ///< 8
    QString noManifest; ///< 9
    QString confirm; ///< 10
    bool chinese = false;

    static UpdaterTexts forLanguage(const QString &languageArgument);
    static UpdaterTexts english();
    static UpdaterTexts chineseTexts();
};
