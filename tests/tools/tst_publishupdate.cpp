#include "manifestpaths.h"
#include "testfiles.h"
#include "updatemanifest.h"
#include "updatepublisher.h"

#include <JlCompress.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

/// The release tool, run as the maker runs it: its manifest loads with the reader both programs use, and
/// each entry's archive holds a member of the entry's name whose content hashes to the entry's digest.
class TestPublishUpdate : public QObject
{
    Q_OBJECT

private:
    static QString md5(const QByteArray &content)
    {
        return QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex());
    }

    int run(const QStringList &arguments, QByteArray *errorOutput = nullptr)
    {
        QProcess process;
        process.start(QStringLiteral(PUBLISH_UPDATE_PATH), arguments);
        if (!process.waitForFinished(30000))
            return -1;
        if (errorOutput)
            *errorOutput = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    void makeProgram(const QString &folder)
    {
        QVERIFY(
            TestFiles::write(folder + QStringLiteral("/Lumetra2"), QByteArray("main program \x01\x02", 15)));
        QVERIFY(TestFiles::write(folder + QStringLiteral("/KorvoUpdate"), "updater"));
        QVERIFY(TestFiles::write(folder + QStringLiteral("/lib/libfoo.so"), "library"));
        QVERIFY(
            TestFiles::write(folder + QStringLiteral("/lib/copy.so"), "library")); // same content, other name
        QVERIFY(TestFiles::write(folder + QStringLiteral("/fonts/cn/a & b.ttf"), "font"));
        QVERIFY(QFile::link(folder + QStringLiteral("/Lumetra2"), folder + QStringLiteral("/link")));
    }

private slots:
    void manifestAndArchivesMatch()
    {
        QTemporaryDir program;
        QTemporaryDir out;
        makeProgram(program.path());
        QCOMPARE(run({ QStringLiteral("--version"), QStringLiteral("1.0.10.0"), QStringLiteral("--server"),
                     QStringLiteral("https://127.0.0.1:4443/"), program.path(), out.path() }),
            0);

        const QString packets = out.filePath(QStringLiteral("update_packets/Lumetra2_UpdateFiles"));
        UpdateManifest manifest;
        QVERIFY(manifest.load(packets + QStringLiteral("/update_info.xml")));
        QCOMPARE(manifest.currentVersion(), QStringLiteral("1.0.10.0"));
        QCOMPARE(manifest.manualDownloadVersion(), QString());
        QCOMPARE(manifest.serverAddress(),
            QStringLiteral("https://127.0.0.1:4443/update_packets/Lumetra2_UpdateFiles"));

        QStringList listed;
        for (const ManifestFileInfo &entry : manifest.files())
            listed.append(entry.FileDir + entry.FileName);
        // Sorted, symbolic link left out, sub-folders as FileDir ending in "/".
        QCOMPARE(listed,
            (QStringList { QStringLiteral("KorvoUpdate"), QStringLiteral("Lumetra2"),
                QStringLiteral("fonts/cn/a & b.ttf"), QStringLiteral("lib/copy.so"),
                QStringLiteral("lib/libfoo.so") }));

        QTemporaryDir extracted;
        for (const ManifestFileInfo &entry : manifest.files()) {
            QVERIFY(ManifestPaths::isDigest(entry.FileVersion));
            QFile original(program.filePath(entry.FileDir + entry.FileName));
            QVERIFY(original.open(QIODevice::ReadOnly));
            QCOMPARE(entry.FileVersion, md5(original.readAll()));
            // The archive lies where the updater will look for it.
            const QString url = ManifestPaths::archiveUrl(manifest.serverAddress(), entry.FileVersion);
            const QString zip = packets + QLatin1Char('/') + entry.FileVersion + QStringLiteral(".zip");
            QVERIFY(url.endsWith(
                QStringLiteral("Lumetra2_UpdateFiles/") + entry.FileVersion + QStringLiteral(".zip")));
            const QString target = extracted.filePath(entry.FileVersion + entry.FileName);
            QCOMPARE(JlCompress::extractFile(zip, entry.FileName, target), target);
            QFile member(target);
            QVERIFY(member.open(QIODevice::ReadOnly));
            QCOMPARE(md5(member.readAll()), entry.FileVersion);
        }
        // The two identical libraries share one archive.
        QCOMPARE(QDir(packets).entryList({ QStringLiteral("*.zip") }).size(), 4);
    }

    void manualDownloadVersionIsWritten()
    {
        QTemporaryDir program;
        QTemporaryDir out;
        QVERIFY(TestFiles::write(program.filePath(QStringLiteral("Lumetra2")), "x"));
        UpdatePublisher publisher;
        QVERIFY2(publisher.publish({ program.path(), out.path(), QStringLiteral("1.0.3.1"),
                     QStringLiteral("https://h"), QStringLiteral("1.0.3.0") }),
            qPrintable(publisher.error()));
        UpdateManifest manifest;
        QVERIFY(
            manifest.load(UpdatePublisher::packetFolder(out.path()) + QStringLiteral("/update_info.xml")));
        QCOMPARE(manifest.manualDownloadVersion(), QStringLiteral("1.0.3.0"));
    }

    void refusesBadInput()
    {
        QTemporaryDir program;
        QTemporaryDir out;
        QVERIFY(TestFiles::write(program.filePath(QStringLiteral("Lumetra2")), "x"));
        QByteArray error;
        QCOMPARE(run({ QStringLiteral("--version"), QStringLiteral("1.0.x"), QStringLiteral("--server"),
                         QStringLiteral("https://h"), program.path(), out.path() },
                     &error),
            1);
        QVERIFY(error.contains("version"));
        QCOMPARE(
            run({ QStringLiteral("--version"), QStringLiteral("1.0.3.0"), program.path(), out.path() }), 2);
        QTemporaryDir empty;
        QCOMPARE(run({ QStringLiteral("--version"), QStringLiteral("1.0.3.0"), QStringLiteral("--server"),
                     QStringLiteral("https://h"), empty.path(), out.path() }),
            1);
        QVERIFY(
            !QFile::exists(UpdatePublisher::packetFolder(out.path()) + QStringLiteral("/update_info.xml")));
    }
};

QTEST_GUILESS_MAIN(TestPublishUpdate)
#include "tst_publishupdate.moc"
