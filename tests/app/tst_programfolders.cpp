#include "programfolders.h"

#include <QtTest>

// Where the settings live: beside a program folder of its own, in the user's configuration folder for a
// program the package manager installed (under /usr, or a folder its user cannot write).
class TestProgramFolders : public QObject
{
    Q_OBJECT

private slots:
    void settingsFolderByPlace_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("packageManaged");
        QTest::addColumn<QString>("settings");
        const QString user = QStringLiteral("/home/ann/.config/lumetra");
        QTest::newRow("the package's /usr/bin") << "/usr/bin" << false << true << user;
        QTest::newRow("/usr/bin as root, writable") << "/usr/bin" << true << true << user;
        QTest::newRow("/usr itself") << "/usr" << true << true << user;
        QTest::newRow("/usr/local/bin of cmake --install") << "/usr/local/bin" << true << true << user;
        QTest::newRow("a folder merely named like /usr") << "/usr2/bin" << true << false << "/usr2/bin";
        QTest::newRow("a path that leaves /usr")
            << "/usr/../home/ann/lumetra" << true << false << "/usr/../home/ann/lumetra";
        QTest::newRow("a portable folder") << "/home/ann/lumetra" << true << false << "/home/ann/lumetra";
        QTest::newRow("a read-only portable folder") << "/media/cd/lumetra" << false << true << user;
    }

    void settingsFolderByPlace()
    {
        QFETCH(QString, programFolder);
        QFETCH(bool, writable);
        QTEST(ProgramFolders::isPackageManaged(programFolder, writable), "packageManaged");
        QTEST(ProgramFolders::settingsFolder(programFolder, writable, QStringLiteral("/home/ann/.config")),
            "settings");
    }
};

QTEST_GUILESS_MAIN(TestProgramFolders)
#include "tst_programfolders.moc"
