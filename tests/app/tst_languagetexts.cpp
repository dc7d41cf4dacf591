#include "languagetexts.h"

#include <QtTest>

namespace {

#define SITE "https://www.ostrand.example"

struct TableRow
{
    int entry;
    const char *english;
    const char *chinese;
};

// A copy of the text table, one row per entry; SITE stands for the web site address.
const TableRow Table[] = {
    { 0, "No nvidia card found", "未发现英伟达显卡!" },
    { 1, "Adjust", "调节选项" },
    { 2, "Monitor", "监控窗口" },
    { 3, "Temp", "板卡温度" },
    { 4, "Display", "显示" },
    { 5, "Exit", "退出" },
    { 6, "Exit program?", "确定退出程序吗?" },
    { 7, "Any improper adjustment may make system unstable,or damage the graphic card critically,continue?",
        "不正当的调节可能造成系统不稳定，严重可能损坏显卡，是否继续?" },
    { 8,
        "New version detected，and your current version is not support for auto update, please go to our "
        "official website(" SITE ") to download the latest version.",
        "检测到新版本LumetraII，但当前版本太旧，不支持自动更新到新版本，您可以前往官网(" SITE
        ")下载LumetraII 最新版本。" },
    { 9, "Failed to initialize auto update.", "自动更新程序启动失败！" },
    { 10, "New version detected ,update now?", "检测到Lumetra II 新版本，是否更新？" },
    { 11, "This is the latest version.", "当前LumetraII为最新版本！" },
    { 12, "GeForce GTX 1070 Ti detected,unlock high performance mode via this button.",
        "检测到GeForce GTX 1070 Ti，可激活高性能模式。" },
    { 13, "On   Off", "开     关" },
    { 14, "C L O C K", "核 心 频 率" },
    { 15, "T E M P", "核 心 温 度" },
    { 16, "M E M O R Y", "显 存 占 用" },
    { 17, "Preset ", "预设 " },
    { 18, "Present ", "当前 " },
    { 19, "Dec ", "减少 " },
    { 20, "Inc ", "增加 " },
    { 21, "None", "从不" },
    { 22, "One week", "一周" },
    { 23, "One month", "一个月" },
    { 24, "Three months", "三个月" },
    { 25, "Settings", "设置选项" },
    { 26, "Startup", "软件启动" },
    { 27, "Automatically start Lumetra II when I log on to windows", "开机自启动软件" },
    { 28, "Minimize Lumetra II when it starts", "启动后自动最小化" },
    { 29, "Apply last settings each time Lumetra II starts", "启动自动应用上次配置" },
    { 30, "Language", "语言" },
    { 31, "Monitor setting", "监控窗体" },
    { 32, "Live update", "在线更新" },
    { 33, "Update check frequency", "软件检测更新频率" },
    { 34, "Download updates and install them", "自动下载更新并安装" },
    { 35, "Download updates but let me choose whether to install them", "自动下载更新但让我选择是否更新" },
    { 36, "Notify me but not download automatically ", "通知我但不自动下载" },
    { 37, "Refresh frequency", "刷新频率" },
    { 38, "Detection Update", "检测更新" },
    { 39, "Effects", "界面效果" },
    { 40, "Normal", "普通" },
    { 41, "Advanced", "高级" },
    { 42, "History", "更新日志" },
    { 43, "Bus Width", "显存位宽" },
    { 44, "Band Width", "显存带宽" },
    { 45, "Mem Type", "显存类型" },
    { 46, "Mem Size", "显存容量" },
    { 47, "GPU Clock", "核心频率" },
    { 48, "Mem Clock", "显存频率" },
    { 49, "Customized GPU  Clk", "自定义核心频率" },
    { 50, "Inc", "增加" },
    { 51, "Dec", "减少" },
    { 52, "Customized Mem Clk", "自定义显存频率" },
    { 53, "BIOS Version", "BIOS版本号" },
    { 54, "Card Info", "基本信息" },
    { 55, "Turn on/off LCD", "开启/关闭LCD" },
    { 56, "LCD Control", "LCD控制设置" },
    { 57, "Switch Automatically", "自动切换" },
    { 58, "Switch Manually", "手动切换" },
    { 59, "Time:", "自动切换时间：" },
    { 60, "Hotkey:", "快捷键：" },
    { 61, "Apply", "确定" },
    { 62, "Cancel", "取消" },
    { 63, "Apply these settings?", "确定应用当前修改吗?" },
    { 64, "Breath", "单色呼吸" },
    { 65, "Bright", "单色常亮" },
    { 66, "Breath", "呼吸" },
    { 67, "Bright", "常亮" },
    { 68, "Interval", "切换间隔" },
    { 69, "State-Display", "状态显示" },
    { 70, "LED Off", "睡  眠" },
    { 71, "Gradient", "渐变" },
    { 72, "Reset", "重置自定义颜色" },
    { 73, "Light", "灯效" },
    { 74, "Driver Version", "驱动版本" },
    { 75, "GPU Clock", "核心频率" },
    { 76, "Fan Speed", "风扇转速" },
    { 77, "Temp", "温     度" },
    { 78, "Mem Clock", "显存频率" },
    { 79, "Mem Usage", "显存使用率" },
    { 80, "GPU Usage", "GPU使用率" },
    { 81, "GPU Clock(MHz)", "核心频率(MHz)" },
    { 82, "Fanspeed(%)", "风扇转速(%)" },
    { 83, "GPU Voltage(mV)", "核心电压(mV)" },
    { 84, "Mem Clock(MHz)", "显存频率(MHz)" },
    { 85, "Target Power(%)", "目标功耗(%)" },
    { 86, "Target Temp(C)", "最大温度(C)" },
    { 87, "Apply", "应用" },
    { 88, "Cancel", "取消" },
    { 89, "Default", "默认" },
    { 90, "Apply these settings ?", "确定应用当前设置？" },
    { 91, "Board Temp", "主板温度" },
    { 92, "Mem 1", "显存一" },
    { 93, "Mem 2", "显存二" },
    { 94, "Core MOS", "核心MOS" },
    { 95, "Mem MOS", "显存MOS" },
};

#undef SITE

} // namespace

class TestLanguageTexts : public QObject
{
    Q_OBJECT

private:
    static void compareWithTable(const LanguageTexts &texts, LanguageType language)
    {
        QCOMPARE(int(sizeof(Table) / sizeof(Table[0])), LanguageTexts::EntryCount);
        for (const TableRow &row : Table) {
            const QString expected = QString::fromUtf8(language == English ? row.english : row.chinese);
            if (texts.text(row.entry) != expected)
                qWarning() << "entry" << row.entry << texts.text(row.entry) << "expected" << expected;
            QCOMPARE(texts.text(row.entry), expected);
        }
    }

private slots:
    void defaultsAreChinese()
    {
        LanguageTexts texts;
        QCOMPARE(texts.language(), Chinese);
        compareWithTable(texts, Chinese);
    }

    void englishMatchesTable()
    {
        LanguageTexts texts;
        texts.fill(English);
        QCOMPARE(texts.language(), English);
        compareWithTable(texts, English);
    }

    void chineseAfterEnglishRestoresDefaults()
    {
        LanguageTexts texts;
        texts.fill(English);
        texts.fill(Chinese);
        QCOMPARE(texts.language(), Chinese);
        compareWithTable(texts, Chinese);
        QCOMPARE(texts.mainWindow().texts(), Lang_MainWindow().texts());
        QCOMPARE(texts.breathCircle().texts(), Lang_BreathCircle().texts());
        QCOMPARE(texts.settings().texts(), Lang_Settings().texts());
        QCOMPARE(texts.fixedInfo().texts(), Lang_FixedInfo().texts());
        QCOMPARE(texts.lcdControl().texts(), Lang_LcdControl().texts());
        QCOMPARE(texts.ledControl().texts(), Lang_LedControl().texts());
        QCOMPARE(texts.monitorPage().texts(), MonitorPageTexts().texts());
        QCOMPARE(texts.overClocking().texts(), Lang_OverClocking().texts());
        QCOMPARE(texts.boardTemp().texts(), Lang_BoardTemp().texts());
    }

    void subRecordsCoverTheirRanges()
    {
        QCOMPARE(Lang_MainWindow::Count, 13);
        QCOMPARE(Lang_BreathCircle::Count, 7);
        QCOMPARE(Lang_Settings::Count, 22);
        QCOMPARE(Lang_FixedInfo::Count, 12);
        QCOMPARE(Lang_LcdControl::Count, 9);
        QCOMPARE(Lang_LedControl::Count, 10);
        QCOMPARE(MonitorPageTexts::Count, 7);
        QCOMPARE(Lang_OverClocking::Count, 10);
        QCOMPARE(Lang_BoardTemp::Count, 5);

        LanguageTexts texts;
        texts.fill(English);
        QCOMPARE(texts.noCardFound(), texts.text(0));
        QCOMPARE(texts.mainWindow().adjust, texts.text(1));
        QCOMPARE(texts.mainWindow().highPerformanceSwitch, texts.text(13));
        QCOMPARE(texts.breathCircle().clock, texts.text(14));
        QCOMPARE(texts.settings().intervalNone, texts.text(21));
        QCOMPARE(texts.settings().updateLog, texts.text(42));
        QCOMPARE(texts.fixedInfo().busWidth, texts.text(43));
        QCOMPARE(texts.lcdControl().switchLcd, texts.text(55));
        QCOMPARE(texts.ledControl().singleBreath, texts.text(64));
        QCOMPARE(texts.monitorPage().driverVersion, texts.text(74));
        QCOMPARE(texts.overClocking().gpuClock, texts.text(81));
        QCOMPARE(texts.boardTemp().boardTemp, texts.text(91));
        QCOMPARE(texts.boardTemp().memMos, texts.text(95));
        QVERIFY(texts.text(96).isEmpty());
        QVERIFY(texts.text(-1).isEmpty());
    }

    void blanksAreKept()
    {
        LanguageTexts texts;
        for (LanguageType language : { Chinese, English }) {
            texts.fill(language);
            for (int entry = 17; entry <= 20; ++entry)
                QVERIFY(texts.text(entry).endsWith(QLatin1Char(' ')));
        }
        QCOMPARE(texts.settings().tellMeButDoNotDownload,
            QStringLiteral("Notify me but not download automatically "));
        QCOMPARE(texts.mainWindow().highPerformanceSwitch, QStringLiteral("On   Off"));
        QCOMPARE(texts.fixedInfo().customizedGpuClock, QStringLiteral("Customized GPU  Clk"));
        texts.fill(Chinese);
        QCOMPARE(texts.mainWindow().highPerformanceSwitch, QStringLiteral("开     关"));
        QCOMPARE(texts.ledControl().ledOff, QStringLiteral("睡  眠"));
        QCOMPARE(texts.monitorPage().temperature, QStringLiteral("温     度"));
    }

    void webSiteInOutdatedVersionText()
    {
        LanguageTexts texts;
        QVERIFY(texts.mainWindow().outdatedVersion.contains(
            QStringLiteral("官网(https://www.ostrand.example)下载")));
        texts.fill(English);
        QVERIFY(texts.mainWindow().outdatedVersion.contains(
            QStringLiteral("website(https://www.ostrand.example) to download")));
    }

    void languageFromSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("language");
        QTest::newRow("lang_ch") << QStringLiteral("lang_ch") << int(Chinese);
        QTest::newRow("lang_en") << QStringLiteral("lang_en") << int(English);
        QTest::newRow("empty") << QString() << int(English);
        QTest::newRow("upper case") << QStringLiteral("LANG_CH") << int(English);
        QTest::newRow("trailing blank") << QStringLiteral("lang_ch ") << int(English);
        QTest::newRow("other") << QStringLiteral("fr") << int(English);
    }

    void languageFromSetting()
    {
        QFETCH(QString, setting);
        QFETCH(int, language);
        QCOMPARE(int(LanguageTexts::languageForSetting(setting)), language);
    }

    void refillWithSameLanguageKeepsTexts()
    {
        LanguageTexts texts;
        texts.fill(English);
        texts.fill(English);
        compareWithTable(texts, English);
    }
};

QTEST_APPLESS_MAIN(TestLanguageTexts)
#include "tst_languagetexts.moc"
