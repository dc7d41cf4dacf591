#pragma once

#include "makerids.h"
#include "nvapitypes.h"

#include <array>
#include <string>

/// Everything that describes one simulated card before it runs: identity,
/// fixed information, tuning ranges and the devices on its I2C bus. The
/// defaults are the built-in card, a GeForce GTX 1070 Ti of the maker; the
/// card file overrides any of them.
struct SimCardConfig
{
    // Identity.
    std::string name = "GeForce GTX 1070 Ti";
    NvU32 deviceId = 0x1B8210DE;
    NvU32 subsystemId = 0x111E0000u | MakerSubsystemVendorId;
    NvU32 revisionId = 0xA1;
    NvU32 extDeviceId = 0x1B82;
    std::string vbiosVersion = "86.04.50.00.7a";
    bool tcc = false;
    bool frozen = false; ///< the readings stay as they were at start: two processes read the same

    // Memory.
    NvU32 memoryType = 8; // GDDR5
    NvU32 dedicatedKb = 8388608;
    NvU32 availableDedicatedKb = 8388608;
    NvU32 systemVideoKb = 0;
    NvU32 sharedSystemKb = 4177920;
    NvU32 busWidthBits = 256;
    NvU32 fbLocation = 1;
    NvU32 memoryIdleUsedKb = 358400;

    // Clocks in MHz.
    int gpuIdleMhz = 139;
    int gpuBaseMhz = 1607;
    int gpuBoostMhz = 1683;
    int gpuMaxBoostMhz = 1911; ///< top of the P0 graphics range, reached under full load
    int memoryIdleMhz = 405;
    int memoryMhz = 4004;
    int videoBaseMhz = 1480;

    // Clock offset ranges in MHz and whether P0's entries may be edited.
    bool hasP0 = true;
    int gpuOffsetMinMhz = -200;
    int gpuOffsetMaxMhz = 1000;
    bool gpuEditable = true;
    int memoryOffsetMinMhz = -500;
    int memoryOffsetMaxMhz = 1500;
    bool memoryEditable = true;

    // Core voltage in microvolts.
    int voltageIdleUv = 625000;
    int voltageLoadUv = 1062500;
    int voltageDeltaMinUv = 0;
    int voltageDeltaMaxUv = 100000;
    bool voltageEditable = true;
    int overVoltageMinUv = 0;
    int overVoltageMaxUv = 100000;

    // Power target, 1/1000 percent of the rated power.
    bool powerSupported = true;
    NvU32 powerPolicyId = 0;
    NvU32 powerChannelId = 0;
    NvU32 powerMin = 50000;
    NvU32 powerDefault = 100000;
    NvU32 powerMax = 120000;

    // Temperature target, whole degrees (the records carry 1/256 degree).
    bool thermalSupported = true;
    NvU32 thermalPolicyId = 1;
    int thermalMinC = 65;
    int thermalDefaultC = 83;
    int thermalMaxC = 92;
    bool gpuSensor = true; ///< false: the only sensor measures the board, not the GPU
    int sensorDefaultMinC = 0;
    int sensorDefaultMaxC = 127;

    // Cooler.
    bool hasCooler = true;
    int coolerCount = 1;
    int fanLevelMinPercent = 0;
    int fanLevelMaxPercent = 100;
    bool tachRangeValid = true;
    int fanMinRpm = 600;
    int fanMaxRpm = 3500;
    int fanAutoMinPercent = 30;

    // Utilisation domains reported present.
    bool usagePresent = true;

    // Devices on the card's I2C bus.
    bool hasLed = true;
    NvU8 ledKind = 3;
    bool hasLcd = true;
    std::array<bool, 4> boardSensors = { true, true, true, true }; ///< at 0x9E, 0x90, 0x96, 0x92
    std::array<double, 4> boardSensorShare
        = { 0.82, 0.68, 0.57, 0.46 }; ///< share of the GPU's rise over ambient

    // Dynamics.
    double loadPhase = 0.0; ///< radians; cards with different phases move differently
    double ambientC = 28.0;
};
