#include "progresspercent.h"
#include "updatefilerules.h"
#include "updatercommandline.h"
#include "updatertexts.h"

#include <QtTest>

class TestUpdaterTexts : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("language");
        QTest::newRow("none") << QStringList { "KorvoUpdate" } << false << "";
        QTest::newRow("marker alone") << QStringList { "KorvoUpdate", "_Lumetra2" } << false << "";
        QTest::newRow("wrong marker") << QStringList { "KorvoUpdate", "_lumetra2", "lang_ch" } << false << "";
        QTest::newRow("chinese") << QStringList { "KorvoUpdate", "_Lumetra2", "lang_ch" } << true
                                 << "lang_ch";
        QTest::newRow("empty language") << QStringList { "KorvoUpdate", "_Lumetra2", "" } << true << "";
        QTest::newRow("extra") << QStringList { "KorvoUpdate", "_Lumetra2", "lang_en", "x" } << true
                               << "lang_en";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, valid);
        QFETCH(QString, language);
        const UpdaterCommandLine line = UpdaterCommandLine::parse(arguments);
        QCOMPARE(line.valid, valid);
        if (valid)
            QCOMPARE(line.language, language);
    }

    void languageChoice_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("lang_ch") << "lang_ch" << true;
        QTest::newRow("lang_en") << "lang_en" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("upper case") << "LANG_CH" << false;
        QTest::newRow("other") << "fr" << false;
    }

    void languageChoice()
    {
        QFETCH(QString, argument);
        QFETCH(bool, chinese);
        const UpdaterTexts texts = UpdaterTexts::forLanguage(argument);
        QCOMPARE(texts.chinese, chinese);
        QCOMPARE(texts.checking, chinese ? QStringLiteral("正在校验") : QStringLiteral("Checking"));
    }

    void englishTexts()
    {
        const UpdaterTexts t = UpdaterTexts::english();
        const QString tail = QStringLiteral(
            " \u201cretry\u201d to check again. If this pop up still showing, you can go to our official "
            "website (https://www.ostrand.example) to download the latest version.  ");
        QCOMPARE(t.checkFailed,
            QStringLiteral("Failed to check update information, and the update will stop, you can click")
                + tail);
        QCOMPARE(t.downloadFailed,
            QStringLiteral("Failed to download file, and the update will stop, you can click") + tail);
        QCOMPARE(t.extractFailed,
            QStringLiteral("An unexpected error occurred while extracting the files, and the update will "
                           "stop, you can click")
                + tail);
        QVERIFY(t.checkFailed.endsWith(QStringLiteral("version.  ")));
        QVERIFY(!t.checkFailed.endsWith(QStringLiteral("   ")));
        QCOMPARE(t.retry, QStringLiteral("Retry"));
        QCOMPARE(t.cancel, QStringLiteral("Cancel"));
        QCOMPARE(t.checking, QStringLiteral("Checking"));
        QCOMPARE(t.downloading, QStringLiteral("Downloading"));
        QCOMPARE(t.extracting, QStringLiteral("Extracting"));
        QCOMPARE(t.noManifest, QStringLiteral("An unknown error occurred while Updateing"));
        QCOMPARE(t.confirm, QStringLiteral("Confirm"));
    }

    void chineseTexts()
    {
        const UpdaterTexts t = UpdaterTexts::chineseTexts();
        const QString tail
            = QStringLiteral("，更新失败,您可以点击“重试”重新更新。如果还是出现此消息，您可以到"
                             "Ostrand官网(https://www.ostrand.example)下载最新版本。");
        QCOMPARE(t.checkFailed, QStringLiteral("校验更新信息出现错误") + tail);
        QCOMPARE(t.downloadFailed, QStringLiteral("下载更新文件出现错误") + tail);
        QCOMPARE(t.extractFailed, QStringLiteral("解压文件出现未知错误") + tail);
        QCOMPARE(t.retry, QStringLiteral("重试"));
        QCOMPARE(t.cancel, QStringLiteral("取消"));
        QCOMPARE(t.downloading, QStringLiteral("正在下载"));
        QCOMPARE(t.extracting, QStringLiteral("正在解压"));
        QCOMPARE(t.noManifest, QStringLiteral("更新时出现一个未知错误"));
        QCOMPARE(t.confirm, QStringLiteral("确定"));
    }

    void percentages()
    {
        QCOMPARE(ProgressPercent::of(1, 3), 33);
        QCOMPARE(ProgressPercent::of(2, 3), 66);
        QCOMPARE(ProgressPercent::of(3, 3), 100);
        QCOMPARE(ProgressPercent::of(4, 5), 80);
        QCOMPARE(ProgressPercent::of(1, 0), 0);
    }

    void skipRules()
    {
        for (const char *name :
            { "Qt5Core.dll", "Qt5Network.dll", "Qt5Gui.dll", "Qt5Xml.dll", "Qt5Widgets.dll" })
            QVERIFY2(UpdateFileRules::isRunningQtLibrary(QLatin1String(name)), name);
        QVERIFY(!UpdateFileRules::isRunningQtLibrary(QStringLiteral("qt5core.dll")));
        QVERIFY(!UpdateFileRules::isRunningQtLibrary(QStringLiteral("libQt5Core.so.5")));
        QVERIFY(UpdateFileRules::isUpdaterOwnFile(QStringLiteral("KorvoUpdate.exe")));
        QVERIFY(UpdateFileRules::isUpdaterOwnFile(QStringLiteral("KorvoUpdate")));
        QVERIFY(!UpdateFileRules::isUpdaterOwnFile(QStringLiteral("korvoupdate")));
        QVERIFY(UpdateFileRules::isProgramFile(QStringLiteral("Lumetra2")));
    }
};

QTEST_GUILESS_MAIN(TestUpdaterTexts)
#include "tst_updatertexts.moc"
