#pragma once

#include <QString>
#include <QStringList>

/// Texts of the settings page.
/// The defaults are the Chinese texts: a view not yet given its texts shows Chinese.
struct Lang_Settings
{
    QString intervalNone = QStringLiteral("从不");
    QString intervalOneWeek = QStringLiteral("一周");
    QString intervalOneMonth = QStringLiteral("一个月");
    QString intervalThreeMonths = QStringLiteral("三个月");
    QString setting = QStringLiteral("设置选项");
    QString boot = QStringLiteral("软件启动");
    QString startOnBoot = QStringLiteral("开机自启动软件");
    QString minimizeOnStart = QStringLiteral("启动后自动最小化");
    QString applyLastSettingOnStart = QStringLiteral("启动自动应用上次配置");
    QString language = QStringLiteral("语言");
    QString monitor = QStringLiteral("监控窗体");
    QString updateInOnline = QStringLiteral("在线更新");
    QString updateFrequency = QStringLiteral("软件检测更新频率");
    QString automaticDownloadAndInstall = QStringLiteral("自动下载更新并安装");
    QString downloadButLetMeChoose = QStringLiteral("自动下载更新但让我选择是否更新");
    QString tellMeButDoNotDownload = QStringLiteral("通知我但不自动下载");
    QString refreshTime = QStringLiteral("刷新频率");
    QString detectUpdate = QStringLiteral("检测更新");
    QString pageEffect = QStringLiteral("界面效果");
    QString pageEffectNormal = QStringLiteral("普通");
    QString pageEffectAdvanced = QStringLiteral("高级");
    QString updateLog = QStringLiteral("更新日志");

    static constexpr int Count = 22;

    /// In table order.
    QStringList texts() const
    {
        return { intervalNone, intervalOneWeek, intervalOneMonth, intervalThreeMonths, setting, boot,
            startOnBoot, minimizeOnStart, applyLastSettingOnStart, language, monitor, updateInOnline,
            updateFrequency, automaticDownloadAndInstall, downloadButLetMeChoose, tellMeButDoNotDownload,
            refreshTime, detectUpdate, pageEffect, pageEffectNormal, pageEffectAdvanced, updateLog };
    }
};
