#pragma once

#include "nvapiversions.h"

#include <QtTest>

using Calls = QList<QPair<bool, NvU32>>;
using Statuses = QList<int>;

/// The I2C fallback chain's cases, shared by the transport's own test and the test through the driver:
/// the statuses the plain and the extended call answer in turn, the calls made (extended?, version) and
/// the result.
inline void addI2cFallbackRows()
{
    const NvU32 v3 = NvApiVersion::i2cV3, v2 = NvApiVersion::i2cV2, v1 = NvApiVersion::i2cV1;
    const NvStatus V = NvApiStatus::IncompatibleStructVersion, E = NvApiStatus::Error;
    QTest::addColumn<Statuses>("plain");
    QTest::addColumn<Statuses>("extended");
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<bool>("ok");
    QTest::newRow("plain works") << Statuses { 0 } << Statuses {} << Calls { { false, v3 } } << true;
    QTest::newRow("versions refused on plain")
        << Statuses { V, V, 0 } << Statuses {} << Calls { { false, v3 }, { false, v2 }, { false, v1 } }
        << true;
    QTest::newRow("plain fails, extended works")
        << Statuses { E } << Statuses { 0 } << Calls { { false, v3 }, { true, v3 } } << true;
    QTest::newRow("plain fails, extended refuses v3")
        << Statuses { E } << Statuses { V, 0 } << Calls { { false, v3 }, { true, v3 }, { true, v2 } } << true;
    QTest::newRow("plain refuses v3, then fails at v2")
        << Statuses { V, E } << Statuses { 0 } << Calls { { false, v3 }, { false, v2 }, { true, v2 } }
        << true;
    QTest::newRow("extended refuses, plain refuses v1")
        << Statuses { E, V } << Statuses { V, V }
        << Calls { { false, v3 }, { true, v3 }, { true, v2 }, { false, v1 } } << false;
    QTest::newRow("extended fails after a refusal at v2")
        << Statuses { E } << Statuses { V, E, V, E }
        << Calls { { false, v3 }, { true, v3 }, { true, v2 }, { true, v2 }, { true, v1 } } << false;
    QTest::newRow("both fail") << Statuses { E } << Statuses { E, E }
                               << Calls { { false, v3 }, { true, v3 }, { true, v3 } } << false;
    QTest::newRow("extended works at v1 after refusals")
        << Statuses { E } << Statuses { V, E, V, 0 }
        << Calls { { false, v3 }, { true, v3 }, { true, v2 }, { true, v2 }, { true, v1 } } << true;
    QTest::newRow("refused at every version on plain")
        << Statuses { V, V, V } << Statuses {} << Calls { { false, v3 }, { false, v2 }, { false, v1 } }
        << false;
}
