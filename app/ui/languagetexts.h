#pragma once

#include "lang_boardtemp.h"
#include "lang_breathcircle.h"
#include "lang_fixedinfo.h"
#include "lang_lcdcontrol.h"
#include "lang_ledcontrol.h"
#include "lang_mainwindow.h"
#include "lang_overclocking.h"
#include "lang_settings.h"
#include "languagetype.h"
#include "monitorpagetexts.h"

#include <QString>

/// The table of every language-dependent UI text. Views receive their sub-record and the language and never
/// choose texts themselves.
class LanguageTexts
{
public:
    static constexpr int EntryCount = 96;

    /// The Language setting "lang_ch" (exactly) selects Chinese; any other value selects English.
    static LanguageType languageForSetting(const QString &setting);

    void fill(LanguageType language);
    LanguageType language() const { return m_language; }

    /// Entry 0, shown when start-up finds no card.
    const QString &noCardFound() const { return m_noCardFound; }
    const Lang_MainWindow &mainWindow() const { return m_mainWindow; }
    const Lang_BreathCircle &breathCircle() const { return m_breathCircle; }
    const Lang_Settings &settings() const { return m_settings; }
    const Lang_FixedInfo &fixedInfo() const { return m_fixedInfo; }
    const Lang_LcdControl &lcdControl() const { return m_lcdControl; }
    const Lang_LedControl &ledControl() const { return m_ledControl; }
    const MonitorPageTexts &monitorPage() const { return m_monitorPage; }
    const Lang_OverClocking &overClocking() const { return m_overClocking; }
    const Lang_BoardTemp &boardTemp() const { return m_boardTemp; }

    /// The text of one entry by its number; empty outside 0 to 95.
    QString text(int entry) const;

private:
    void fillChinese();
    void fillEnglish();

    LanguageType m_language = Chinese;
    QString m_noCardFound = QStringLiteral("未发现英伟达显卡!");
    Lang_MainWindow m_mainWindow;
    Lang_BreathCircle m_breathCircle;
    Lang_Settings m_settings;
    Lang_FixedInfo m_fixedInfo;
    Lang_LcdControl m_lcdControl;
    Lang_LedControl m_ledControl;
    MonitorPageTexts m_monitorPage;
    Lang_OverClocking m_overClocking;
    Lang_BoardTemp m_boardTemp;
};
