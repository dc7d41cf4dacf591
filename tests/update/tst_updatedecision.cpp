#include "programversion.h"
#include "updatedecision.h"
#include "updatemanifest.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(UpdateDecision::Outcome)

/// The decision on a loaded manifest for the program's own version 1.0.2.4, and when the automatic check is
/// due.
class TestUpdateDecision : public QObject
{
    Q_OBJECT

private:
    UpdateManifest manifest(const QByteArray &content)
    {
        const QString path = m_dir.filePath(QStringLiteral("update_info.xml"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(content);
        file.close();
        UpdateManifest loaded;
        loaded.load(path);
        return loaded;
    }

    static QByteArray versions(const QString &current, const QString &manual)
    {
        return QStringLiteral(
            "<Update><CurrentVersion Value=\"%1\"/><ManualDownloadVersion Value=\"%2\"/></Update>")
            .arg(current, manual)
            .toUtf8();
    }

    QTemporaryDir m_dir;

private slots:
    void programVersion() { QCOMPARE(QLatin1String(ProgramVersion), QLatin1String("1.0.2.4")); }

    void decide_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("manual");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("manualCheck");
        QTest::addColumn<UpdateDecision::Outcome>("outcome");
        const QString none;
        QTest::newRow("1.0.2.5 newer") << "1.0.2.5" << none << 0 << false << UpdateDecision::UpdateNow;
        QTest::newRow("1.0.2.4 same") << "1.0.2.4" << none << 0 << false << UpdateDecision::NothingToDo;
        QTest::newRow("1.0.2.4 same manual")
            << "1.0.2.4" << none << 0 << true << UpdateDecision::AlreadyLatest;
        QTest::newRow("1.0.2.3 older manual")
            << "1.0.2.3" << none << 2 << true << UpdateDecision::AlreadyLatest;
        QTest::newRow("1.0.10.0 newer") << "1.0.10.0" << none << 0 << false << UpdateDecision::UpdateNow;
        QTest::newRow("1.0.2.4.1 newer") << "1.0.2.4.1" << none << 0 << false << UpdateDecision::UpdateNow;
        QTest::newRow("1.0.2.4.0 same") << "1.0.2.4.0" << none << 0 << false << UpdateDecision::NothingToDo;
        QTest::newRow("empty") << "" << none << 0 << false << UpdateDecision::NothingToDo;
        QTest::newRow("not numeric") << "1.0.x.9" << none << 0 << true << UpdateDecision::AlreadyLatest;
        QTest::newRow("manual empty not outdated")
            << "1.0.3.1" << none << 0 << false << UpdateDecision::UpdateNow;
        QTest::newRow("below manual version") << "1.0.3.1"
                                              << "1.0.3.0" << 0 << false << UpdateDecision::TooOldToUpdate;
        QTest::newRow("below manual version, manual check")
            << "1.0.3.1"
            << "1.0.3.0" << 2 << true << UpdateDecision::TooOldToUpdate;
        QTest::newRow("at manual version") << "1.0.3.1"
                                           << "1.0.2.4" << 0 << false << UpdateDecision::UpdateNow;
        QTest::newRow("manual version not numeric") << "1.0.3.1"
                                                    << "new" << 2 << false << UpdateDecision::AskFirst;
        QTest::newRow("mode 1 asks") << "1.0.2.5" << none << 1 << false << UpdateDecision::AskFirst;
        QTest::newRow("mode 2 asks") << "1.0.2.5" << none << 2 << false << UpdateDecision::AskFirst;
        QTest::newRow("mode 5 updates") << "1.0.2.5" << none << 5 << false << UpdateDecision::UpdateNow;
        QTest::newRow("mode -1 updates") << "1.0.2.5" << none << -1 << false << UpdateDecision::UpdateNow;
        QTest::newRow("manual check asks in mode 0")
            << "1.0.2.5" << none << 0 << true << UpdateDecision::AskFirst;
        QTest::newRow("manual check asks in mode 5")
            << "1.0.2.5" << none << 5 << true << UpdateDecision::AskFirst;
    }

    void decide()
    {
        QFETCH(QString, current);
        QFETCH(QString, manual);
        QFETCH(int, mode);
        QFETCH(bool, manualCheck);
        QFETCH(UpdateDecision::Outcome, outcome);
        const UpdateManifest loaded = manifest(versions(current, manual));
        QVERIFY(loaded.isValid());
        QCOMPARE(UpdateDecision::decide(QLatin1String(ProgramVersion), loaded, mode, manualCheck), outcome);
    }

    void invalidManifestIsNeverNewer()
    {
        // Lower-case root: not a manifest, whatever version it names.
        const UpdateManifest loaded = manifest("<update><CurrentVersion Value=\"9.9.9.9\"/></update>");
        QVERIFY(!loaded.isValid());
        QCOMPARE(UpdateDecision::decide(QLatin1String(ProgramVersion), loaded, 0, false),
            UpdateDecision::NothingToDo);
        QCOMPARE(UpdateDecision::decide(QLatin1String(ProgramVersion), loaded, 0, true),
            UpdateDecision::AlreadyLatest);
    }

    void checkDue()
    {
        const QDate today(2026, 12, 8);
        QVERIFY(UpdateDecision::isCheckDue(QDate(), 7, today));
        QVERIFY(UpdateDecision::isCheckDue(today.addDays(-7), 7, today));
        QVERIFY(!UpdateDecision::isCheckDue(today.addDays(-6), 7, today));
        QVERIFY(UpdateDecision::isCheckDue(today.addDays(-8), 7, today));
        QVERIFY(!UpdateDecision::isCheckDue(today, 30, today));
        QVERIFY(UpdateDecision::isCheckDue(today.addDays(-30), 30, today));
        QVERIFY(!UpdateDecision::isCheckDue(today.addDays(-9999), 10000, today));
        QVERIFY(UpdateDecision::isCheckDue(today, 0, today));
        // A last check "in the future" (the clock was set back) does not silence the check.
        QVERIFY(UpdateDecision::isCheckDue(today.addDays(3), 7, today));
    }
};

QTEST_GUILESS_MAIN(TestUpdateDecision)
#include "tst_updatedecision.moc"
