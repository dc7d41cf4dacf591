#include "httpstestserver.h"
#include "installtransaction.h"
#include "korvo_checkoutfilethread.h"
#include "korvo_decompressionfilethread.h"
#include "korvo_instancelock.h"
#include "korvo_messagebox.h"
#include "korvoupdate.h"
#include "programnames.h"
#include "updatersleep.h"
#include "updaterstartup.h"
#include "updatertestfolder.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLockFile>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Launch
{
    QString program;
    QStringList arguments;
    QString folder;
};

struct Box
{
    QString text;
    QString first;
    QString second;
};

} // namespace

class TestKorvoUpdate : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    HttpsTestServer m_server;
    QList<Launch> m_launches;
    QList<Box> m_boxes;
    QList<int> m_answers; ///< what the next boxes answer: 1 first button (Retry), 0 second (Cancel)

    QString serverAddress() const { return m_server.baseUrl() + QStringLiteral("/files/"); }

    /// Publishes content under the entry's name as the server's archive of it.
    ManifestFileInfo publish(const QString &dir, const QString &name, const QByteArray &content)
    {
        const ManifestFileInfo entry = UpdaterTestFolder::entryFor(dir, name, content);
        UpdaterTestFolder::writeZip(
            m_root.filePath(QStringLiteral("files/") + entry.FileVersion + ".zip"), name, content);
        return entry;
    }

    std::unique_ptr<KorvoUpdate> makeWindow(const UpdaterTestFolder &folder, const UpdaterTexts &texts)
    {
        auto window = std::make_unique<KorvoUpdate>(texts, folder.path());
        window->setLauncher([this](const QString &program, const QStringList &arguments, const QString &dir) {
            m_launches.append({ program, arguments, dir });
            return true;
        });
        return window;
    }

    /// Runs the window from its manifest until it closes; false when it does not within the timeout.
    bool runToEnd(KorvoUpdate &window, const UpdaterTestFolder &folder, int timeoutMs = 30000)
    {
        UpdateManifest manifest;
        if (!manifest.load(folder.filePath(QStringLiteral("temp/update_info.xml"))))
            return false;
        window.startChecking(manifest);
        window.show();
        QElapsedTimer clock;
        clock.start();
        while (window.isVisible() && clock.elapsed() < timeoutMs)
            QTest::qWait(20);
        return !window.isVisible();
    }

private slots:
    void initTestCase()
    {
        // The updaters of this test wait for a main program of their own, never for the user's Lumetra2.
        Korvo_DecompressionFileThread::setDefaultMainProgramLock(
            QStringLiteral("LumetraTest_korvoupdate_%1").arg(QCoreApplication::applicationPid()));
        UpdaterSleep::setTimeScale(0.01);
        QVERIFY2(m_server.start(m_root.path()), qPrintable(m_server.errorString()));
        m_server.exportEnvironment();
        Korvo_MessageBox::setAutoAnswer([this](Korvo_MessageBox *box) {
            m_boxes.append({ box->text(), box->firstButton()->text(),
                box->secondButton() ? box->secondButton()->text() : QString() });
            box->done(m_answers.isEmpty() ? 0 : m_answers.takeFirst());
        });
    }

    void init()
    {
        m_launches.clear();
        m_boxes.clear();
        m_answers.clear();
        KorvoUpdate::resetDotCounter();
        UpdaterSleep::setTimeScale(0.01);
    }

    void windowLayout()
    {
        UpdaterTestFolder folder;
        auto window = makeWindow(folder, UpdaterTexts::english());
        QCOMPARE(window->size(), QSize(453, 58));
        QCOMPARE(window->windowTitle(), QStringLiteral("KorvoUpdate"));
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
        QCOMPARE(window->progressBar()->geometry(), QRect(10, 6, 431, 16));
        QCOMPARE(window->progressBar()->minimum(), 0);
        QCOMPARE(window->progressBar()->maximum(), 100);
        QCOMPARE(window->statusLabel()->geometry(), QRect(200, 30, 241, 21));
        QCOMPARE(window->statusTimer()->interval(), 500);
        QVERIFY(!window->statusTimer()->isActive()); // nobody sees it yet

        QImage image(window->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        window->render(&image);
        const QColor inside = image.pixelColor(100, 40);
        QCOMPARE(inside.red(), 0);
        QVERIFY(qAbs(inside.alpha() - 220) <= 2);
        const QColor edge = image.pixelColor(226, 0);
        QVERIFY(edge.red() > 100 && edge.green() < 40);
        QVERIFY(image.pixelColor(0, 0).alpha() < 40); // the rounded corner leaves the pixel nearly empty
        const QColor bar = image.pixelColor(60, 14); // the bar's white background at 0 %, off its text
        QVERIFY(bar.red() > 240 && bar.green() > 240 && bar.blue() > 240);
    }

    void statusDotsCycle()
    {
        UpdaterTestFolder folder;
        auto window = makeWindow(folder, UpdaterTexts::english());
        QStringList seen;
        for (int i = 0; i < 6; ++i) {
            window->onDisplayStatusTimerTimeout();
            seen.append(window->statusLabel()->text());
        }
        QCOMPARE(seen,
            (QStringList {
                "Checking·", "Checking··", "Checking···", "Checking····", "Checking·", "Checking··" }));
    }

    void everyFileMatchingRestartsTheMainProgram()
    {
        UpdaterSleep::setTimeScale(0.1);
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("Lumetra2"), "main");
        folder.writeFile(QStringLiteral("lib/a.dat"), "a");
        folder.writeManifest(serverAddress(),
            { UpdaterTestFolder::entryFor("", "Lumetra2", "main"),
                UpdaterTestFolder::entryFor("lib/", "a.dat", "a") });
        const auto before = folder.snapshot();
        auto window = makeWindow(folder, UpdaterTexts::english());
        QSignalSpy checked(window->checkoutWorker(), &Korvo_CheckoutFileThread::checkoutResult);
        QElapsedTimer sinceCheck;
        connect(window->checkoutWorker(), &Korvo_CheckoutFileThread::checkoutResult, this,
            [&sinceCheck]() { sinceCheck.start(); });
        QVERIFY(runToEnd(*window, folder));
        QVERIFY(sinceCheck.elapsed() >= 300); // 2000 ms extraction delay + 1000 ms wait, at a tenth
        QCOMPARE(m_launches.size(), 1);
        QCOMPARE(m_launches.at(0).program, QDir(folder.path()).filePath(QStringLiteral("Lumetra2")));
        QVERIFY(QFileInfo(m_launches.at(0).program).isAbsolute());
        QCOMPARE(m_launches.at(0).arguments, QStringList { "_KorvoUpdate" });
        QCOMPARE(m_launches.at(0).folder, folder.path());
        QCOMPARE(folder.snapshot(), before);
        QVERIFY(m_boxes.isEmpty());
    }

    void threeOutOfDateFilesAreInstalled()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("Lumetra2"), "old main");
        folder.writeFile(QStringLiteral("KorvoUpdate"), "old updater");
        folder.writeFile(QStringLiteral("Qt5Core.dll"), "old qt");
        const ManifestFileList entries { publish("", "Lumetra2", "new main"),
            publish("lib/", "a.dat", "new a"), publish("", "KorvoUpdate", "new updater"),
            publish("", "Qt5Core.dll", "new qt"), publish("plugins/", "b.dat", "new b") };
        folder.writeManifest(serverAddress(), entries);
        auto window = makeWindow(folder, UpdaterTexts::english());
        QList<int> progress;
        connect(window->progressBar(), &QProgressBar::valueChanged, this, [&](int v) { progress.append(v); });
        QVERIFY(runToEnd(*window, folder));
        QCOMPARE(folder.readFile(QStringLiteral("Lumetra2")), QByteArray("new main"));
        QCOMPARE(folder.readFile(QStringLiteral("lib/a.dat")), QByteArray("new a"));
        QCOMPARE(folder.readFile(QStringLiteral("plugins/b.dat")), QByteArray("new b"));
        QCOMPARE(folder.readFile(QStringLiteral("KorvoUpdate")), QByteArray("old updater"));
        QCOMPARE(folder.readFile(QStringLiteral("Qt5Core.dll")), QByteArray("old qt"));
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("Lumetra2"))).isExecutable());
        // The updater's own archive waits in temp/ for the main program.
        QVERIFY(folder.exists(QStringLiteral("temp/") + entries.at(2).FileVersion + ".zip"));
        QVERIFY(!folder.exists(QStringLiteral("temp/") + entries.at(3).FileVersion + ".zip"));
        // Checking ends at 80 % (Qt5Core.dll not counted), downloads go 25, 50, 75, 100.
        QVERIFY(progress.contains(80));
        QVERIFY(!progress.mid(0, progress.indexOf(80) + 1).contains(100));
        QCOMPARE(m_launches.size(), 1);
    }

    void checkingFailureAsksAndCancelRestartsNothing()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("Lumetra2"), "old main");
        const ManifestFileInfo bad { QStringLiteral("x.dat"), QStringLiteral("../"),
            UpdaterTestFolder::md5("x") };
        folder.writeManifest(serverAddress(), { publish("", "Lumetra2", "new main"), bad });
        const auto before = folder.snapshot(true);
        auto window = makeWindow(folder, UpdaterTexts::chineseTexts());
        m_answers = { 1, 0 }; // Retry once, then Cancel
        QVERIFY(runToEnd(*window, folder));
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes.at(0).text, UpdaterTexts::chineseTexts().checkFailed);
        QCOMPARE(m_boxes.at(0).first, QStringLiteral("重试"));
        QCOMPARE(m_boxes.at(0).second, QStringLiteral("取消"));
        QVERIFY(m_launches.isEmpty());
        QCOMPARE(folder.snapshot(true), before);
        QVERIFY(!QFileInfo::exists(QDir(folder.path()).filePath(QStringLiteral("../x.dat"))));
    }

    void downloadFailureCancelKeepsArchives()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("a.dat"), "old a");
        const ManifestFileInfo a = publish("", "a.dat", "new a");
        const ManifestFileInfo missing = UpdaterTestFolder::entryFor("", "b.dat", "never published");
        folder.writeManifest(serverAddress(), { a, missing });
        auto window = makeWindow(folder, UpdaterTexts::english());
        QVERIFY(runToEnd(*window, folder));
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.at(0).text, UpdaterTexts::english().downloadFailed);
        QCOMPARE(m_boxes.at(0).first, QStringLiteral("Retry"));
        QCOMPARE(m_boxes.at(0).second, QStringLiteral("Cancel"));
        QVERIFY(folder.exists(QStringLiteral("temp/") + a.FileVersion + ".zip"));
        QCOMPARE(folder.readFile(QStringLiteral("a.dat")), QByteArray("old a"));
        QVERIFY(m_launches.isEmpty());
    }

    // A download that does not end (one byte every 200 ms) can be cancelled: closing the window stops it,
    // installs nothing, leaves no partial file and starts the main program again.
    void closingDuringTheDownloadCancelsIt()
    {
        HttpsTestServer trickle;
        QVERIFY2(trickle.startStalled(HttpsTestServer::Stall::Trickle), qPrintable(trickle.errorString()));
        qputenv("LUMETRA_UPDATE_CA_FILE", trickle.caFile().toUtf8());
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("a.dat"), "old a");
        folder.writeManifest(trickle.baseUrl() + QStringLiteral("/files/"),
            { UpdaterTestFolder::entryFor("", "a.dat", "new a") });
        UpdateManifest manifest;
        QVERIFY(manifest.load(folder.filePath(QStringLiteral("temp/update_info.xml"))));
        auto window = makeWindow(folder, UpdaterTexts::english());
        window->startChecking(manifest);
        window->show();
        QTRY_COMPARE(window->phase(), int(KorvoUpdate::Downloading));
        QTest::qWait(500);
        QVERIFY(window->isPhaseRunning());
        QVERIFY(window->close());
        m_server.exportEnvironment();
        QVERIFY(!window->isVisible());
        QCOMPARE(m_launches.size(), 1);
        QCOMPARE(m_launches.first().program, folder.filePath(ProgramNames::mainProgram()));
        QVERIFY(m_launches.first().arguments.isEmpty());
        QCOMPARE(folder.readFile(QStringLiteral("a.dat")), QByteArray("old a"));
        QCOMPARE(QDir(folder.filePath(QStringLiteral("temp")))
                     .entryList({ QStringLiteral("*.part") }, QDir::Files),
            QStringList());
        QVERIFY(m_boxes.isEmpty());
    }

    void tamperedArchiveFailsExtractionAndLeavesTheOldVersion()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("Lumetra2"), "old main");
        folder.writeFile(QStringLiteral("a.dat"), "old a");
        const ManifestFileInfo main = publish("", "Lumetra2", "new main");
        ManifestFileInfo a = UpdaterTestFolder::entryFor("", "a.dat", "new a");
        UpdaterTestFolder::writeZip(
            m_root.filePath(QStringLiteral("files/") + a.FileVersion + ".zip"), "a.dat", "evil a");
        folder.writeManifest(serverAddress(), { main, a });
        const auto before = folder.snapshot();
        auto window = makeWindow(folder, UpdaterTexts::english());
        m_answers = { 1, 0 }; // the Retry fails the same way
        QVERIFY(runToEnd(*window, folder));
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes.at(0).text, UpdaterTexts::english().extractFailed);
        QCOMPARE(folder.snapshot(), before);
        QVERIFY(m_launches.isEmpty());
    }

    void escapeAndCloseAreIgnoredWhileAPhaseRuns()
    {
        UpdaterSleep::setTimeScale(1.0);
        UpdaterTestFolder folder;
        ManifestFileList many;
        for (int i = 0; i < 10; ++i)
            many.append(UpdaterTestFolder::entryFor("", QStringLiteral("f%1").arg(i), "x"));
        folder.writeManifest(serverAddress(), many);
        UpdateManifest manifest;
        QVERIFY(manifest.load(folder.filePath(QStringLiteral("temp/update_info.xml"))));
        auto window = makeWindow(folder, UpdaterTexts::english());
        window->startChecking(manifest);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->statusTimer()->isActive());
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        QVERIFY(window->isPhaseRunning());
        // Destroying the window mid-phase stops and waits for its worker instead of aborting.
        window.reset();
        UpdaterSleep::setTimeScale(0.01);
    }

    void missingOrBrokenManifestShowsTextNine_data()
    {
        QTest::addColumn<QByteArray>("manifest");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not xml") << QByteArray("<Update><FileInfos>");
        QTest::newRow("wrong root") << QByteArray("<update/>");
    }

    void missingOrBrokenManifestShowsTextNine()
    {
        QFETCH(QByteArray, manifest);
        UpdaterTestFolder folder;
        if (!manifest.isEmpty())
            folder.writeFile(QStringLiteral("temp/update_info.xml"), manifest);
        const QString current = QDir::currentPath();
        UpdaterStartup startup({ "KorvoUpdate", "_Lumetra2", "lang_en" }, folder.path());
        QCOMPARE(startup.run(), 0);
        QDir::setCurrent(current);
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.at(0).text, QStringLiteral("An unknown error occurred while Updateing"));
        QCOMPARE(m_boxes.at(0).first, QStringLiteral("Confirm"));
        QVERIFY(m_boxes.at(0).second.isEmpty());
    }

    void wrongCommandLineDoesNothing()
    {
        UpdaterTestFolder folder;
        const QString current = QDir::currentPath();
        QCOMPARE(UpdaterStartup({ "KorvoUpdate" }, folder.path()).run(), 0);
        QCOMPARE(UpdaterStartup({ "KorvoUpdate", "_Lumetra2" }, folder.path()).run(), 0);
        QDir::setCurrent(current);
        QVERIFY(m_boxes.isEmpty());
    }

    void killedInstallIsUndoneAndTheNextRunCompletesIt()
    {
        UpdaterTestFolder folder;
        // The new main program leaves a mark when the updater starts it.
        const QByteArray newMain = "#!/bin/sh\ntouch \"$(dirname \"$0\")/restarted\"\n";
        folder.writeFile(QStringLiteral("Lumetra2"), "old main");
        folder.writeFile(QStringLiteral("lib/a.dat"), "old a");
        const ManifestFileList entries { publish("", "Lumetra2", newMain), publish("lib/", "a.dat", "new a"),
            publish("new/", "b.dat", "new b") };
        folder.writeManifest(serverAddress(), entries);
        const auto before = folder.snapshot();
        for (const ManifestFileInfo &entry : entries) {
            const QString zip = QStringLiteral("/") + entry.FileVersion + QStringLiteral(".zip");
            QVERIFY(QFile::copy(m_root.filePath(QStringLiteral("files") + zip),
                folder.filePath(QStringLiteral("temp") + zip)));
        }
        // A first run killed with SIGKILL in the middle of replacing the files.
        const pid_t child = ::fork();
        if (child == 0) {
            int renames = 0;
            InstallTransaction::setRenameHook([&renames](const QString &, const QString &) {
                if (++renames == 3)
                    ::raise(SIGKILL);
                return true;
            });
            InstallTransaction transaction(folder.path());
            for (const ManifestFileInfo &entry : entries)
                transaction.stage(entry);
            transaction.commit();
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(folder.exists(QStringLiteral(".korvo-update.journal")));
        QVERIFY(folder.snapshot() != before); // a mix of versions, as the kill left it

        // A Lumetra2 the user runs (here another process) holds the main program's lock: this test's
        // updater does not wait for it.
        const QString mainLock
            = Korvo_InstanceLock::lockFilePath(QLatin1String(Korvo_InstanceLock::MainProgramId));
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t userLumetra = ::fork();
        if (userLumetra == 0) {
            QLockFile lock(mainLock);
            lock.tryLock(0); // taken, or held already by a real Lumetra2
            const char one = '1';
            if (::write(ready[1], &one, 1) != 1)
                ::_exit(1);
            ::sleep(120);
            ::_exit(0);
        }
        char signalled = 0;
        QCOMPARE(::read(ready[0], &signalled, 1), ssize_t(1));
        ::close(ready[0]);
        ::close(ready[1]);
        QVERIFY(Korvo_InstanceLock::isHeld(QLatin1String(Korvo_InstanceLock::MainProgramId)));
        const QString current = QDir::currentPath();
        QElapsedTimer took;
        took.start();
        UpdaterStartup startup({ "KorvoUpdate", "_Lumetra2", "lang_en" }, folder.path());
        const int exitCode = startup.run();
        const qint64 tookMs = took.elapsed();
        ::kill(userLumetra, SIGKILL);
        ::waitpid(userLumetra, nullptr, 0);
        // The killed holder's lock is stale now: clear it unless a real Lumetra2 holds it.
        QLockFile stale(mainLock);
        stale.setStaleLockTime(0);
        if (stale.tryLock(0))
            stale.unlock();
        QCOMPARE(exitCode, 0);
        QVERIFY2(tookMs < Korvo_DecompressionFileThread::MainProgramWaitMs / 2,
            qPrintable(QString::number(tookMs)));
        QDir::setCurrent(current);
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(folder.readFile(QStringLiteral("Lumetra2")), newMain);
        QCOMPARE(folder.readFile(QStringLiteral("lib/a.dat")), QByteArray("new a"));
        QCOMPARE(folder.readFile(QStringLiteral("new/b.dat")), QByteArray("new b"));
        QVERIFY(!folder.exists(QStringLiteral(".korvo-update.journal")));
        QVERIFY(!folder.exists(QStringLiteral("Lumetra2.korvo-old")));
        QTRY_VERIFY_WITH_TIMEOUT(folder.exists(QStringLiteral("restarted")), 5000);
    }
};

QTEST_MAIN(TestKorvoUpdate)
#include "tst_korvoupdate.moc"
