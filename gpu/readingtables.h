#pragma once

#include "gpurecords.h"
#include "nvapirecords.h"
#include "nvunpublishedrecords.h"
#include "versionladder.h"

/// Turns the driver's records of the sampled readings into the program's: memory, thermal, usage and cooler.
/// Counts the driver reports are bounded by the record's own arrays.
class ReadingTables
{
public:
    /// Memory in KB. A TCC card reports only its dedicated memory; version 1 of the record has no current
    /// availability and counts the available dedicated memory instead.
    static MemoryReading memory(const NvMemoryInfo &info, NvU32 answeredVersion, bool tcc);
    /// The GPU sensor's limits and temperature; zero without a GPU sensor.
    static ThermalReading thermal(const NvThermalSettings &settings);
    /// Utilisation domains 0 to 3 (GPU, frame buffer, video engine, bus); false when none is present.
    static bool usage(const NvDynamicPstatesInfoEx &info, UsageReading &usage);
    /// Whether a cooler answer can be read: the ladder found a version, or the first status was not one of
    /// those that say the handle or the request is wrong (an older version would not help).
    static bool coolerAnswerUsable(const LadderResult &result);
    /// The levels, policy and tach range of the last cooler entry into a reading that holds the fan's rpm.
    static void cooler(const NvCoolerSettings &settings, CoolerReading &cooler);
};
