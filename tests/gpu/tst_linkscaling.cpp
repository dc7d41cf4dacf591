#include "linkscaling.h"

#include <QtTest>

namespace {
/// The default card: power 50..100..120 percent, temperature 65..83..92 degrees.
LinkLimits defaultCard()
{
    return LinkScaling::fromRaw(50000, 100000, 120000, 65 * 256, 83 * 256, 92 * 256);
}
} // namespace

class TestLinkScaling : public QObject
{
    Q_OBJECT

private slots:
    void limitsFromRawUnits()
    {
        const LinkLimits l = LinkScaling::fromRaw(50000, 100000, 120000, 16640, 21248, 23552 + 128);
        QCOMPARE(l.powerMin, 50000.0f);
        QCOMPARE(l.powerDefault, 100000.0f);
        QCOMPARE(l.thermalMin, 65.0f);
        QCOMPARE(l.thermalDefault, 83.0f);
        QCOMPARE(l.thermalMax, 92.5f);
    }

    void powerToThermal()
    {
        const LinkLimits l = defaultCard();
        LinkResult r;
        QVERIFY(LinkScaling::powerToThermal(l, 100.0f, r));
        QCOMPARE(r.given, 100.0f);
        QCOMPARE(r.linked, 83.0f);
        QVERIFY(LinkScaling::powerToThermal(l, 110.0f, r));
        QCOMPARE(r.linked, 87.5f); // half way to the maximum
        QVERIFY(LinkScaling::powerToThermal(l, 120.0f, r));
        QCOMPARE(r.linked, 92.0f);
        QVERIFY(LinkScaling::powerToThermal(l, 75.0f, r));
        QCOMPARE(r.linked, 74.0f); // half way down to the minimum
        QVERIFY(LinkScaling::powerToThermal(l, 50.0f, r));
        QCOMPARE(r.linked, 65.0f);
    }

    void powerOutsideItsLimitsIsRefused()
    {
        LinkResult r { 1.0f, 2.0f };
        QVERIFY(!LinkScaling::powerToThermal(defaultCard(), 121.0f, r));
        QVERIFY(!LinkScaling::powerToThermal(defaultCard(), 49.0f, r));
        QCOMPARE(r.given, 1.0f); // untouched
        QCOMPARE(r.linked, 2.0f);
    }

    void thermalToPowerSideChosenByTheCurrentPower()
    {
        const LinkLimits l = defaultCard();
        // Both operations answer (power, temperature): here the power is the computed one.
        LinkResult r = LinkScaling::thermalToPower(l, 87.5f, 110.0f);
        QCOMPARE(r.given, 110.0f);
        QCOMPARE(r.linked, 87.5f);
        // Above the default power the upper span scales, whatever the temperature.
        r = LinkScaling::thermalToPower(l, 74.0f, 110.0f);
        QCOMPARE(r.given, 80.0f); // (74 - 83) / 9 x 20 + 100
        // At or below it the lower span does, and the result stays above the minimum.
        r = LinkScaling::thermalToPower(l, 74.0f, 100.0f);
        QCOMPARE(r.given, 75.0f);
        r = LinkScaling::thermalToPower(l, 20.0f, 90.0f);
        QCOMPARE(r.given, 50.0f);
        r = LinkScaling::thermalToPower(l, 99.0f, 110.0f);
        QCOMPARE(r.given, 120.0f);
    }

    void aSpanOfZeroLeavesTheDefault()
    {
        const LinkLimits flat = LinkScaling::fromRaw(100000, 100000, 100000, 83 * 256, 83 * 256, 83 * 256);
        LinkResult r;
        QVERIFY(LinkScaling::powerToThermal(flat, 100.0f, r));
        QCOMPARE(r.linked, 83.0f);
        QVERIFY(!qIsNaN(r.linked));
        r = LinkScaling::thermalToPower(flat, 90.0f, 100.0f);
        QCOMPARE(r.given, 100.0f);
        r = LinkScaling::thermalToPower(flat, 90.0f, 101.0f);
        QCOMPARE(r.given, 100.0f);
    }
};

QTEST_GUILESS_MAIN(TestLinkScaling)
#include "tst_linkscaling.moc"
