#include "mainwindowfixture.h"

#include "cardcommandsequence.h"
#include "cardsession.h"
#include "configstore.h"
#include "inprocessdriver.h"
#include "korvo_messagebox.h"
#include "lumetra2.h"

#include <QCoreApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

MainWindowFixture::MainWindowFixture(Answer answer, Driver driver)
{
    if (!m_dir.isValid() || !QDir::setCurrent(m_dir.path()))
        return;
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    QDir().mkdir(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("xdg")).toLocal8Bit());
    if (driver == Driver::InProcess)
        m_driver = std::make_unique<InProcessDriver>();
    Korvo_MessageBox::setAutoAnswer(std::move(answer));
    m_ready = true;
}

MainWindowFixture::~MainWindowFixture()
{
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    Korvo_MessageBox::setAutoAnswer(nullptr);
    m_driver.reset();
    QDir::setCurrent(QDir::tempPath());
}

bool MainWindowFixture::isValid() const
{
    return m_ready;
}

void MainWindowFixture::restartDriver()
{
    m_driver.reset();
    m_driver = std::make_unique<InProcessDriver>();
}

QString MainWindowFixture::filePath(const QString &name) const
{
    return m_dir.filePath(name);
}

SimCardConfig MainWindowFixture::card(const std::string &name, NvU32 subsystemId, bool led, bool lcd)
{
    SimCardConfig config;
    config.name = name;
    config.subsystemId = subsystemId;
    config.hasLed = led;
    config.hasLcd = lcd;
    return config;
}

MainWindowFixture::Answer MainWindowFixture::clickYes()
{
    return [](Korvo_MessageBox *box) { box->yesButton()->click(); };
}

GeneralSettingRecord MainWindowFixture::general(const QString &language)
{
    GeneralSettingRecord general;
    general.Language = language;
    general.StartOnBoot = false;
    return general;
}

bool MainWindowFixture::seedConfig(const std::function<void(ConfigStore &)> &fill)
{
    ConfigStore store(QStringLiteral("config.xml"), [] { return QDate(2020, 1, 2); });
    store.load();
    fill(store);
    return store.save();
}

bool MainWindowFixture::seedConfig(const GeneralSettingRecord &general)
{
    return seedConfig([&general](ConfigStore &store) { store.setGeneralSetting(general); });
}

bool MainWindowFixture::waitForCardStartUp(const Lumetra2 &window, int timeoutMs)
{
    const auto allRan = [&window] {
        for (int i = 0; i < window.cardCount(); ++i) {
            // The other cards' pages are built on the loop's first turns.
            const CardSession *session = window.session(i);
            if (!session || !session->startUp()->isFinished())
                return false;
        }
        return true;
    };
    return QTest::qWaitFor(allRan, timeoutMs);
}
