#pragma once

#include "officialwebsite.h"

#include <QString>
#include <QStringList>

/// Texts of the main window, its tray menu and the update check.
/// The defaults are the Chinese texts: a view not yet given its texts shows Chinese.
struct Lang_MainWindow
{
    QString adjust = QStringLiteral("调节选项");
    QString monitor = QStringLiteral("监控窗口");
    QString boardTemp = QStringLiteral("板卡温度");
    QString trayDisplay = QStringLiteral("显示");
    QString trayExit = QStringLiteral("退出");
    QString exitQuestion = QStringLiteral("确定退出程序吗?");
    QString adjustWarning = QStringLiteral("不正当的调节可能造成系统不稳定，严重可能损坏显卡，是否继续?");
    QString outdatedVersion
        = QStringLiteral("检测到新版本LumetraII，但当前版本太旧，不支持自动更新到新版本，您可以前往官网(")
        + QLatin1String(OfficialWebSite) + QStringLiteral(")下载LumetraII 最新版本。");
    QString updaterStartFailed = QStringLiteral("自动更新程序启动失败！");
    QString updateQuestion = QStringLiteral("检测到Lumetra II 新版本，是否更新？");
    QString latestVersion = QStringLiteral("当前LumetraII为最新版本！");
    QString highPerformanceHint = QStringLiteral("检测到GeForce GTX 1070 Ti，可激活高性能模式。");
    QString highPerformanceSwitch = QStringLiteral("开     关");

    // Beyond the table: the manual update check that could not reach the server, and the settings file
    // that could not be read (%1 is the name it was kept under).
    QString updateCheckFailed = QStringLiteral("无法检查更新：连接不到更新服务器，请稍后再试。");
    QString damagedSettings
        = QStringLiteral("设置文件 config.xml 已损坏，已另存为 %1，程序将以默认设置启动。");
    // A newer version for a program the package manager installed: the package manager updates it.
    QString updateByPackageManager = QStringLiteral(
        "检测到LumetraII 新版本。本程序由系统的软件包管理器安装，请通过软件包管理器（例如 apt）更新。");

    static constexpr int Count = 13;

    /// In table order.
    QStringList texts() const
    {
        return { adjust, monitor, boardTemp, trayDisplay, trayExit, exitQuestion, adjustWarning,
            outdatedVersion, updaterStartFailed, updateQuestion, latestVersion, highPerformanceHint,
            highPerformanceSwitch };
    }
};
