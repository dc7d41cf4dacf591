#include "configstore.h"
#include "httpstestserver.h"
#include "inprocessdriver.h"
#include "korvo_downloadupdatefileinfo.h"
#include "korvo_messagebox.h"
#include "lumetra2.h"
#include "lumetraresources.h"
#include "mainwindowfixture.h"
#include "testfiles.h"
#include "updatecontroller.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

/// The main window's update slots against the HTTPS test server, in a scratch program folder.
class TestMainWindowUpdate : public QObject
{
    Q_OBJECT

private:
    /// A config.xml in the current folder with every date the given number of days ago.
    static void seedConfig(int daysAgo)
    {
        const QDate date = QDate::currentDate().addDays(-daysAgo);
        ConfigStore store(QStringLiteral("config.xml"), [date] { return date; });
        store.load();
        QVERIFY(store.save());
    }

    std::unique_ptr<MainWindowFixture> m_fixture;
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<HttpsTestServer> m_server;
    QStringList m_boxTexts;
    QList<QWidget *> m_boxParents;

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        m_boxTexts.clear();
        m_boxParents.clear();
        m_fixture = std::make_unique<MainWindowFixture>([this](Korvo_MessageBox *box) {
            m_boxTexts.append(box->text());
            m_boxParents.append(box->parentWidget());
            box->yesButton()->click();
        });
        QVERIFY(m_fixture->isValid());
        m_root = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<HttpsTestServer>();
        QVERIFY(TestFiles::write(
            m_root->filePath(QStringLiteral("update_packets/Lumetra2_UpdateFiles/update_info.xml")),
            "<Update><CurrentVersion Value=\"1.0.2.4\"/></Update>"));
        QVERIFY2(m_server->start(m_root->path()), qPrintable(m_server->errorString()));
        m_server->exportEnvironment();
    }

    void cleanup()
    {
        m_server.reset();
        HttpsTestServer::clearEnvironment();
        m_fixture.reset();
        m_root.reset();
    }

    void startUpCheckRunsWhenDue()
    {
        seedConfig(7);
        Lumetra2 window;
        Korvo_DownloadUpdateFileInfo *downloader = window.updateController()->downloader();
        QCOMPARE(downloader->state(), int(Korvo_DownloadUpdateFileInfo::Running));
        QCOMPARE(downloader->localPath(), QDir::current().filePath(QStringLiteral("temp/update_info.xml")));
        QSignalSpy finished(downloader, &Korvo_DownloadUpdateFileInfo::downloadFinished);
        QVERIFY(finished.wait(30000));
        QVERIFY(finished.first().first().toBool());
        // Not newer: the automatic check stays quiet.
        QVERIFY(m_boxTexts.isEmpty());
    }

    void startUpCheckWaitsForTheInterval()
    {
        seedConfig(6);
        Lumetra2 window;
        QCOMPARE(window.updateController()->downloader()->state(), int(Korvo_DownloadUpdateFileInfo::Idle));
    }

    void detectButtonSlotReportsTheLatestVersion()
    {
        seedConfig(0);
        Lumetra2 window;
        QSignalSpy finished(
            window.updateController()->downloader(), &Korvo_DownloadUpdateFileInfo::downloadFinished);
        window.manualDetectUpdate();
        QVERIFY(finished.wait(30000));
        QCOMPARE(m_boxTexts, QStringList { QStringLiteral("当前LumetraII为最新版本！") });
        QCOMPARE(m_boxParents.first(), &window);
    }
};

QTEST_MAIN(TestMainWindowUpdate)
#include "tst_mainwindowupdate.moc"
