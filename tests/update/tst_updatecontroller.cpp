#include "configcodec.h"
#include "configstore.h"
#include "httpstestserver.h"
#include "korvo_downloadupdatefileinfo.h"
#include "korvo_messagebox.h"
#include "languagetexts.h"
#include "programnames.h"
#include "testfiles.h"
#include "updatecontroller.h"

#include <JlCompress.h>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace {

const QDate Today(2026, 12, 8);
const QString ManifestPath = QStringLiteral("/update_packets/Lumetra2_UpdateFiles/update_info.xml");

QByteArray manifest(const QString &current, const QString &manual = QString())
{
    return QStringLiteral(
        "<Update><CurrentVersion Value=\"%1\"/><ManualDownloadVersion Value=\"%2\"/></Update>")
        .arg(current, manual)
        .toUtf8();
}

} // namespace

/// The update check as the main window runs it, against a real HTTPS server on loopback, with a stand-in
/// for the updater that records its command line and message boxes answered by the test.
class TestUpdateController : public QObject
{
    Q_OBJECT

private:
    /// One program folder with config.xml, a stand-in updater and a controller over it.
    struct Program
    {
        QTemporaryDir folder;
        std::unique_ptr<ConfigStore> store;
        QWidget window; ///< hidden, as in the tray
        LanguageTexts texts;
        UpdateSettingRecord setting;
        int quits = 0;
        std::unique_ptr<UpdateController> controller;

        explicit Program(bool packageManaged = false)
        {
            store = std::make_unique<ConfigStore>(
                folder.filePath(QStringLiteral("config.xml")), [] { return Today; });
            store->load();
            // Checked long ago: the automatic check is due unless a test says otherwise.
            store->setLastCheckDate(Today.addDays(-30));
            store->setLastUpdateDate(Today.addDays(-30));
            store->save();
            texts.fill(English);
            UpdateController::Window hooks;
            hooks.widget = &window;
            hooks.updateSetting = [this] { return setting; };
            hooks.languageSetting = [] { return QStringLiteral("lang_en"); };
            hooks.texts = [this]() -> const LanguageTexts & { return texts; };
            hooks.closeAndQuit = [this] { ++quits; };
            hooks.packageManaged = packageManaged;
            controller = std::make_unique<UpdateController>(*store, hooks, folder.path());
            controller->downloader()->setTransferTimeoutMs(1500);
        }

        void installStandInUpdater()
        {
            const QString path = folder.filePath(ProgramNames::updater());
            TestFiles::write(path,
                "#!/bin/sh\nprintf '%s\\n' \"$@\" > updater-args.txt.part\nmv updater-args.txt.part "
                "updater-args.txt\n");
            QFile::setPermissions(
                path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        }

        QString argsFile() const { return folder.filePath(QStringLiteral("updater-args.txt")); }
        /// The detect button's check, or the automatic one at start.
        void check(bool manual)
        {
            if (manual)
                controller->manualDetectUpdate();
            else
                controller->checkUpdateOnStart({ QStringLiteral("Lumetra2") });
        }

        /// LastCheckDate as saved in config.xml.
        /// A date element of config.xml as saved.
        QDate savedDate(const QString &name) const
        {
            QDomDocument document;
            document.setContent(TestFiles::read(folder.filePath(QStringLiteral("config.xml"))));
            const QDomNodeList nodes = document.elementsByTagName(name);
            return nodes.isEmpty() ? QDate() : ConfigCodec::readDate(nodes.at(0).toElement());
        }

        QDate savedLastCheck() const
        {
            ConfigStore reread(folder.filePath(QStringLiteral("config.xml")), [] { return Today; });
            reread.load();
            QDate date;
            reread.getLastCheckDate(date);
            return date;
        }

        /// Waits until the running download has been handled.
        bool waitForDownload()
        {
            QSignalSpy finished(controller->downloader(), &Korvo_DownloadUpdateFileInfo::downloadFinished);
            if (controller->downloader()->state() != Korvo_DownloadUpdateFileInfo::Running)
                return true;
            return finished.wait(30000);
        }
    };

    struct Box
    {
        int type;
        QString text;
    };

    /// Answers every message box with yes (or no) and records it.
    void answer(bool yes)
    {
        Korvo_MessageBox::setAutoAnswer([this, yes](Korvo_MessageBox *box) {
            m_boxes.append({ box->type(), box->text() });
            QPushButton *button = yes || !box->noButton() ? box->yesButton() : box->noButton();
            button->click();
        });
    }

    /// Serves content as the manifest and points the program at the server.
    void serve(const QByteArray &content)
    {
        QVERIFY(TestFiles::write(m_root->path() + ManifestPath, content));
        QVERIFY2(m_server->start(m_root->path()), qPrintable(m_server->errorString()));
        m_server->exportEnvironment();
    }

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<HttpsTestServer> m_server;
    QList<Box> m_boxes;

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<HttpsTestServer>();
        m_boxes.clear();
        answer(true);
    }

    void cleanup()
    {
        Korvo_MessageBox::setAutoAnswer({});
        m_server.reset();
        HttpsTestServer::clearEnvironment();
    }

    void automaticCheckByUpdateMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("asks");
        QTest::newRow("mode 0 updates") << 0 << false;
        QTest::newRow("mode 1 asks like 2") << 1 << true;
        QTest::newRow("mode 2 asks") << 2 << true;
        QTest::newRow("mode 5 updates like 0") << 5 << false;
    }

    void automaticCheckByUpdateMode()
    {
        QFETCH(int, mode);
        QFETCH(bool, asks);
        serve(manifest(QStringLiteral("1.0.2.5")));
        Program program;
        program.installStandInUpdater();
        program.setting.UpdateMode = mode;
        program.controller->checkUpdateOnStart({ QStringLiteral("Lumetra2") });
        QVERIFY(program.waitForDownload());

        QCOMPARE(m_boxes.size(), asks ? 1 : 0);
        if (asks) {
            QCOMPARE(m_boxes.first().type, int(MsgBoxYesNo));
            QCOMPARE(m_boxes.first().text, QStringLiteral("New version detected ,update now?"));
        }
        QTRY_VERIFY(QFile::exists(program.argsFile()));
        QCOMPARE(TestFiles::read(program.argsFile()), QByteArray("_Lumetra2\nlang_en\n"));
        QCOMPARE(program.quits, 1);
        QCOMPARE(program.savedLastCheck(), Today);
    }

    void answeringNoStartsNothing()
    {
        serve(manifest(QStringLiteral("1.0.10.0")));
        answer(false);
        Program program;
        program.installStandInUpdater();
        program.setting.UpdateMode = 2;
        program.controller->checkUpdateOnStart({ QStringLiteral("Lumetra2") });
        QVERIFY(program.waitForDownload());
        QCOMPARE(m_boxes.size(), 1);
        QTest::qWait(300);
        QVERIFY(!QFile::exists(program.argsFile()));
        QCOMPARE(program.quits, 0);
        QCOMPARE(program.savedLastCheck(), Today);
    }

    void manualCheckAlwaysAsks()
    {
        serve(manifest(QStringLiteral("1.0.2.5")));
        Program program;
        program.installStandInUpdater();
        program.setting.UpdateMode = 0;
        program.controller->manualDetectUpdate();
        QVERIFY(program.waitForDownload());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().text, QStringLiteral("New version detected ,update now?"));
        QTRY_VERIFY(QFile::exists(program.argsFile()));
        QCOMPARE(program.quits, 1);
    }

    // A program the package manager installed never starts the updater: every newer version, found by the
    // automatic check in either mode, by the detect button, or too old for the updater, is the package
    // manager's to install, and the user is told so.
    void packageManagedProgramLeavesUpdatesToThePackageManager_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("manualVersion");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("manual");
        QTest::newRow("automatic, mode 0 would update") << "1.0.2.5"
                                                        << "" << 0 << false;
        QTest::newRow("automatic, mode 2 would ask") << "1.0.2.5"
                                                     << "" << 2 << false;
        QTest::newRow("detect button") << "1.0.2.5"
                                       << "" << 0 << true;
        QTest::newRow("too old for the updater") << "1.0.3.1"
                                                 << "1.0.3.0" << 0 << true;
    }

    void packageManagedProgramLeavesUpdatesToThePackageManager()
    {
        QFETCH(QString, current);
        QFETCH(QString, manualVersion);
        QFETCH(int, mode);
        QFETCH(bool, manual);
        serve(manifest(current, manualVersion));
        Program program(true);
        program.installStandInUpdater();
        program.setting.UpdateMode = mode;
        program.check(manual);
        QVERIFY(program.waitForDownload());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().type, int(MsgBoxOneButton));
        QCOMPARE(m_boxes.first().text,
            QStringLiteral(
                "A new version of LumetraII is available. It was installed by your package manager: "
                "update it there (with apt, for example)."));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(program.argsFile()));
        QCOMPARE(program.quits, 0);
        QCOMPARE(program.savedLastCheck(), Today);
    }

    void tooOldVersionIsSentToTheSite_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::newRow("automatic") << false;
        QTest::newRow("manual") << true;
    }

    void tooOldVersionIsSentToTheSite()
    {
        QFETCH(bool, manual);
        serve(manifest(QStringLiteral("1.0.3.1"), QStringLiteral("1.0.3.0")));
        Program program;
        program.installStandInUpdater();
        program.check(manual);
        QVERIFY(program.waitForDownload());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().type, int(MsgBoxOneButton));
        QCOMPARE(m_boxes.first().text, program.texts.mainWindow().outdatedVersion);
        QVERIFY(m_boxes.first().text.contains(QStringLiteral("https://www.ostrand.example")));
        QVERIFY(!QFile::exists(program.argsFile()));
    }

    void longTextIsNotCut()
    {
        LanguageTexts texts;
        texts.fill(English);
        QWidget window;
        window.resize(800, 507);
        Korvo_MessageBox box(
            MsgBoxOneButton, QString(), texts.mainWindow().outdatedVersion, English, &window);
        UpdateController::fitToText(box);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QLabel *label = box.infoLabel();
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
        QVERIFY(box.height() > 160);
        QVERIFY(box.yesButton()->geometry().top() >= label->geometry().bottom());
        // A short text keeps the standard size.
        Korvo_MessageBox shortBox(
            MsgBoxOneButton, QString(), texts.mainWindow().latestVersion, English, &window);
        UpdateController::fitToText(shortBox);
        QCOMPARE(shortBox.size(), QSize(320, 160));
    }

    void latestVersion()
    {
        serve(manifest(QStringLiteral("1.0.2.4")));
        Program program;
        QVERIFY(TestFiles::write(
            program.folder.filePath(QStringLiteral("temp/0123456789abcdef0123456789abcdef.zip")), "old"));
        // Automatic: quiet, but the check counts.
        program.controller->checkUpdateOnStart({ QStringLiteral("Lumetra2") });
        QVERIFY(program.waitForDownload());
        QCOMPARE(m_boxes.size(), 0);
        QCOMPARE(program.savedLastCheck(), Today);
        // Manual: says so and empties temp/.
        program.controller->manualDetectUpdate();
        QVERIFY(program.waitForDownload());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().text, QStringLiteral("This is the latest version."));
        QVERIFY(QFileInfo(program.folder.filePath(QStringLiteral("temp"))).isDir());
        QCOMPARE(QDir(program.folder.filePath(QStringLiteral("temp")))
                     .entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList());
    }

    // A failed check keeps the date; the background check stays silent, the check the user asked for says
    // that it could not check.
    void failedChecksKeepTheDateAndOnlyTheManualOneSaysSo_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("404") << "404";
        QTest::newRow("not a manifest") << "invalid";
        QTest::newRow("untrusted certificate") << "untrusted";
        QTest::newRow("stalled server") << "stalled";
    }

    void failedChecksKeepTheDateAndOnlyTheManualOneSaysSo()
    {
        QFETCH(QString, kind);
        HttpsTestServer stranger;
        if (kind == QLatin1String("404")) {
            QVERIFY2(m_server->start(m_root->path()), qPrintable(m_server->errorString()));
            m_server->exportEnvironment();
        } else if (kind == QLatin1String("invalid")) {
            serve("<update><CurrentVersion Value=\"9.9.9.9\"/></update>");
        } else if (kind == QLatin1String("untrusted")) {
            serve(manifest(QStringLiteral("1.0.2.5")));
            QVERIFY2(stranger.start(m_root->path()), qPrintable(stranger.errorString()));
            qputenv("LUMETRA_UPDATE_CA_FILE", QFile::encodeName(stranger.caFile()));
        } else {
            QVERIFY2(m_server->startStalled(HttpsTestServer::Stall::AcceptOnly),
                qPrintable(m_server->errorString()));
            m_server->exportEnvironment();
        }
        for (bool manual : { false, true }) {
            Program program;
            program.installStandInUpdater();
            const QDate before = Today.addDays(-10);
            program.store->setLastCheckDate(before);
            program.store->save();
            program.check(manual);
            QVERIFY(program.waitForDownload());
            if (manual) {
                QCOMPARE(m_boxes.size(), 1);
                QCOMPARE(m_boxes.takeFirst().text,
                    QStringLiteral(
                        "Could not check for updates: the update server cannot be reached. Try again "
                        "later."));
            }
            QCOMPARE(m_boxes.size(), 0);
            QCOMPARE(program.savedLastCheck(), before);
            QVERIFY(!QFile::exists(program.argsFile()));
            QCOMPARE(program.quits, 0);
        }
    }

    void checkIsDueAfterTheInterval_data()
    {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("checks");
        QTest::newRow("7 of 7") << 7 << 7 << true;
        QTest::newRow("6 of 7") << 6 << 7 << false;
        QTest::newRow("30 of 30") << 30 << 30 << true;
        QTest::newRow("29 of 30") << 29 << 30 << false;
        QTest::newRow("none") << 400 << 10000 << false;
        QTest::newRow("never checked") << -1 << 7 << true;
    }

    void checkIsDueAfterTheInterval()
    {
        QFETCH(int, daysAgo);
        QFETCH(int, interval);
        QFETCH(bool, checks);
        qputenv("LUMETRA_UPDATE_SERVER", "https://127.0.0.1:1");
        Program program;
        program.setting.CheckInterval = interval;
        program.store->setLastCheckDate(daysAgo < 0 ? QDate() : Today.addDays(-daysAgo));
        program.controller->checkUpdateOnStart({ QStringLiteral("Lumetra2") });
        QCOMPARE(program.controller->downloader()->state() != Korvo_DownloadUpdateFileInfo::Idle, checks);
        QVERIFY(program.waitForDownload());
    }

    void detectDuringTheStartUpDownloadGetsTheManualOutcome()
    {
        serve(manifest(QStringLiteral("1.0.2.4")));
        Program program;
        program.controller->checkUpdateOnStart({ QStringLiteral("Lumetra2") });
        QCOMPARE(program.controller->downloader()->state(), int(Korvo_DownloadUpdateFileInfo::Running));
        QSignalSpy finished(
            program.controller->downloader(), &Korvo_DownloadUpdateFileInfo::downloadFinished);
        program.controller->manualDetectUpdate();
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.size(), 1);
        // Only the manual handler says "latest"; the automatic one stays quiet.
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().text, QStringLiteral("This is the latest version."));
    }

    void restartByTheUpdaterFinishesTheUpdate()
    {
        Program program;
        const QString updater = program.folder.filePath(ProgramNames::updater());
        QVERIFY(TestFiles::write(updater, "old updater"));
        const QByteArray fresh = "new updater";
        const QString digest
            = QString::fromLatin1(QCryptographicHash::hash(fresh, QCryptographicHash::Md5).toHex());
        QVERIFY(TestFiles::write(program.folder.filePath(QStringLiteral("temp/update_info.xml")),
            QStringLiteral("<Update><CurrentVersion Value=\"1.0.3.0\"/><FileInfos><FileInfo FileName=\"%1\" "
                           "FileDir=\"\" FileVersion=\"%2\"/></FileInfos></Update>")
                .arg(ProgramNames::updater(), digest)
                .toUtf8()));
        QTemporaryDir staging;
        QVERIFY(TestFiles::write(staging.filePath(ProgramNames::updater()), fresh));
        QVERIFY(JlCompress::compressFile(
            program.folder.filePath(QStringLiteral("temp/") + digest + QStringLiteral(".zip")),
            staging.filePath(ProgramNames::updater())));
        QVERIFY(TestFiles::write(program.folder.filePath(QStringLiteral("temp/leftover/.hidden")), "x"));
        qputenv("LUMETRA_UPDATE_SERVER", "https://127.0.0.1:1");
        program.store->setLastCheckDate(QDate());

        QSignalSpy log(program.controller.get(), &UpdateController::updateLogRequested);
        program.controller->checkUpdateOnStart(
            { QStringLiteral("Lumetra2"), QStringLiteral("_KorvoUpdate") });
        QCOMPARE(log.size(), 1);
        QCOMPARE(TestFiles::read(updater), fresh);
        QVERIFY(QFileInfo(program.folder.filePath(QStringLiteral("temp"))).isDir());
        QCOMPARE(QDir(program.folder.filePath(QStringLiteral("temp")))
                     .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
            QStringList());
        // No check in this run, although none was ever made.
        QCOMPARE(program.controller->downloader()->state(), int(Korvo_DownloadUpdateFileInfo::Idle));
        QCOMPARE(program.savedDate(QStringLiteral("LastUpdateDate")), Today);
        QCOMPARE(program.savedDate(QStringLiteral("LastCheckDate")), QDate());
        QCOMPARE(m_boxes.size(), 0);
    }

    void onlyTheExactMarkerIsARestart()
    {
        qputenv("LUMETRA_UPDATE_SERVER", "https://127.0.0.1:1");
        Program program;
        QSignalSpy log(program.controller.get(), &UpdateController::updateLogRequested);
        program.controller->checkUpdateOnStart(
            { QStringLiteral("Lumetra2"), QStringLiteral("_korvoupdate") });
        QCOMPARE(log.size(), 0);
        QCOMPARE(program.controller->downloader()->state(), int(Korvo_DownloadUpdateFileInfo::Running));
        QVERIFY(program.waitForDownload());
    }

    void updaterThatCannotStartIsReported()
    {
        Program program;
        // Not in the program folder, even though a program of that name may be on PATH.
        QVERIFY(!program.controller->startUpdater());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().text, QStringLiteral("Failed to initialize auto update."));
        QCOMPARE(program.quits, 0);
        // Not executable: not started either.
        QVERIFY(
            TestFiles::write(program.folder.filePath(ProgramNames::updater()), "#!/bin/sh\ntouch started\n"));
        QVERIFY(!program.controller->startUpdater());
        QCOMPARE(program.quits, 0);
    }

    void boxOfTheHiddenWindowDoesNotQuit()
    {
        serve(manifest(QStringLiteral("1.0.2.4")));
        Program program;
        QVERIFY(!program.window.isVisible());
        QSignalSpy lastClosed(qApp, &QApplication::lastWindowClosed);
        // The program's event loop must run: only then does closing the last window end the program.
        const auto inEventLoop = [](const std::function<void()> &work) {
            QTimer::singleShot(0, qApp, [work] {
                work();
                QCoreApplication::quit();
            });
            QTimer::singleShot(20000, qApp, &QCoreApplication::quit);
            qApp->exec();
        };
        inEventLoop([&program] {
            program.controller->manualDetectUpdate();
            program.waitForDownload();
        });
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(lastClosed.size(), 0);

        // The same box without the precaution would have ended the program.
        inEventLoop([&program] {
            Korvo_MessageBox plain(MsgBoxOneButton, QString(), QStringLiteral("x"), English, &program.window);
            plain.exec();
        });
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(lastClosed.size(), 1);
    }

    void endToEndWithPublishedUpdate()
    {
        QTemporaryDir release;
        QVERIFY(TestFiles::write(release.filePath(QStringLiteral("Lumetra2")), "new main program"));
        QVERIFY(TestFiles::write(release.filePath(ProgramNames::updater()), "new updater"));
        QVERIFY(m_server->start(m_root->path()));
        QProcess publish;
        publish.start(QStringLiteral(PUBLISH_UPDATE_PATH),
            { QStringLiteral("--version"), QStringLiteral("1.0.3.0"), QStringLiteral("--server"),
                m_server->baseUrl(), release.path(), m_root->path() });
        QVERIFY(publish.waitForFinished(30000));
        QCOMPARE(publish.exitCode(), 0);
        m_server->exportEnvironment();

        Program program;
        program.installStandInUpdater();
        program.setting.UpdateMode = 2;
        program.controller->checkUpdateOnStart({ QStringLiteral("Lumetra2") });
        QVERIFY(program.waitForDownload());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().text, QStringLiteral("New version detected ,update now?"));
        QTRY_VERIFY(QFile::exists(program.argsFile()));
        QCOMPARE(TestFiles::read(program.argsFile()), QByteArray("_Lumetra2\nlang_en\n"));
        QCOMPARE(program.quits, 1);
        // The updater finds the manifest the check fetched.
        QCOMPARE(TestFiles::read(program.folder.filePath(QStringLiteral("temp/update_info.xml"))),
            TestFiles::read(m_root->path() + ManifestPath));
    }
};

QTEST_MAIN(TestUpdateController)
#include "tst_updatecontroller.moc"
