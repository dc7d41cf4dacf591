#pragma once

#include <QString>

#include <array>

/// The values of config.xml's general and update settings that the settings page offers and the program
/// interprets, stated once: the page builds its choices from these tables, and the code that acts on a value
/// reads the same ones.
class SettingValues
{
public:
    /// Language: "lang_ch" (exactly) is Chinese; any other value is English.
    static const char *const ChineseLanguage;
    static const char *const EnglishLanguage;
    static bool isChinese(const QString &language);

    /// PageEffects: "advanced" turns the gauge's wave and breathing ring on; any other value is "normal".
    static const char *const NormalPageEffects;
    static const char *const AdvancedPageEffects;
    static bool isAdvanced(const QString &pageEffects);

    /// RefreshTimeOfMonitor: the seconds offered; any other stored value counts as the first, as the page
    /// shows it.
    static constexpr std::array<int, 4> RefreshSeconds = { 1, 3, 5, 10 };
    static int refreshIntervalMs(int seconds);

    /// CheckInterval in days: never (a number of days no check waits for), a week, a month, three months.
    static constexpr int CheckNeverDays = 10000;
    static constexpr int DefaultCheckDays = 7;
    static constexpr std::array<int, 4> CheckIntervalDays = { CheckNeverDays, 7, 30, 90 };
};
