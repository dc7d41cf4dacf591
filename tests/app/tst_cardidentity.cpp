#include "cardidentity.h"
#include "makerids.h"
#include "toptabs.h"
#include "tuningrules.h"

#include <QWidget>
#include <QtTest>

// The card list's pure rules: names, series, model codes, duplicate suffixes, the high-performance rule, the
// tab table and which page a page index puts on screen.
class TestCardIdentity : public QObject
{
    Q_OBJECT

private:
    static quint32 maker(quint32 device) { return (device << 16) | MakerSubsystemVendorId; }

private slots:
    void names_data()
    {
        QTest::addColumn<QString>("driverName");
        QTest::addColumn<quint32>("subsystemId");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("modelCode");
        const QString ti = QStringLiteral("GeForce GTX 1070 Ti");
        QTest::newRow("Korvo 1070 Ti") << ti << maker(0x111E) << "Korvo 1070 Ti" << 0x1000 << 14;
        QTest::newRow("Korvo nibble 1") << ti << maker(0x1001) << "Korvo 1070 Ti" << 0x1000 << 1;
        QTest::newRow("Korvo nibble 2") << ti << maker(0x1002) << "Korvo 1070 Ti" << 0x1000 << 2;
        QTest::newRow("Korvo nibble 3") << ti << maker(0x1003) << "Korvo 1070 Ti" << 0x1000 << 0;
        QTest::newRow("Korvo nibble 7") << ti << maker(0x1007) << "Korvo 1070 Ti" << 0x1000 << 0;
        QTest::newRow("Korvo nibble 8") << ti << maker(0x1008) << "Korvo 1070 Ti" << 0x1000 << 8;
        QTest::newRow("Korvo nibble 15") << ti << maker(0x10FF) << "Korvo 1070 Ti" << 0x1000 << 15;
        QTest::newRow("Korvo without GTX")
            << "NVIDIA GeForce RTX 2080" << maker(0x1009) << "GeForce RTX 2080" << 0x1000 << 9;
        QTest::newRow("Thornax bit 0") << ti << maker(0x2003) << "Thornax 1070 Ti" << 0x2000 << 1;
        QTest::newRow("Thornax bit 1") << ti << maker(0x2002) << "Thornax 1070 Ti" << 0x2000 << 2;
        QTest::newRow("Thornax no bit") << ti << maker(0x200C) << "Thornax 1070 Ti" << 0x2000 << 0;
        QTest::newRow("maker, other series")
            << "GeForce GTX 1060" << maker(0x3001) << "GeForce GTX 1060" << 0 << 1;
        QTest::newRow("maker, other series bit 1")
            << "GeForce GTX 1060" << maker(0x0002) << "GeForce GTX 1060" << 0 << 2;
        QTest::newRow("foreign vendor")
            << "NVIDIA GeForce RTX 2060" << 0x20607E57u << "GeForce RTX 2060" << 0xFFFF << 0;
        QTest::newRow("foreign without GeForce")
            << "Quadro P4000" << 0x11111028u << "Quadro P4000" << 0xFFFF << 0;
        QTest::newRow("case matters")
            << "geforce gtx 1080" << maker(0x111E) << "geforce gtx 1080" << 0x1000 << 14;
        QTest::newRow("first GTX counts")
            << "GeForce GTX 1080 GTX" << maker(0x1008) << "Korvo 1080 GTX" << 0x1000 << 8;
    }

    void names()
    {
        QFETCH(QString, driverName);
        QFETCH(quint32, subsystemId);
        QFETCH(QString, shortName);
        QFETCH(int, series);
        QFETCH(int, modelCode);
        const CardIdentity card = CardIdentity::fromDriver(driverName, subsystemId, 3);
        QCOMPARE(card.fullName, driverName);
        QCOMPARE(card.shortName, shortName);
        QCOMPARE(card.series, series);
        QCOMPARE(card.modelCode, modelCode);
        QCOMPARE(card.subsystemId, subsystemId);
        QCOMPARE(card.index, 3);
    }

    void identicalCardsGetSuffixes()
    {
        const QString ti = QStringLiteral("GeForce GTX 1070 Ti");
        QList<CardIdentity> cards;
        CardIdentity::appendWithSuffixes(cards, CardIdentity::fromDriver(ti, maker(0x111E), 0));
        CardIdentity::appendWithSuffixes(cards, CardIdentity::fromDriver(ti, maker(0x111E), 1));
        CardIdentity::appendWithSuffixes(
            cards, CardIdentity::fromDriver(QStringLiteral("NVIDIA GeForce RTX 2060"), 0x20607E57u, 2));
        CardIdentity::appendWithSuffixes(cards, CardIdentity::fromDriver(ti, maker(0x111E), 3));
        QCOMPARE(cards.size(), 4);
        QCOMPARE(cards[0].shortName, QStringLiteral("Korvo 1070 Ti"));
        QCOMPARE(cards[0].fullName, ti);
        QCOMPARE(cards[1].shortName, QStringLiteral("Korvo 1070 Ti 1"));
        QCOMPARE(cards[1].fullName, QStringLiteral("GeForce GTX 1070 Ti 1"));
        QCOMPARE(cards[2].shortName, QStringLiteral("GeForce RTX 2060"));
        QCOMPARE(cards[2].fullName, QStringLiteral("NVIDIA GeForce RTX 2060"));
        QCOMPARE(cards[3].shortName, QStringLiteral("Korvo 1070 Ti 2"));
        QCOMPARE(cards[3].fullName, QStringLiteral("GeForce GTX 1070 Ti 2"));
    }

    void sameNameOtherSubsystemKeepsItsFullName()
    {
        const QString ti = QStringLiteral("GeForce GTX 1070 Ti");
        QList<CardIdentity> cards;
        CardIdentity::appendWithSuffixes(cards, CardIdentity::fromDriver(ti, maker(0x111E), 0));
        CardIdentity::appendWithSuffixes(cards, CardIdentity::fromDriver(ti, maker(0x1118), 1));
        // Same short name, but another subsystem id: only the short name needs telling apart.
        QCOMPARE(cards[1].shortName, QStringLiteral("Korvo 1070 Ti 1"));
        QCOMPARE(cards[1].fullName, ti);
        // A foreign card with the same full name: "GeForce GTX 1070 Ti" as short name, no clash with Korvo.
        CardIdentity::appendWithSuffixes(cards, CardIdentity::fromDriver(ti, 0x11113842u, 2));
        QCOMPARE(cards[2].shortName, ti);
        QCOMPARE(cards[2].fullName, ti);
    }

    void highPerformanceRule_data()
    {
        QTest::addColumn<QString>("driverName");
        QTest::addColumn<quint32>("subsystemId");
        QTest::addColumn<bool>("qualifies");
        QTest::addColumn<bool>("presetMayRun");
        const QString ti = QStringLiteral("GeForce GTX 1070 Ti");
        QTest::newRow("nibble 8") << ti << maker(0x1118) << true << true;
        QTest::newRow("nibble 14") << ti << maker(0x111E) << true << true;
        // The two rules disagree here: the page runs the preset on the older models and on the other
        // series, but the window offers no switch for them.
        QTest::newRow("nibble 2") << ti << maker(0x1112) << false << true;
        QTest::newRow("nibble 7 has code 0") << ti << maker(0x1117) << false << true;
        QTest::newRow("Thornax") << ti << maker(0x211F) << false << true;
        QTest::newRow("foreign") << ti << 0x111E3842u << false << false;
        QTest::newRow("other model") << "GeForce GTX 1080" << maker(0x111E) << false << false;
        QTest::newRow("prefixed name") << "NVIDIA GeForce GTX 1070 Ti" << maker(0x111E) << false << false;
    }

    void highPerformanceRule()
    {
        QFETCH(QString, driverName);
        QFETCH(quint32, subsystemId);
        QFETCH(bool, qualifies);
        QCOMPARE(
            CardIdentity::fromDriver(driverName, subsystemId, 0).showsHighPerformanceSwitch(), qualifies);
        QTEST(TuningRules::mayRunHighPerformancePreset(subsystemId, driverName), "presetMayRun");
    }

    void duplicateSuffixLosesTheHighPerformanceButton()
    {
        const QString ti = QStringLiteral("GeForce GTX 1070 Ti");
        QList<CardIdentity> cards;
        CardIdentity::appendWithSuffixes(cards, CardIdentity::fromDriver(ti, maker(0x1118), 0));
        CardIdentity::appendWithSuffixes(cards, CardIdentity::fromDriver(ti, maker(0x1118), 1));
        QVERIFY(cards[0].showsHighPerformanceSwitch());
        QVERIFY(!cards[1].showsHighPerformanceSwitch());
    }

    void tabTable_data()
    {
        QTest::addColumn<bool>("hasLed");
        QTest::addColumn<bool>("hasLcd");
        QTest::addColumn<bool>("firstVisible");
        QTest::addColumn<QString>("firstText");
        QTest::addColumn<int>("firstPage");
        QTest::addColumn<bool>("secondVisible");
        QTest::addColumn<QString>("secondText");
        QTest::addColumn<int>("secondPage");
        QTest::newRow("both") << true << true << true << "LED" << 3 << true << "LCD" << 4;
        QTest::newRow("LED only") << true << false << true << "LED" << 3 << false << "" << 0;
        QTest::newRow("LCD only") << false << true << true << "LCD" << 4 << false << "" << 0;
        QTest::newRow("neither") << false << false << false << "" << 0 << false << "" << 0;
    }

    void tabTable()
    {
        QFETCH(bool, hasLed);
        QFETCH(bool, hasLcd);
        QFETCH(bool, firstVisible);
        QFETCH(QString, firstText);
        QFETCH(int, firstPage);
        QFETCH(bool, secondVisible);
        QFETCH(QString, secondText);
        QFETCH(int, secondPage);
        const TopTabs tabs = TopTabs::forCard(hasLed, hasLcd);
        QCOMPARE(tabs.first.visible, firstVisible);
        QCOMPARE(tabs.first.text, firstText);
        QCOMPARE(int(tabs.first.page), firstPage);
        QCOMPARE(tabs.second.visible, secondVisible);
        QCOMPARE(tabs.second.text, secondText);
        QCOMPARE(int(tabs.second.page), secondPage);
    }
};

QTEST_MAIN(TestCardIdentity)
#include "tst_cardidentity.moc"
