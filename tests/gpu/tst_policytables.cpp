#include "policytables.h"

#include <QtTest>

namespace {
/// Two thermal policies, ids 1 and 4, the second with the given limits in 1/256 degree.
NvThermalPoliciesInfo thermalInfo()
{
    NvThermalPoliciesInfo info;
    info.setU8(NvThermalPoliciesInfo::flags, 1);
    info.setU8(NvThermalPoliciesInfo::count, 2);
    info.setS32(NvThermalPoliciesInfo::entry(0) + NvThermalPoliciesInfo::policyId, 1);
    const std::size_t e = NvThermalPoliciesInfo::entry(1);
    info.setS32(e + NvThermalPoliciesInfo::policyId, 4);
    info.setS32(e + NvThermalPoliciesInfo::minLimit, 65 * 256);
    info.setS32(e + NvThermalPoliciesInfo::defaultLimit, 83 * 256 + 200);
    info.setS32(e + NvThermalPoliciesInfo::maxLimit, 92 * 256);
    return info;
}

NvPowerPoliciesInfo powerInfo()
{
    NvPowerPoliciesInfo info;
    info.setU8(NvPowerPoliciesInfo::supported, 1);
    info.setU8(NvPowerPoliciesInfo::count, 1);
    const std::size_t e = NvPowerPoliciesInfo::entry(0);
    info.setS32(e + NvPowerPoliciesInfo::policyId, 0);
    info.setU32(e + NvPowerPoliciesInfo::channelRef, 2);
    info.setU32(e + NvPowerPoliciesInfo::minLimit, 50000);
    info.setU32(e + NvPowerPoliciesInfo::defaultLimit, 100000);
    info.setU32(e + NvPowerPoliciesInfo::maxLimit, 120999);
    return info;
}
} // namespace

class TestPolicyTables : public QObject
{
    Q_OBJECT

private slots:
    void thermalPolicyById()
    {
        const NvThermalPoliciesInfo info = thermalInfo();
        QVERIFY(PolicyTables::thermalSupported(info));
        const ThermalPolicy p = PolicyTables::findThermal(info, 4);
        QVERIFY(p.found);
        QCOMPARE(p.defaultRaw, 83 * 256 + 200);
        QCOMPARE(PolicyTables::thermalIndex(info, 4), 1);
        QCOMPARE(PolicyTables::thermalIndex(info, 9), 2); // the count when no policy has the id
        QVERIFY(!PolicyTables::findThermal(info, 9).found);

        NvThermalPoliciesInfo wild = thermalInfo();
        wild.setU8(NvThermalPoliciesInfo::count, 255);
        QCOMPARE(PolicyTables::thermalIndex(wild, 9), int(NvThermalPoliciesInfo::maxEntries));
    }

    void thermalLimitsAndStatus()
    {
        ThermalLimitInfo out;
        const NvThermalPoliciesStatus request = PolicyTables::thermalRequest(thermalInfo(), out);
        QCOMPARE(int(request.u8(NvThermalPoliciesStatus::count)), 2);
        QCOMPARE(request.s32(NvThermalPoliciesStatus::entry(1) + NvThermalPoliciesStatus::policyId), 4);
        QCOMPARE(out.policyId, 4); // the last policy's figures remain
        QCOMPARE(out.minimumC, 65);
        QCOMPARE(out.defaultC, 83); // truncated
        QCOMPARE(out.maximumC, 92);

        NvThermalPoliciesStatus status = PolicyTables::thermalLimitRecord(4, 90 * 256 + 255, 1);
        PolicyTables::thermalStatus(status, out);
        QCOMPARE(out.currentC, 90);
        QCOMPARE(int(out.priority), 1);
        QCOMPARE(PolicyTables::thermalStatusLimit(status, 4).value_or(-1), 90 * 256 + 255);
        QVERIFY(!PolicyTables::thermalStatusLimit(status, 1).has_value());
    }

    void powerFiguresAndDraw()
    {
        const NvPowerPoliciesInfo policies = powerInfo();
        QVERIFY(PolicyTables::findPower(policies, 0).found);
        QCOMPARE(PolicyTables::findPower(policies, 0).maxRaw, std::int64_t(120999));
        QVERIFY(!PolicyTables::findPower(policies, 3).found);

        PowerInfo out;
        NvPowerPoliciesStatus status = PolicyTables::powerRequest(policies, out);
        QCOMPARE(int(status.u8(NvPowerPoliciesStatus::count)), 1);
        QCOMPARE(out.minimumPercent, 50);
        QCOMPARE(out.maximumPercent, 120);

        NvPowerTopologyInfo topologyInfo;
        topologyInfo.setU8(NvPowerTopologyInfo::count, 2);
        topologyInfo.setU32(NvPowerTopologyInfo::channelId(0), 1);
        topologyInfo.setU32(NvPowerTopologyInfo::channelId(1), 2);
        NvPowerTopologyStatus topology = PolicyTables::topologyRequest(topologyInfo);
        QCOMPARE(int(topology.u8(NvPowerTopologyStatus::count)), 2);
        topology.setU32(NvPowerTopologyStatus::entry(0) + NvPowerTopologyStatus::power, 30000);
        topology.setU32(NvPowerTopologyStatus::entry(1) + NvPowerTopologyStatus::power, 75500);

        status = PolicyTables::powerLimitRecord(0, 110000);
        QCOMPARE(status.u32(NvPowerPoliciesStatus::entry(0) + NvPowerPoliciesStatus::flags), NvU32(0));
        PolicyTables::powerStatus(policies, status, topology, out);
        QCOMPARE(out.currentTargetPercent, 110);
        QCOMPARE(out.currentDrawPercent, 75); // from channel 2, the one the policy refers to
    }
};

QTEST_GUILESS_MAIN(TestPolicyTables)
#include "tst_policytables.moc"
