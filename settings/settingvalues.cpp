#include "settingvalues.h"

const char *const SettingValues::ChineseLanguage = "lang_ch";
const char *const SettingValues::EnglishLanguage = "lang_en";
const char *const SettingValues::NormalPageEffects = "normal";
const char *const SettingValues::AdvancedPageEffects = "advanced";

bool SettingValues::isChinese(const QString &language)
{
    return language == QLatin1String(ChineseLanguage);
}

bool SettingValues::isAdvanced(const QString &pageEffects)
{
    return pageEffects == QLatin1String(AdvancedPageEffects);
}

int SettingValues::refreshIntervalMs(int seconds)
{
    for (int offered : RefreshSeconds) {
        if (seconds == offered)
            return seconds * 1000;
    }
    return RefreshSeconds.front() * 1000;
}
