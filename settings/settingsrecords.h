#pragma once

#include "settingvalues.h"

#include <QDate>
#include <QList>
#include <QPoint>
#include <QString>

// The values kept in config.xml, one record per section or module. The
// initial values are the ones a first start (or a new card) begins with.

struct GeneralSettingRecord
{
    bool StartOnBoot = true;
    bool MinimizeOnStart = false;
    bool ApplyLastParamOnStart = true;
    QString Language = QLatin1String(SettingValues::ChineseLanguage);
    qint32 RefreshTimeOfMonitor = SettingValues::RefreshSeconds.front();
    QString PageEffects = QLatin1String(SettingValues::NormalPageEffects);

    bool operator==(const GeneralSettingRecord &o) const
    {
        return StartOnBoot == o.StartOnBoot && MinimizeOnStart == o.MinimizeOnStart
            && ApplyLastParamOnStart == o.ApplyLastParamOnStart && Language == o.Language
            && RefreshTimeOfMonitor == o.RefreshTimeOfMonitor && PageEffects == o.PageEffects;
    }
    bool operator!=(const GeneralSettingRecord &o) const { return !(*this == o); }
};

struct UpdateSettingRecord
{
    qint32 CheckInterval = SettingValues::DefaultCheckDays;
    qint32 UpdateMode = 0;
    qint32 UpdateStatus = 1;

    bool operator==(const UpdateSettingRecord &o) const
    {
        return CheckInterval == o.CheckInterval && UpdateMode == o.UpdateMode
            && UpdateStatus == o.UpdateStatus;
    }
    bool operator!=(const UpdateSettingRecord &o) const { return !(*this == o); }
};

struct AdjustRecord
{
    qint32 GpuFreClock = -1;
    qint32 FanSpeedLevel = -1;
    qint32 Voltage = -1;
    qint32 MemoryFreClock = -1;
    qint32 Power = -1;
    qint32 Temperature = -1;
    bool LinkOfPowerWithTemperature = false;
    qint32 FanMode = 0;
    // Fan curve: x = temperature in degrees C, y = fan speed in percent.
    QList<QPoint> Nodes;
    bool EnableHighPerformance = false;

    bool operator==(const AdjustRecord &o) const
    {
        return GpuFreClock == o.GpuFreClock && FanSpeedLevel == o.FanSpeedLevel && Voltage == o.Voltage
            && MemoryFreClock == o.MemoryFreClock && Power == o.Power && Temperature == o.Temperature
            && LinkOfPowerWithTemperature == o.LinkOfPowerWithTemperature && FanMode == o.FanMode
            && Nodes == o.Nodes && EnableHighPerformance == o.EnableHighPerformance;
    }
    bool operator!=(const AdjustRecord &o) const { return !(*this == o); }
};

struct LedRecord
{
    // White with alpha 0, the colour every custom button starts with.
    static constexpr quint32 InitialColor = 0x00FFFFFFu;

    qint32 LedMode = 1;
    quint8 CheckedColorButtonStatic = 1;
    quint8 CheckedColorButtonDynamic = 0;
    qint32 Interval = 2;
    // Colours as 0xAARRGGBB.
    quint32 Color1 = InitialColor;
    quint32 Color2 = InitialColor;
    quint32 Color3 = InitialColor;
    quint32 Color4 = InitialColor;
    quint32 Color5 = InitialColor;
    quint32 Color6 = InitialColor;
    quint32 Color7 = InitialColor;

    bool operator==(const LedRecord &o) const
    {
        return LedMode == o.LedMode && CheckedColorButtonStatic == o.CheckedColorButtonStatic
            && CheckedColorButtonDynamic == o.CheckedColorButtonDynamic && Interval == o.Interval
            && Color1 == o.Color1 && Color2 == o.Color2 && Color3 == o.Color3 && Color4 == o.Color4
            && Color5 == o.Color5 && Color6 == o.Color6 && Color7 == o.Color7;
    }
    bool operator!=(const LedRecord &o) const { return !(*this == o); }
};

struct LcdRecord
{
    bool AutoSwitch = true;
    quint32 SwitchTime = 10;
    quint32 ModifierKey = 17;
    quint32 NormalKey = 49;
    bool EnableLcd = true;

    bool operator==(const LcdRecord &o) const
    {
        return AutoSwitch == o.AutoSwitch && SwitchTime == o.SwitchTime && ModifierKey == o.ModifierKey
            && NormalKey == o.NormalKey && EnableLcd == o.EnableLcd;
    }
    bool operator!=(const LcdRecord &o) const { return !(*this == o); }
};

// One stored card, identified by (GpuName, SubSystemId), name compared
// case-sensitively.
struct GpuEntry
{
    QString GpuName;
    quint32 SubSystemId = 0;
    quint32 SelectOption = 0;
    AdjustRecord adjust;
    LedRecord led;
    LcdRecord lcd;

    bool matches(const QString &gpuName, quint32 subSystemId) const
    {
        return GpuName == gpuName && SubSystemId == subSystemId;
    }
};

/// The OtherSetting element.
struct OtherSettingRecord
{
    bool NotPromptHPS = false;
};

/// The four date elements, each holding only its date as text.
struct ConfigDates
{
    QDate LastCloseDate;
    QDate LastStartDate;
    QDate LastCheckDate;
    QDate LastUpdateDate;
};
