#pragma once

#include "nvrecordkind.h"
#include "simcallrecord.h"
#include "simcard.h"
#include "simcardconfig.h"
#include "simfaultplan.h"
#include "simi2ctransaction.h"
#include "simlatch.h"
#include "simledstate.h"
#include "simreadings.h"
#include "simtuning.h"

#include "nvapitypes.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

/// The simulated NVIDIA driver: the process-wide state behind
/// nvapi_QueryInterface and the control interface tests use to shape it.
///
/// At first use it takes its cards from the card file named by
/// LUMETRA_SIM_CARDS, or the built-in default card. Everything is guarded by
/// one mutex; an entry held by the latch waits outside it. Card arguments are
/// indexes into the card list in file order; a bad index is ignored.
class SimDriver
{
public:
    static constexpr NvU32 DefaultDriverVersion = 41109;

    static SimDriver &instance();
    /// What the library's nvapi_QueryInterface answers: the entry for an id,
    /// or null for an id the driver does not know.
    static void *queryInterface(NvU32 id);

    SimDriver(const SimDriver &) = delete;
    SimDriver &operator=(const SimDriver &) = delete;

    // Cards ---------------------------------------------------------------

    /// Back to the built-in default card with every injected behaviour,
    /// counter, log and library setting cleared, on the real clock.
    void reset();
    /// As reset(), but with the cards the environment names.
    void resetToEnvironment();
    /// Replace the cards by those of a card file. On a broken file the driver
    /// has no cards and the message goes to `error` (and standard error).
    bool loadCardsFromXml(const QByteArray &xml, QString *error = nullptr);
    bool loadCardsFromFile(const QString &path, QString *error = nullptr);
    void setCards(const std::vector<SimCardConfig> &cards);
    void clearCards() { setCards({}); }

    int cardCount() const;
    SimCardConfig cardConfig(int card) const;
    /// Changes a card's description in place; its I2C devices are rebuilt
    /// from the new description, its readings and tuning stay.
    void editCard(int card, const std::function<void(SimCardConfig &)> &edit);
    void setTcc(int card, bool tcc);
    void setGpuSensor(int card, bool present);
    void setCoolerPresent(int card, bool present);
    void setMemoryType(int card, NvU32 code);
    void setName(int card, const std::string &name);
    void setPciIdentifiers(
        int card, NvU32 deviceId, NvU32 subsystemId, NvU32 revisionId = 0xA1, NvU32 extDeviceId = 0);
    /// The card answers -9 to every other version word of the kind.
    void acceptOnlyVersions(int card, NvRecordKind kind, const std::vector<NvU32> &words);
    void setDriverVersion(NvU32 version, const std::string &branch);

    /// The handle enumeration hands out for a card (physical or TCC).
    NvPhysicalGpuHandle handleOf(int card) const;

    // Injected statuses ------------------------------------------------------

    /// Every call of the id (on one card, or any with -1) answers `status`.
    void failCalls(NvU32 id, NvStatus status, int card = -1);
    /// Only the n-th coming call (1 is the next one) answers `status`.
    void failNthCall(NvU32 id, NvStatus status, int n, int card = -1);
    /// The next `count` calls answer `status`.
    void failNextCalls(NvU32 id, NvStatus status, int count, int card = -1);
    /// Calls of the id that pass this version word answer `status`.
    void failVersion(NvU32 id, NvU32 version, NvStatus status, int card = -1);
    void addFault(const SimFault &fault);
    /// One status per coming call of the id; 0 lets that call work normally.
    void queueStatuses(NvU32 id, const std::vector<NvStatus> &statuses);
    void clearFaults();

    // The library ----------------------------------------------------------

    void setQueryNull(NvU32 id, bool null = true);
    void setInitializeStatus(NvStatus status);
    void setUnloadStatus(NvStatus status);
    /// NvAPI_Unload sleeps this long before it answers.
    void setUnloadDelayMs(int ms);
    void setHooks(bool preCall, bool postCall);
    bool isInitialized() const;

    int callCount(NvU32 id) const;
    int queryCount(NvU32 id) const;
    int hookCount(NvU32 hookId) const;
    std::vector<SimCallRecord> callLog() const;
    /// The version words passed to the id, in call order.
    std::vector<NvU32> versionsPassed(NvU32 id) const;
    void clearCounters();

    /// The next call of the id stops inside the driver until released.
    void holdNextCall(NvU32 id);
    bool waitUntilHeld(NvU32 id, int timeoutMs = 5000);
    void releaseHeldCall(NvU32 id);

    // Readings and tuning --------------------------------------------------

    void setFrozen(int card, bool frozen);
    /// Stops every card's dynamics (or lets them run again).
    void freezeAll(bool frozen);
    SimReadings readings(int card);
    /// Sets the readings exactly and freezes the card so they stay.
    void setReadings(int card, const SimReadings &readings);
    void setGpuClockMhz(int card, int mhz);
    void setMemoryClockMhz(int card, int mhz);
    void setTemperature(int card, double celsius);
    void setFanRpm(int card, int rpm);
    void setGpuUsage(int card, int percent);
    void setMemoryUsedKb(int card, NvU32 kb);
    void setDedicatedMemoryKb(int card, NvU32 kb);
    void setBoardSensor(int card, int sensor, double celsius);
    SimTuning tuning(int card) const;

    /// Time stands still at `seconds` until advanced; dynamics become
    /// repeatable.
    void setManualTime(double seconds);
    void advanceTime(double seconds);
    void useRealTime();

    // The I2C bus ----------------------------------------------------------

    std::vector<NvU8> lastLedPacket(int card) const;
    int ledPacketCount(int card) const;
    int ledRefusedCount(int card) const;
    SimLedState ledState(int card) const;
    std::vector<NvU8> lastLcdFrame(int card) const;
    int lcdFrameCount(int card) const;
    int lcdRefusedCount(int card) const;
    std::vector<SimI2cTransaction> i2cLog() const;
    void clearI2cLog();

private:
    friend class SimCallGuard;
    friend class SimEntries;

    SimDriver();

    double nowLocked() const;
    void resetLocked();
    void setCardsLocked(const std::vector<SimCardConfig> &cards);
    SimCard *cardLocked(int card);
    const SimCard *cardLocked(int card) const;
    void editReadings(int card, const std::function<void(SimReadings &)> &edit);
    /// Card index for a handle, or a status for one that is not a card's.
    int resolveLocked(NvPhysicalGpuHandle handle, NvStatus &status) const;
    NvPhysicalGpuHandle handleLocked(int card) const;
    std::uint64_t beginCallLocked(NvU32 id, NvU32 version, int card);
    void finishCallLocked(std::uint64_t sequence, NvStatus status);
    void countHook(NvU32 hookId);
    void logI2cLocked(const SimI2cTransaction &transaction);

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<SimCard>> m_cards;
    NvU32 m_generation = 0;
    NvU32 m_driverVersion = DefaultDriverVersion;
    std::string m_branch = "r410_00-233";

    SimFaultPlan m_faults;
    SimLatch m_latch;
    std::set<NvU32> m_nullIds;
    NvStatus m_initializeStatus = NvApiStatus::Ok;
    NvStatus m_unloadStatus = NvApiStatus::Ok;
    int m_unloadDelayMs = 0;
    bool m_preHook = true;
    bool m_postHook = true;
    bool m_initialized = false;

    std::map<NvU32, int> m_callCounts;
    std::map<NvU32, int> m_queryCounts;
    std::map<NvU32, int> m_hookCounts;
    std::vector<SimCallRecord> m_callLog;
    std::uint64_t m_callSequence = 0;
    std::vector<SimI2cTransaction> m_i2cLog;

    bool m_manualTime = false;
    double m_manualSeconds = 0.0;
};
