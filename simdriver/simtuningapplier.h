#pragma once

#include "simcard.h"

#include "nvapirecords.h"
#include "nvunpublishedrecords.h"

/// Reads the tuning records a caller writes and applies them to a card. A
/// record is checked whole before anything changes: a bad entry rejects the
/// write and leaves the card as it was. Values outside a range are pulled
/// into it, as the driver does.
class SimTuningApplier
{
public:
    static NvStatus pstates20(SimCard &card, NvU32 word, const NvPstates20Info *in);
    static NvStatus coolerLevels(SimCard &card, NvU32 word, NvU32 selector, const NvCoolerLevels *in);
    static NvStatus thermalPoliciesStatus(SimCard &card, NvU32 word, const NvThermalPoliciesStatus *in);
    static NvStatus powerPoliciesStatus(SimCard &card, NvU32 word, const NvPowerPoliciesStatus *in);

private:
    struct PstateChanges
    {
        bool gpu = false;
        int gpuKhz = 0;
        bool memory = false;
        int memoryKhz = 0;
        bool voltage = false;
        int voltageUv = 0;
        bool overVoltage = false;
        int overVoltageUv = 0;
    };

    static NvStatus collectPstate(
        const SimCard &card, const NvPstates20Info &info, std::size_t index, PstateChanges &changes);
    static NvStatus collectOverVoltage(
        const SimCard &card, const NvPstates20Info &info, PstateChanges &changes);
};
