#include "korvo_singleapplication.h"
#include "lumetra2startup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

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
        env.insert(QStringLiteral("TMPDIR"), tempDir);
        env.insert(QStringLiteral("LUMETRA_NVAPI_LIBRARY"), QStringLiteral(NVAPI_SIM_LIBRARY));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), m_programDir.filePath(QStringLiteral("xdg")));
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
        const qint64 elapsed = runSecond(QDir::tempPath(), exitCode);
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
        runSecond(QDir::tempPath(), exitCode);
        QCOMPARE(exitCode, 0);
        QTRY_VERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
        m_application.setActivationWindow(nullptr);
    }

    void messagesReachTheFirstInstance()
    {
        QSignalSpy spy(&m_application, &Korvo_SingleApplication::messageReceived);
        int exitCode = -1;
        runSecond(QDir::tempPath(), exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QStringLiteral("show"));
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

int main(int argc, char *argv[])
{
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    Korvo_SingleApplication application(argc, argv, QLatin1String(Lumetra2Startup::ApplicationId));
    TestSingleInstance test(application);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
