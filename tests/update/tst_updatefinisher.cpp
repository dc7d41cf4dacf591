#include "programnames.h"
#include "testfiles.h"
#include "updatefinisher.h"

#include <JlCompress.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

/// Finishing after the updater's restart: the new updater goes in only with the right digest and only by a
/// rename, a failure keeps the old updater and the archive, and emptying temp/ never reaches outside it.
class TestUpdateFinisher : public QObject
{
    Q_OBJECT

private:
    static QString md5(const QByteArray &content)
    {
        return QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex());
    }

    /// temp/update_info.xml listing the updater with digest, and its archive holding content.
    void prepare(const QString &folder, const QString &digest, const QByteArray &content,
        const QString &fileDir = QString(), bool withArchive = true)
    {
        const QString name = ProgramNames::updater();
        QVERIFY(TestFiles::write(folder + QStringLiteral("/temp/update_info.xml"),
            QStringLiteral("<Update><CurrentVersion Value=\"1.0.3.0\"/><FileInfos>"
                           "<FileInfo FileName=\"Lumetra2\" FileDir=\"\" FileVersion=\"%1\"/>"
                           "<FileInfo FileName=\"%2\" FileDir=\"%3\" FileVersion=\"%4\"/>"
                           "</FileInfos></Update>")
                .arg(md5("main"), name, fileDir, digest)
                .toUtf8()));
        if (!withArchive)
            return;
        QTemporaryDir staging;
        const QString source = staging.filePath(name);
        QVERIFY(TestFiles::write(source, content));
        QVERIFY(JlCompress::compressFile(
            folder + QStringLiteral("/temp/") + digest + QStringLiteral(".zip"), source));
    }

    QString updaterPath(const QTemporaryDir &dir) const { return dir.filePath(ProgramNames::updater()); }

private slots:
    void installsTheNewUpdater()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(updaterPath(dir), "old updater"));
        prepare(dir.path(), md5("new updater"), "new updater");
        UpdateFinisher finisher(dir.path());
        QCOMPARE(finisher.installUpdater(), UpdateFinisher::UpdaterResult::Installed);
        QCOMPARE(TestFiles::read(updaterPath(dir)), QByteArray("new updater"));
        QVERIFY(QFileInfo(updaterPath(dir)).isExecutable());
        QVERIFY(!QFile::exists(
            dir.filePath(QStringLiteral("temp/") + md5("new updater") + QStringLiteral(".zip"))));
        // Nothing left beside it under the temporary name.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void wrongDigestKeepsOldUpdaterAndArchive()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(updaterPath(dir), "old updater"));
        const QString digest = md5("what the manifest promised");
        prepare(dir.path(), digest, "tampered content");
        UpdateFinisher finisher(dir.path());
        QCOMPARE(finisher.installUpdater(), UpdateFinisher::UpdaterResult::Failed);
        QCOMPARE(TestFiles::read(updaterPath(dir)), QByteArray("old updater"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("temp/") + digest + QStringLiteral(".zip"))));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void brokenArchiveKeepsOldUpdater()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(updaterPath(dir), "old updater"));
        const QString digest = md5("new");
        prepare(dir.path(), digest, "new", QString(), false);
        QVERIFY(TestFiles::write(
            dir.filePath(QStringLiteral("temp/") + digest + QStringLiteral(".zip")), "not a zip"));
        QCOMPARE(UpdateFinisher(dir.path()).installUpdater(), UpdateFinisher::UpdaterResult::Failed);
        QCOMPARE(TestFiles::read(updaterPath(dir)), QByteArray("old updater"));
    }

    // An archive whose updater member is a link to a file outside the folder, with that file's digest: the
    // main program refuses it as the updater does, and neither installs the link nor touches the file.
    void linkMemberIsRefused()
    {
        QTemporaryDir dir;
        QTemporaryDir outside;
        const QString victim = outside.filePath(QStringLiteral("victim"));
        QVERIFY(TestFiles::write(victim, "victim"));
        QVERIFY(QFile::setPermissions(victim, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(TestFiles::write(updaterPath(dir), "old updater"));
        const QString digest = md5("victim");
        prepare(dir.path(), digest, QByteArray(), QString(), false);
        QuaZip zip(dir.filePath(QStringLiteral("temp/") + digest + QStringLiteral(".zip")));
        QVERIFY(zip.open(QuaZip::mdCreate));
        QuaZipFile member(&zip);
        QuaZipNewInfo info(ProgramNames::updater());
        info.externalAttr = quint32(0120777) << 16; // a symbolic link, as zip stores it
        QVERIFY(member.open(QIODevice::WriteOnly, info));
        member.write(QFile::encodeName(victim));
        member.close();
        zip.close();

        QCOMPARE(UpdateFinisher(dir.path()).installUpdater(), UpdateFinisher::UpdaterResult::Failed);
        QVERIFY(!QFileInfo(updaterPath(dir)).isSymLink());
        QCOMPARE(TestFiles::read(updaterPath(dir)), QByteArray("old updater"));
        QCOMPARE(QFileInfo(victim).permissions() & (QFile::ExeOwner | QFile::ExeUser | QFile::ExeOther),
            QFile::Permissions());
    }

    void missingArchiveIsSkipped()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(updaterPath(dir), "old updater"));
        prepare(dir.path(), md5("new"), "new", QString(), false);
        QCOMPARE(UpdateFinisher(dir.path()).installUpdater(), UpdateFinisher::UpdaterResult::NoArchive);
        QCOMPARE(TestFiles::read(updaterPath(dir)), QByteArray("old updater"));
    }

    void noManifestOrNoEntry()
    {
        QTemporaryDir dir;
        QCOMPARE(UpdateFinisher(dir.path()).installUpdater(), UpdateFinisher::UpdaterResult::NotListed);
        QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("temp/update_info.xml")), "<Update/>"));
        QCOMPARE(UpdateFinisher(dir.path()).installUpdater(), UpdateFinisher::UpdaterResult::NotListed);
    }

    void badPathsAreRefused_data()
    {
        QTest::addColumn<QString>("digest");
        QTest::addColumn<QString>("fileDir");
        QTest::newRow("dot-dot") << md5("new") << QStringLiteral("../");
        QTest::newRow("absolute") << md5("new") << QStringLiteral("/tmp/");
        QTest::newRow("short digest") << QStringLiteral("abc") << QString();
        QTest::newRow("digest with slash") << QStringLiteral("../../0123456789abcdef0123456789") << QString();
    }

    void badPathsAreRefused()
    {
        QFETCH(QString, digest);
        QFETCH(QString, fileDir);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(updaterPath(dir), "old updater"));
        prepare(dir.path(), digest, "new", fileDir, false);
        QCOMPARE(UpdateFinisher(dir.path()).installUpdater(), UpdateFinisher::UpdaterResult::Refused);
        QCOMPARE(TestFiles::read(updaterPath(dir)), QByteArray("old updater"));
    }

    void emptiesTempButKeepsIt()
    {
        QTemporaryDir dir;
        QTemporaryDir outside;
        QVERIFY(TestFiles::write(outside.filePath(QStringLiteral("precious.txt")), "keep me"));
        QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("temp/update_info.xml")), "x"));
        QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("temp/.hidden")), "x"));
        QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("temp/sub/deeper/file.zip")), "x"));
        QVERIFY(QFile::link(outside.path(), dir.filePath(QStringLiteral("temp/linkdir"))));
        QVERIFY(QFile::link(outside.filePath(QStringLiteral("precious.txt")),
            dir.filePath(QStringLiteral("temp/sub/linkfile"))));
        QVERIFY(TestFiles::write(dir.filePath(QStringLiteral("config.xml")), "settings"));

        UpdateFinisher finisher(dir.path());
        QVERIFY(finisher.emptyTempFolder());
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("temp"))).isDir());
        QCOMPARE(QDir(dir.filePath(QStringLiteral("temp")))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                     .size(),
            0);
        QCOMPARE(TestFiles::read(outside.filePath(QStringLiteral("precious.txt"))), QByteArray("keep me"));
        QCOMPARE(TestFiles::read(dir.filePath(QStringLiteral("config.xml"))), QByteArray("settings"));
    }

    void tempThatIsALinkIsNotFollowed()
    {
        QTemporaryDir dir;
        QTemporaryDir outside;
        QVERIFY(TestFiles::write(outside.filePath(QStringLiteral("precious.txt")), "keep me"));
        QVERIFY(QFile::link(outside.path(), dir.filePath(QStringLiteral("temp"))));
        QVERIFY(UpdateFinisher(dir.path()).emptyTempFolder());
        QCOMPARE(TestFiles::read(outside.filePath(QStringLiteral("precious.txt"))), QByteArray("keep me"));
        const QFileInfo temp(dir.filePath(QStringLiteral("temp")));
        QVERIFY(temp.isDir() && !temp.isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestUpdateFinisher)
#include "tst_updatefinisher.moc"
