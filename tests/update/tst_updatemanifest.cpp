#include "manifestpaths.h"
#include "programversion.h"
#include "updatemanifest.h"
#include "versionorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

const char FullManifest[]
    = "<?xml version=\"1.0\"?>\n"
      "<Update>\n"
      "  <FileInfos>\n"
      "    <FileInfo FileName=\"Lumetra2\" FileDir=\"\" FileVersion=\"0123456789abcdef0123456789abcdef\"/>\n"
      "    <Other FileName=\"ignored\"/>\n"
      "  </FileInfos>\n"
      "  <CurrentVersion Value=\"1.0.2.5\"/>\n"
      "  <ServerAdress Value=\"https://example.test/a\"/>\n"
      "  <Nested><CurrentVersion Value=\"9.9.9.9\"/></Nested>\n"
      "  <FileInfos><FileInfo FileName=\"KorvoUpdate\" "
      "FileVersion=\"ffffffffffffffffffffffffffffffff\"/></FileInfos>\n"
      "  <CurrentVersion Value=\"1.0.2.6\"/>\n"
      "</Update>";
const char SmallManifest[] = "<Update><CurrentVersion Value=\"1\"/></Update>";

class TestUpdateManifest : public QObject
{
    Q_OBJECT

private:
    QString write(const QByteArray &content)
    {
        const QString path = m_dir.filePath(QStringLiteral("update_info.xml"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        file.write(content);
        return path;
    }

    QTemporaryDir m_dir;

private slots:
    void readsEveryElementInAnyOrder()
    {
        UpdateManifest manifest;
        QVERIFY(manifest.load(write(FullManifest)));
        QVERIFY(manifest.isValid());
        QCOMPARE(manifest.serverAddress(), QStringLiteral("https://example.test/a"));
        // The later of two elements wins; an element below a child is not looked at.
        QCOMPARE(manifest.currentVersion(), QStringLiteral("1.0.2.6"));
        // A missing element or attribute reads empty.
        QCOMPARE(manifest.manualDownloadVersion(), QString());
        QCOMPARE(manifest.files().size(), 2);
        QCOMPARE(manifest.files().at(0).FileName, QStringLiteral("Lumetra2"));
        QCOMPARE(manifest.files().at(1).FileName, QStringLiteral("KorvoUpdate"));
        QCOMPARE(manifest.files().at(1).FileDir, QString());
    }

    void refusesWhatIsNotAManifest_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("lower-case root") << QByteArray("<update><CurrentVersion Value='9'/></update>");
        QTest::newRow("not well-formed") << QByteArray("<Update><CurrentVersion Value='9'></Update>");
        QTest::newRow("empty") << QByteArray();
        QByteArray huge = "<Update>" + QByteArray(int(UpdateManifest::MaxFileBytes), ' ') + "</Update>";
        QTest::newRow("too large") << huge;
    }

    void refusesWhatIsNotAManifest()
    {
        QFETCH(QByteArray, content);
        UpdateManifest manifest;
        QVERIFY(manifest.load(write(SmallManifest)));
        QVERIFY(!manifest.load(write(content)));
        QVERIFY(!manifest.isValid());
        // Nothing of the earlier load survives a failed one.
        QCOMPARE(manifest.currentVersion(), QString());
        QVERIFY(manifest.files().isEmpty());
    }

    void theBoundIsExact()
    {
        // A manifest of exactly the bound is read whole; one byte more is refused.
        const QByteArray head = "<Update><CurrentVersion Value='1.0.2.9'/>";
        const QByteArray tail = "</Update>";
        const int padding = int(UpdateManifest::MaxFileBytes) - head.size() - tail.size();
        const QByteArray atBound = head + QByteArray(padding, ' ') + tail;
        QCOMPARE(qint64(atBound.size()), UpdateManifest::MaxFileBytes);
        UpdateManifest manifest;
        QVERIFY(manifest.load(write(atBound)));
        QCOMPARE(manifest.currentVersion(), QStringLiteral("1.0.2.9"));
        QVERIFY(!manifest.load(write(head + QByteArray(padding + 1, ' ') + tail)));
        QCOMPARE(manifest.errorMessage(), QStringLiteral("file too large"));
    }

    void missingFileAndFolderAreRefused()
    {
        UpdateManifest manifest;
        QVERIFY(!manifest.load(m_dir.filePath(QStringLiteral("absent.xml"))));
        QVERIFY(!manifest.load(m_dir.path()));
    }

    void versionOrder_data()
    {
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("newer");
        QTest::newRow("next build") << "1.0.2.5"
                                    << "1.0.2.4" << true;
        QTest::newRow("same") << "1.0.2.4"
                              << "1.0.2.4" << false;
        QTest::newRow("older") << "1.0.2.3"
                               << "1.0.2.4" << false;
        QTest::newRow("two-digit part") << "1.0.10.0"
                                        << "1.0.2.4" << true;
        QTest::newRow("two-digit part, older") << "1.0.2.4"
                                               << "1.0.10.0" << false;
        QTest::newRow("missing part counts 0") << "1.0.2"
                                               << "1.0.2.0" << false;
        QTest::newRow("extra part") << "1.0.2.4.1"
                                    << "1.0.2.4" << true;
        QTest::newRow("leading zeros") << "1.0.02.4"
                                       << "1.0.2.4" << false;
        QTest::newRow("empty") << ""
                               << "1.0.2.4" << false;
        QTest::newRow("letters") << "1.0.x.5"
                                 << "1.0.2.4" << false;
        QTest::newRow("empty part") << "1..2.5"
                                    << "1.0.2.4" << false;
        QTest::newRow("trailing dot") << "2.0."
                                      << "1.0.2.4" << false;
        QTest::newRow("huge number") << "1.0.2.99999999999999999999999"
                                     << "1.0.2.4" << true;
        QTest::newRow("current not a version") << "2.0"
                                               << "" << false;
    }

    void versionOrder()
    {
        QFETCH(QString, candidate);
        QFETCH(QString, current);
        QFETCH(bool, newer);
        QCOMPARE(VersionOrder::isNewer(candidate, current), newer);
    }

    void singleDigitVersionsCompareAsCharactersDid()
    {
        // Wherever every part has one digit, the order is the old character order.
        const QStringList versions { "1.0.2.4", "1.0.2.5", "1.0.3.0", "2.0.0.0", "0.9.9.9", "1.1.0.0" };
        for (const QString &a : versions) {
            for (const QString &b : versions)
                QCOMPARE(VersionOrder::isNewer(a, b), b < a);
        }
        QCOMPARE(QString::fromLatin1(ProgramVersion), QStringLiteral("1.0.2.4"));
    }

    void archiveUrlWithAndWithoutSlash()
    {
        const QString digest = QStringLiteral("0123456789abcdef0123456789abcdef");
        QCOMPARE(ManifestPaths::archiveUrl(QStringLiteral("https://h/x"), digest),
            QStringLiteral("https://h/x/0123456789abcdef0123456789abcdef.zip"));
        QCOMPARE(ManifestPaths::archiveUrl(QStringLiteral("https://h/x/"), digest),
            ManifestPaths::archiveUrl(QStringLiteral("https://h/x"), digest));
    }

    void pathsOfEntries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("digest");
        QTest::addColumn<QString>("target"); // relative to the folder; empty when refused
        const QString d = QStringLiteral("0123456789abcdef0123456789abcdef");
        QTest::newRow("top level") << "Lumetra2"
                                   << "" << d << "Lumetra2";
        QTest::newRow("sub-folder") << "qxcb.so"
                                    << "platforms/" << d << "platforms/qxcb.so";
        QTest::newRow("upper-case digest is valid") << "a"
                                                    << "" << d.toUpper() << "a";
        QTest::newRow("parent in dir") << "a"
                                       << "../" << d << "";
        QTest::newRow("parent deeper") << "a"
                                       << "x/../../" << d << "";
        QTest::newRow("absolute dir") << "a"
                                      << "/etc/" << d << "";
        QTest::newRow("drive") << "a"
                               << "C:/Windows/" << d << "";
        QTest::newRow("backslash dir") << "a"
                                       << "..\\" << d << "";
        QTest::newRow("separator in name") << "x/a"
                                           << "" << d << "";
        QTest::newRow("backslash in name") << "x\\a"
                                           << "" << d << "";
        QTest::newRow("dot-dot name") << ".."
                                      << "" << d << "";
        QTest::newRow("empty name") << ""
                                    << "" << d << "";
        QTest::newRow("short digest") << "a"
                                      << "" << d.left(31) << "";
        QTest::newRow("digest not hex") << "a"
                                        << "" << QString(d).replace(0, 1, "g") << "";
        QTest::newRow("digest with separator") << "a"
                                               << "" << QString(d).replace(0, 3, "../") << "";
    }

    void pathsOfEntries()
    {
        QFETCH(QString, name);
        QFETCH(QString, dir);
        QFETCH(QString, digest);
        QFETCH(QString, target);
        const QString folder = m_dir.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(folder));
        ManifestPaths paths(folder);
        ManifestPaths::Resolved resolved;
        QCOMPARE(paths.resolve({ name, dir, digest }, &resolved), !target.isEmpty());
        if (target.isEmpty())
            return;
        QCOMPARE(resolved.target, QDir::cleanPath(folder + "/" + target));
        QCOMPARE(resolved.archive, folder + "/temp/" + digest + ".zip");
    }

    void linkOutOfTheFolderIsRefused()
    {
        const QString folder = m_dir.filePath(QStringLiteral("linked"));
        const QString outside = m_dir.filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(QFile::link(outside, folder + QStringLiteral("/plugins")));
        const QString d = QStringLiteral("0123456789abcdef0123456789abcdef");
        ManifestPaths paths(folder);
        QVERIFY(!paths.resolve({ "x.so", "plugins/", d }, nullptr));
        QVERIFY(!paths.resolve({ "x.so", "plugins/deeper/", d }, nullptr));
        QVERIFY(paths.resolve({ "x.so", "real/", d }, nullptr));
    }
};

QTEST_GUILESS_MAIN(TestUpdateManifest)
#include "tst_updatemanifest.moc"
