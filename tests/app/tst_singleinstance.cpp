#include "korvo_instancelock.h"
#include "korvo_singleapplication.h"
#include "lumetra2startup.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <memory>
#include <vector>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// A second Lumetra2 started while an instance runs: it exits with 0 at once and the first instance's window
// comes up, also from hidden or minimised. The first instance is this test (with the program's id), or a
// real Lumetra2 in its own temporary folder.
class TestSingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit TestSingleInstance(Korvo_SingleApplication &application)
        : m_application(application)
    {
    }

private:
    Korvo_SingleApplication &m_application;
    QTemporaryDir m_programDir;

    // The program copied into a scratch folder, because it writes config.xml next to itself.
    QString program() const { return m_programDir.filePath(QStringLiteral("Lumetra2")); }

    QProcessEnvironment environment(const QString &tempDir) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tempDir);
        env.insert(QStringLiteral("LUMETRA_NVAPI_LIBRARY"), QStringLiteral(NVAPI_SIM_LIBRARY));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_programDir.filePath(QStringLiteral("xdg")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QGuiApplication::platformName());
        return env;
    }

    // Starts the second instance and turns the event loop until it has ended; its run time in ms.
    qint64 runSecond(const QString &tempDir, int &exitCode)
    {
        QProcess second;
        second.setProcessEnvironment(environment(tempDir));
        QElapsedTimer clock;
        clock.start();
        second.start(program(), QStringList());
        if (!second.waitForStarted(5000))
            return -1;
        while (second.state() != QProcess::NotRunning && clock.elapsed() < 15000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            second.waitForFinished(20);
        }
        exitCode = second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
        return clock.elapsed();
    }

    /// This test's own run-time folder, where its lock and socket lie (set in main).
    static QString runtimeFolder() { return qEnvironmentVariable("XDG_RUNTIME_DIR"); }

    static void restore(const char *name, const QByteArray &value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    static bool visibleWindowTitled(const QString &title)
    {
        return QProcess::execute(QStringLiteral("xdotool"),
                   { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                       title })
            == 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_programDir.isValid());
        QVERIFY(QFile::copy(QStringLiteral(LUMETRA2_PROGRAM), program()));
        QVERIFY(!m_application.isRunning());
    }

    // The channel belongs to the user who runs the program, not to whatever USER says: unset or changed it
    // must neither merge different users nor split one.
    void channelNameFollowsTheRealUser()
    {
        const QByteArray user = qgetenv("USER");
        const QByteArray userName = qgetenv("USERNAME");
        const QString id = QLatin1String(Lumetra2Startup::ApplicationId);
        const QString own = Korvo_SingleApplication::channelName(id);
        qputenv("USER", "somebody-else");
        const QString otherUserVariable = Korvo_SingleApplication::channelName(id);
        qunsetenv("USER");
        qunsetenv("USERNAME");
        const QString noUserVariable = Korvo_SingleApplication::channelName(id);
        restore("USER", user);
        restore("USERNAME", userName);
        QCOMPARE(otherUserVariable, own);
        QCOMPARE(noUserVariable, own);
        QVERIFY(own.startsWith(id + QLatin1Char('-')));
    }

    void anotherUserGetsAnotherChannel()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to run a child as another user");
        // Both sides without USER, which is how the fault showed: only the real user id tells them apart.
        const QByteArray user = qgetenv("USER");
        qunsetenv("USER");
        const QString own
            = Korvo_SingleApplication::channelName(QLatin1String(Lumetra2Startup::ApplicationId));
        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            int status = 1;
            if (::setgid(65534) == 0 && ::setuid(65534) == 0) {
                const QByteArray name
                    = Korvo_SingleApplication::channelName(QLatin1String(Lumetra2Startup::ApplicationId))
                          .toUtf8();
                status = ::write(fds[1], name.constData(), size_t(name.size())) == name.size() ? 0 : 1;
            }
            ::_exit(status);
        }
        ::close(fds[1]);
        QByteArray other;
        char buffer[256];
        for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
            other.append(buffer, int(n));
        ::close(fds[0]);
        int status = -1;
        ::waitpid(child, &status, 0);
        restore("USER", user);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY(!other.isEmpty());
        QVERIFY(QString::fromUtf8(other) != own);
    }

    void hiddenWindowIsShownAndActivated()
    {
        QWidget window;
        window.setWindowTitle(QStringLiteral("first instance"));
        m_application.setActivationWindow(&window, true);
        QVERIFY(!window.isVisible());
        int exitCode = -1;
        const qint64 elapsed = runSecond(runtimeFolder(), exitCode);
        QCOMPARE(exitCode, 0);
        QVERIFY2(elapsed >= 0 && elapsed < 5000, qPrintable(QString::number(elapsed)));
        QTRY_VERIFY(window.isVisible());
        QTRY_VERIFY(window.isActiveWindow());
        // The second instance stopped before making a window or touching config.xml.
        QVERIFY(!QFile::exists(m_programDir.filePath(QStringLiteral("config.xml"))));
        m_application.setActivationWindow(nullptr);
    }

    void minimisedWindowIsRestored()
    {
        QWidget window;
        m_application.setActivationWindow(&window, true);
        window.showMinimized();
        int exitCode = -1;
        runSecond(runtimeFolder(), exitCode);
        QCOMPARE(exitCode, 0);
        QTRY_VERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
        m_application.setActivationWindow(nullptr);
    }

    void messagesReachTheFirstInstance()
    {
        QSignalSpy spy(&m_application, &Korvo_SingleApplication::messageReceived);
        int exitCode = -1;
        runSecond(runtimeFolder(), exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QStringLiteral("show"));
    }

    // The lock and the socket live in the user's run-time folder, not in TMPDIR: a start with another
    // TMPDIR still meets the first instance instead of running beside it.
    void anotherTmpdirStillMeetsTheFirstInstance()
    {
        QSignalSpy spy(&m_application, &Korvo_SingleApplication::messageReceived);
        QTemporaryDir otherTemp;
        QProcess second;
        QProcessEnvironment env = environment(runtimeFolder());
        env.insert(QStringLiteral("TMPDIR"), otherTemp.path());
        second.setProcessEnvironment(env);
        second.start(program(), QStringList());
        QVERIFY(second.waitForStarted(5000));
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 15000);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(spy.count(), 1);
        QVERIFY(!QFile::exists(m_programDir.filePath(QStringLiteral("config.xml"))));
    }

    // An empty lock (a kill between its creation and its first write, or a file planted by hand) stops
    // nobody once it is a few seconds old; a fresh one may be an owner still writing it, and counts.
    void emptyLockIsStaleOnceItIsOld()
    {
        const QString id = QStringLiteral("tst_emptylock");
        const QString path = Korvo_InstanceLock::lockFilePath(id);
        QVERIFY(path.startsWith(runtimeFolder()));
        QFile lock(path);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        QVERIFY(Korvo_InstanceLock::isHeld(id));
        QVERIFY(
            lock.setFileTime(QDateTime::currentDateTime().addSecs(-10), QFileDevice::FileModificationTime));
        lock.close();
        QVERIFY(!Korvo_InstanceLock::isHeld(id));
        QLockFile taken(path);
        QVERIFY(taken.tryLock(0));
    }

    // A flood on the channel: 2,000 idle connections from another process while this one (the first
    // instance) has the usual 1,024 file descriptors, and a frame that announces 4 GiB. The first instance
    // keeps listening and still answers a second start's "show".
    void floodedChannelStillAnswers()
    {
        QSignalSpy spy(&m_application, &Korvo_SingleApplication::messageReceived);
        const QString address = Korvo_InstanceLock::socketPath(QLatin1String(Lumetra2Startup::ApplicationId));

        QLocalSocket huge;
        huge.connectToServer(address);
        QTRY_COMPARE(huge.state(), QLocalSocket::ConnectedState);
        QByteArray frame;
        QDataStream(&frame, QIODevice::WriteOnly) << quint32(0xFFFFFFF0u);
        frame.append(QByteArray(64 * 1024, 'x'));
        huge.write(frame);
        // Refused on sight, well before the idle limit would end it.
        QTRY_VERIFY_WITH_TIMEOUT(huge.state() == QLocalSocket::UnconnectedState, 1500);

        rlimit saved = {};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        rlimit lowered = saved;
        lowered.rlim_cur = std::min<rlim_t>(1024, saved.rlim_max);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
        QProcess flooder;
        flooder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        flooder.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--flood"), address });
        QVERIFY(flooder.waitForStarted(5000));
        // The flooder says how many connections it made once it has made them all.
        QTRY_VERIFY_WITH_TIMEOUT(flooder.canReadLine(), 30000);
        QCOMPARE(flooder.readLine().trimmed(), QByteArray("2000"));
        QTest::qWait(500);
        int exitCode = -1;
        const qint64 elapsed = runSecond(runtimeFolder(), exitCode);
        flooder.kill();
        flooder.waitForFinished(5000);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        QCOMPARE(exitCode, 0);
        QVERIFY2(elapsed >= 0 && elapsed < 10000, qPrintable(QString::number(elapsed)));
        QTRY_VERIFY(spy.count() >= 1);
        QCOMPARE(spy.last().first().toString(), QStringLiteral("show"));
    }

    void twoRealInstances()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        // A separate temporary folder: another lock and socket than this test's own.
        QTemporaryDir channel;
        QProcess first;
        first.setProcessEnvironment(environment(channel.path()));
        first.start(program(), QStringList());
        QVERIFY(first.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindowTitled(QStringLiteral("LumetraII")), 15000);
        int exitCode = -1;
        const qint64 elapsed = runSecond(channel.path(), exitCode);
        QCOMPARE(exitCode, 0);
        QVERIFY(elapsed < 5000);
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(visibleWindowTitled(QStringLiteral("LumetraII")));
        first.terminate();
        QVERIFY(first.waitForFinished(5000));
    }
};

/// The flood of floodedChannelStillAnswers, from a process of its own: 2,000 connections that send
/// nothing, held until the process is killed.
static int flood(const QString &address)
{
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 2000; ++i) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(address);
        idle.push_back(std::move(socket));
    }
    std::printf("%zu\n", idle.size());
    std::fflush(stdout);
    ::pause();
    return 0;
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--flood") == 0) {
        QCoreApplication application(argc, argv);
        return flood(QString::fromLocal8Bit(argv[2]));
    }
    QTemporaryDir temp;
    qputenv("XDG_RUNTIME_DIR", temp.path().toLocal8Bit());
    Korvo_SingleApplication application(argc, argv, QLatin1String(Lumetra2Startup::ApplicationId));
    TestSingleInstance test(application);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
