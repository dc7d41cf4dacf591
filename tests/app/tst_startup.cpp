#include "configstore.h"
#include "inprocessdriver.h"
#include "korvo_messagebox.h"
#include "korvo_singleapplication.h"
#include "korvo_updatelogwidget.h"
#include "lumetra2.h"
#include "lumetra2startup.h"
#include "mainwindowfixture.h"
#include "simdriver.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// Start-up in-process: the simulated driver stands in for the library, message boxes are answered by the
// test, and the program folder is a scratch folder.
class TestStartup : public QObject
{
    Q_OBJECT

public:
    explicit TestStartup(Korvo_SingleApplication &application)
        : m_application(application)
    {
    }

private:
    struct Box
    {
        int type;
        QString text;
        QString yesText;
        bool parentless;
    };

    Korvo_SingleApplication &m_application;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<InProcessDriver> m_driver;
    QList<Box> m_boxes;

    void seedConfig(const GeneralSettingRecord &general)
    {
        ConfigStore store(m_dir->filePath(QStringLiteral("config.xml")), [] { return QDate(2020, 1, 2); });
        store.load();
        store.setGeneralSetting(general);
        QVERIFY(store.save());
    }

    QString configText() const
    {
        QFile file(m_dir->filePath(QStringLiteral("config.xml")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    static QString today() { return QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")); }

    // Runs start-up; whileRunning is called with the window once the event loop turns.
    int start(std::function<void(Lumetra2 *)> whileRunning = {})
    {
        QObject quitGuard;
        auto *poll = new QTimer;
        if (whileRunning) {
            // Waits until start-up's own dialogs have been answered and the loop itself turns.
            poll->setInterval(20);
            QObject::connect(poll, &QTimer::timeout, [poll, whileRunning, &quitGuard]() {
                if (!Lumetra2Startup::mainWindow() || QApplication::activeModalWidget())
                    return;
                poll->stop();
                whileRunning(Lumetra2Startup::mainWindow());
                // A failed check inside returns early: the loop must still end. Queued, because this may run
                // in the nested loop of a start-up dialog; tied to quitGuard so that a quit still pending
                // when start-up returns cannot end the next test's loop.
                QTimer::singleShot(0, &quitGuard, &QCoreApplication::quit);
            });
            poll->start();
        }
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, qApp, &QCoreApplication::quit);
        watchdog.start(20000);
        Lumetra2Startup startup(m_application);
        startup.setProgramFolder(m_dir->path());
        const int result = startup.run();
        delete poll;
        return result;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("xdg")).toLocal8Bit());
        m_driver = std::make_unique<InProcessDriver>();
        m_boxes.clear();
        Korvo_MessageBox::setAutoAnswer([this](Korvo_MessageBox *box) {
            m_boxes.append(
                { box->type(), box->text(), box->yesButton()->text(), box->parentWidget() == nullptr });
            box->yesButton()->click();
        });
    }

    void cleanup()
    {
        Korvo_MessageBox::setAutoAnswer(nullptr);
        m_driver.reset();
        QDir::setCurrent(QDir::tempPath());
        m_dir.reset();
    }

    void isTheFirstInstance() { QVERIFY(!m_application.isRunning()); }

    void noCardShowsOneMessageAndEnds_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("no config") << QString() << QStringLiteral("未发现英伟达显卡!");
        QTest::newRow("lang_ch") << QStringLiteral("lang_ch") << QStringLiteral("未发现英伟达显卡!");
        QTest::newRow("lang_en") << QStringLiteral("lang_en") << QStringLiteral("No nvidia card found");
        QTest::newRow("other value") << QStringLiteral("lang_fr") << QStringLiteral("No nvidia card found");
    }

    void noCardShowsOneMessageAndEnds()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        if (!language.isNull()) {
            GeneralSettingRecord general;
            general.Language = language;
            seedConfig(general);
        }
        m_driver->setMissing(true);
        QCOMPARE(start(), 0);
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().type, 0);
        QCOMPARE(m_boxes.first().text, text);
        QVERIFY(m_boxes.first().parentless);
        QVERIFY(!Lumetra2Startup::mainWindow());
        for (QWidget *widget : QApplication::topLevelWidgets())
            QVERIFY(!widget->isVisible());
        QVERIFY(configText().contains(QStringLiteral("<LastStartDate>") + today()));
        QCOMPARE(QDir::currentPath(), QDir(m_dir->path()).canonicalPath());
    }

    void unusableFolderGivesTheBilingualError()
    {
        Lumetra2Startup startup(m_application);
        startup.setProgramFolder(m_dir->filePath(QStringLiteral("missing/folder")));
        QCOMPARE(startup.run(), 0);
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().text, QStringLiteral("未知错误发生\r\nAn unknown error has occurred"));
        QCOMPARE(m_boxes.first().yesText, QStringLiteral("确定/Comfirm"));
        QCOMPARE(m_boxes.first().type, 0);
        QVERIFY(m_boxes.first().parentless);
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("config.xml"))));
    }

    void normalStartShowsTheWindowAndSavesOnExit()
    {
        bool checked = false;
        const int result = start([&](Lumetra2 *window) {
            QVERIFY(window);
            checked = true;
            QVERIFY(window->isVisible());
            QCOMPARE(window->windowTitle(), QStringLiteral("LumetraII"));
            QCOMPARE(window->size(), QSize(800, 507));
            QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
            QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
            QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
            QCOMPARE(m_application.activationWindow(), window);
            QCOMPARE(QApplication::font().family(), QStringLiteral("微软雅黑"));
            QVERIFY(configText().contains(QStringLiteral("<LastStartDate>") + today()));
            // The default card has the preset: its hint came once, when the card's start-up had run.
            QVERIFY(MainWindowFixture::waitForCardStartUp(*window));
            QTRY_COMPARE(m_boxes.size(), 1);
            QCOMPARE(m_boxes.first().type, 0x1000);
            window->onExitAppAction();
        });
        QVERIFY(checked);
        QCOMPARE(result, 0);
        QVERIFY(!Lumetra2Startup::mainWindow());
        QVERIFY(configText().contains(QStringLiteral("<LastCloseDate>") + today()));
        QVERIFY(configText().contains(QStringLiteral("GeForce GTX 1070 Ti")));
        QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("xdg/autostart/_Lumetra2.desktop"))));
    }

    // A config.xml that does not read as settings is kept as config.xml.bad and the program starts from the
    // defaults: it says so once, naming the kept file, and the next start is quiet.
    void damagedSettingsAreReportedOnce()
    {
        const QByteArray damaged("<KorvoParameter><GeneralSetting Language=\"lang_en\"");
        {
            QFile file(m_dir->filePath(QStringLiteral("config.xml")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(damaged);
        }
        const auto leave = [](Lumetra2 *window) { window->onExitAppAction(); };
        QCOMPARE(start(leave), 0);
        QVERIFY(!m_boxes.isEmpty());
        const Box notice = m_boxes.first();
        QVERIFY(notice.parentless);
        QVERIFY2(notice.text.contains(QStringLiteral("已另存为 config.xml.bad"))
                && notice.text.contains(QStringLiteral("It was kept as config.xml.bad")),
            qPrintable(notice.text));
        QFile kept(m_dir->filePath(QStringLiteral("config.xml.bad")));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), damaged);

        m_boxes.clear();
        QCOMPARE(start(leave), 0);
        for (const Box &box : qAsConst(m_boxes))
            QVERIFY2(!box.text.contains(QStringLiteral("config.xml.bad")), qPrintable(box.text));
    }

    // An updater killed half-way through its install: the main program's next start undoes it (the old
    // file comes back from its second name, the journal goes) and removes a killed extraction's left-overs.
    void startUndoesAnInterruptedInstall()
    {
        const auto write = [this](const QString &name, const QByteArray &bytes) {
            QFile file(m_dir->filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        QVERIFY(write(QStringLiteral("a.dat"), "new a"));
        QVERIFY(write(QStringLiteral("a.dat.korvo-old"), "old a"));
        QVERIFY(write(QStringLiteral(".korvo-update.journal"), "staged\n1\ta.dat\n"));
        QCOMPARE(start([](Lumetra2 *window) { window->onExitAppAction(); }), 0);
        QFile a(m_dir->filePath(QStringLiteral("a.dat")));
        QVERIFY(a.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), QByteArray("old a"));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("a.dat.korvo-old"))));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral(".korvo-update.journal"))));

        QVERIFY(write(QStringLiteral("b.dat.korvo-new"), "half extracted"));
        QCOMPARE(start([](Lumetra2 *window) { window->onExitAppAction(); }), 0);
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("b.dat.korvo-new"))));
    }

    void closingALogWhileInTheTrayDoesNotEndTheProgram()
    {
        bool checked = false;
        const int result = start([&](Lumetra2 *window) {
            checked = true;
            QVERIFY(!QApplication::quitOnLastWindowClosed());
            window->hide();
            // The log the update flow opens without a parent: the only visible window, closed.
            QPointer<Korvo_UpdateLogWidget> log = new Korvo_UpdateLogWidget(English);
            log->show();
            QVERIFY(QTest::qWaitForWindowExposed(log.data()));
            log->close();
            QTRY_VERIFY(log.isNull());
            QTest::qWait(100);
            // The tray's exit is what ends it, saving.
            QVERIFY(Lumetra2Startup::mainWindow());
            window->onExitAppAction();
        });
        QVERIFY(checked);
        QCOMPARE(result, 0);
        QVERIFY(configText().contains(QStringLiteral("<LastCloseDate>") + today()));
    }

    void minimizeOnStartWaitsForTheFirstOpening()
    {
        GeneralSettingRecord general;
        general.MinimizeOnStart = true;
        seedConfig(general);
        bool checked = false;
        start([&](Lumetra2 *window) {
            checked = true;
            // Hidden to the tray, or minimised where there is no tray.
            if (QSystemTrayIcon::isSystemTrayAvailable())
                QVERIFY(!window->isVisible());
            else
                QVERIFY(window->isMinimized());
            // The card's start-up commands run also while the window waits hidden.
            QVERIFY(MainWindowFixture::waitForCardStartUp(*window));
            QCOMPARE(m_boxes.size(), 0);
            window->onShowMainAction();
            QVERIFY(window->isVisible());
            QVERIFY(!window->isMinimized());
            QCOMPARE(m_boxes.size(), 1);
            window->onShowMainAction();
            QCOMPARE(m_boxes.size(), 1);
            window->onExitAppAction();
        });
        QVERIFY(checked);
    }
};

int main(int argc, char *argv[])
{
    // The lock and the socket of the single instance live in the temporary folder: keep them private.
    QTemporaryDir temp;
    qputenv("XDG_RUNTIME_DIR", temp.path().toLocal8Bit());
    Korvo_SingleApplication application(argc, argv, QLatin1String(Lumetra2Startup::ApplicationId));
    TestStartup test(application);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
