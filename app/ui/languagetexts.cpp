#include "languagetexts.h"

#include "settingvalues.h"

#include <QStringList>

namespace {

Lang_MainWindow englishMainWindow()
{
    Lang_MainWindow t;
    t.adjust = QStringLiteral("Adjust");
    t.monitor = QStringLiteral("Monitor");
    t.boardTemp = QStringLiteral("Temp");
    t.trayDisplay = QStringLiteral("Display");
    t.trayExit = QStringLiteral("Exit");
    t.exitQuestion = QStringLiteral("Exit program?");
    t.adjustWarning = QStringLiteral(
        "Any improper adjustment may make system unstable,or damage the graphic card critically,continue?");
    t.outdatedVersion = QStringLiteral("New version detected，and your current version is not support for "
                                       "auto update, please go to our official website(")
        + QLatin1String(OfficialWebSite) + QStringLiteral(") to download the latest version.");
    t.updaterStartFailed = QStringLiteral("Failed to initialize auto update.");
    t.updateQuestion = QStringLiteral("New version detected ,update now?");
    t.latestVersion = QStringLiteral("This is the latest version.");
    t.highPerformanceHint
        = QStringLiteral("GeForce GTX 1070 Ti detected,unlock high performance mode via this button.");
    t.highPerformanceSwitch = QStringLiteral("On   Off");
    t.updateCheckFailed = QStringLiteral(
        "Could not check for updates: the update server cannot be reached. Try again later.");
    t.damagedSettings = QStringLiteral("The settings file config.xml was damaged. It was kept as %1, and the "
                                       "program starts with the default "
                                       "settings.");
    t.updateByPackageManager
        = QStringLiteral("A new version of LumetraII is available. It was installed by "
                         "your package manager: update it there (with apt, for example).");
    return t;
}

Lang_BreathCircle englishBreathCircle()
{
    Lang_BreathCircle t;
    t.clock = QStringLiteral("C L O C K");
    t.temperature = QStringLiteral("T E M P");
    t.memory = QStringLiteral("M E M O R Y");
    t.preset = QStringLiteral("Preset ");
    t.present = QStringLiteral("Present ");
    t.decrease = QStringLiteral("Dec ");
    t.increase = QStringLiteral("Inc ");
    return t;
}

Lang_Settings englishSettings()
{
    Lang_Settings t;
    t.intervalNone = QStringLiteral("None");
    t.intervalOneWeek = QStringLiteral("One week");
    t.intervalOneMonth = QStringLiteral("One month");
    t.intervalThreeMonths = QStringLiteral("Three months");
    t.setting = QStringLiteral("Settings");
    t.boot = QStringLiteral("Startup");
    t.startOnBoot = QStringLiteral("Automatically start Lumetra II when I log on to windows");
    t.minimizeOnStart = QStringLiteral("Minimize Lumetra II when it starts");
    t.applyLastSettingOnStart = QStringLiteral("Apply last settings each time Lumetra II starts");
    t.language = QStringLiteral("Language");
    t.monitor = QStringLiteral("Monitor setting");
    t.updateInOnline = QStringLiteral("Live update");
    t.updateFrequency = QStringLiteral("Update check frequency");
    t.automaticDownloadAndInstall = QStringLiteral("Download updates and install them");
    t.downloadButLetMeChoose = QStringLiteral("Download updates but let me choose whether to install them");
    t.tellMeButDoNotDownload = QStringLiteral("Notify me but not download automatically ");
    t.refreshTime = QStringLiteral("Refresh frequency");
    t.detectUpdate = QStringLiteral("Detection Update");
    t.pageEffect = QStringLiteral("Effects");
    t.pageEffectNormal = QStringLiteral("Normal");
    t.pageEffectAdvanced = QStringLiteral("Advanced");
    t.updateLog = QStringLiteral("History");
    return t;
}

Lang_FixedInfo englishFixedInfo()
{
    Lang_FixedInfo t;
    t.busWidth = QStringLiteral("Bus Width");
    t.bandWidth = QStringLiteral("Band Width");
    t.memType = QStringLiteral("Mem Type");
    t.memSize = QStringLiteral("Mem Size");
    t.gpuClock = QStringLiteral("GPU Clock");
    t.memClock = QStringLiteral("Mem Clock");
    t.customizedGpuClock = QStringLiteral("Customized GPU  Clk");
    t.increase = QStringLiteral("Inc");
    t.decrease = QStringLiteral("Dec");
    t.customizedMemClock = QStringLiteral("Customized Mem Clk");
    t.biosVersion = QStringLiteral("BIOS Version");
    t.cardInfo = QStringLiteral("Card Info");
    return t;
}

Lang_LcdControl englishLcdControl()
{
    Lang_LcdControl t;
    t.switchLcd = QStringLiteral("Turn on/off LCD");
    t.lcdControl = QStringLiteral("LCD Control");
    t.switchAutomatically = QStringLiteral("Switch Automatically");
    t.switchManually = QStringLiteral("Switch Manually");
    t.time = QStringLiteral("Time:");
    t.hotkey = QStringLiteral("Hotkey:");
    t.apply = QStringLiteral("Apply");
    t.cancel = QStringLiteral("Cancel");
    t.applyQuestion = QStringLiteral("Apply these settings?");
    t.hotkeyUnavailable
        = QStringLiteral("This hotkey is used by another program, please choose another one.");
    return t;
}

Lang_LedControl englishLedControl()
{
    Lang_LedControl t;
    t.singleBreath = QStringLiteral("Breath");
    t.singleBright = QStringLiteral("Bright");
    t.multipleBreath = QStringLiteral("Breath");
    t.multipleBright = QStringLiteral("Bright");
    t.interval = QStringLiteral("Interval");
    t.stateDisplay = QStringLiteral("State-Display");
    t.ledOff = QStringLiteral("LED Off");
    t.gradient = QStringLiteral("Gradient");
    t.reset = QStringLiteral("Reset");
    t.light = QStringLiteral("Light");
    return t;
}

MonitorPageTexts englishMonitorPage()
{
    MonitorPageTexts t;
    t.driverVersion = QStringLiteral("Driver Version");
    t.gpuClock = QStringLiteral("GPU Clock");
    t.fanSpeed = QStringLiteral("Fan Speed");
    t.temperature = QStringLiteral("Temp");
    t.memClock = QStringLiteral("Mem Clock");
    t.memUsage = QStringLiteral("Mem Usage");
    t.gpuUsage = QStringLiteral("GPU Usage");
    return t;
}

Lang_OverClocking englishOverClocking()
{
    Lang_OverClocking t;
    t.gpuClock = QStringLiteral("GPU Clock(MHz)");
    t.fanSpeed = QStringLiteral("Fanspeed(%)");
    t.gpuVoltage = QStringLiteral("GPU Voltage(mV)");
    t.memClock = QStringLiteral("Mem Clock(MHz)");
    t.targetPower = QStringLiteral("Target Power(%)");
    t.targetTemp = QStringLiteral("Target Temp(C)");
    t.apply = QStringLiteral("Apply");
    t.cancel = QStringLiteral("Cancel");
    t.restoreDefault = QStringLiteral("Default");
    t.applyQuestion = QStringLiteral("Apply these settings ?");
    t.applyRefused = QStringLiteral("The card refused some of these settings and kept its own values. "
                                    "Changing clocks, power, temperature target or fans needs administrator "
                                    "rights.");
    return t;
}

Lang_BoardTemp englishBoardTemp()
{
    Lang_BoardTemp t;
    t.boardTemp = QStringLiteral("Board Temp");
    t.mem1 = QStringLiteral("Mem 1");
    t.mem2 = QStringLiteral("Mem 2");
    t.coreMos = QStringLiteral("Core MOS");
    t.memMos = QStringLiteral("Mem MOS");
    return t;
}
} // namespace

LanguageType LanguageTexts::languageForSetting(const QString &setting)
{
    return SettingValues::isChinese(setting) ? Chinese : English;
}

void LanguageTexts::fill(LanguageType language)
{
    m_language = language;
    if (language == English) {
        fillEnglish();
        return;
    }
    fillChinese();
}

void LanguageTexts::fillChinese()
{
    // The Chinese texts are the sub-record defaults, so a fresh record restores them exactly.
    m_noCardFound = QStringLiteral("未发现英伟达显卡!");
    m_mainWindow = Lang_MainWindow();
    m_breathCircle = Lang_BreathCircle();
    m_settings = Lang_Settings();
    m_fixedInfo = Lang_FixedInfo();
    m_lcdControl = Lang_LcdControl();
    m_ledControl = Lang_LedControl();
    m_monitorPage = MonitorPageTexts();
    m_overClocking = Lang_OverClocking();
    m_boardTemp = Lang_BoardTemp();
}

void LanguageTexts::fillEnglish()
{
    m_noCardFound = QStringLiteral("No nvidia card found");
    m_mainWindow = englishMainWindow();
    m_breathCircle = englishBreathCircle();
    m_settings = englishSettings();
    m_fixedInfo = englishFixedInfo();
    m_lcdControl = englishLcdControl();
    m_ledControl = englishLedControl();
    m_monitorPage = englishMonitorPage();
    m_overClocking = englishOverClocking();
    m_boardTemp = englishBoardTemp();
}

QString LanguageTexts::text(int entry) const
{
    QStringList all;
    all << m_noCardFound << m_mainWindow.texts() << m_breathCircle.texts() << m_settings.texts()
        << m_fixedInfo.texts() << m_lcdControl.texts() << m_ledControl.texts() << m_monitorPage.texts()
        << m_overClocking.texts() << m_boardTemp.texts();
    if (entry < 0 || entry >= all.size())
        return QString();
    return all.at(entry);
}
