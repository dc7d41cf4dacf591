#include "simdriver.h"

#include "simcardfile.h"
#include "simentries.h"
#include "simledstatefile.h"

#include "nvapiids.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {
constexpr std::uintptr_t HandleTag = 0x4E000000u;
constexpr std::uintptr_t HandleTagMask = 0xFF000000u;
constexpr NvU32 GenerationMask = 0xFFF;
constexpr const char *DefaultBranch = "r410_00-233";
// The program runs for hours against the driver; the logs keep the newest
// entries only.
constexpr std::size_t MaxLogEntries = 100000;

template <typename Entry> void trimLog(std::vector<Entry> &log)
{
    if (log.size() > MaxLogEntries)
        log.erase(log.begin(), log.begin() + log.size() / 2);
}

// The driver's clock: wall-clock seconds at start-up, so that every run (and
// every process) finds the cards at another point of their load, moved on by
// a steady clock that never jumps.
double steadySeconds()
{
    static const double origin
        = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    static const auto start = std::chrono::steady_clock::now();
    return origin + std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void report(const QString &message)
{
    std::fprintf(stderr, "lumetra simulated driver: %s\n", message.toLocal8Bit().constData());
}
} // namespace

SimDriver &SimDriver::instance()
{
    static SimDriver driver;
    return driver;
}

void *SimDriver::queryInterface(NvU32 id)
{
    SimDriver &driver = instance();
    std::lock_guard<std::mutex> lock(driver.m_mutex);
    ++driver.m_queryCounts[id];
    if (driver.m_nullIds.count(id))
        return nullptr;
    if (id == NvApiId::PreCallHook && !driver.m_preHook)
        return nullptr;
    if (id == NvApiId::PostCallHook && !driver.m_postHook)
        return nullptr;
    return SimEntries::entryFor(id);
}

SimDriver::SimDriver()
{
    resetToEnvironment();
}

// Cards ------------------------------------------------------------------

void SimDriver::reset()
{
    m_latch.releaseAll();
    std::lock_guard<std::mutex> lock(m_mutex);
    resetLocked();
    setCardsLocked({ SimCardConfig {} });
}

void SimDriver::resetToEnvironment()
{
    const QString path = QString::fromLocal8Bit(std::getenv("LUMETRA_SIM_CARDS"));
    if (path.isEmpty()) {
        reset();
        return;
    }
    {
        m_latch.releaseAll();
        std::lock_guard<std::mutex> lock(m_mutex);
        resetLocked();
    }
    loadCardsFromFile(path);
}

void SimDriver::resetLocked()
{
    m_faults.clear();
    m_nullIds.clear();
    m_initializeStatus = NvApiStatus::Ok;
    m_unloadStatus = NvApiStatus::Ok;
    m_unloadDelayMs = 0;
    m_preHook = true;
    m_postHook = true;
    m_initialized = false;
    m_callCounts.clear();
    m_queryCounts.clear();
    m_hookCounts.clear();
    m_callLog.clear();
    m_i2cLog.clear();
    m_manualTime = false;
    m_driverVersion = DefaultDriverVersion;
    m_branch = DefaultBranch;
}

bool SimDriver::loadCardsFromXml(const QByteArray &xml, QString *error)
{
    SimCardFile::Contents contents;
    QString message;
    const bool ok = SimCardFile::parse(xml, contents, message);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!ok) {
        report(QStringLiteral("no cards from the card file: %1").arg(message));
        if (error)
            *error = message;
        setCardsLocked({});
        return false;
    }
    m_driverVersion = contents.driverVersion.value_or(DefaultDriverVersion);
    m_branch = contents.branch.value_or(DefaultBranch);
    setCardsLocked(contents.cards);
    return true;
}

bool SimDriver::loadCardsFromFile(const QString &path, QString *error)
{
    SimCardFile::Contents contents;
    QString message;
    const bool ok = SimCardFile::load(path, contents, message);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!ok) {
        report(QStringLiteral("no cards from the card file: %1").arg(message));
        if (error)
            *error = message;
        setCardsLocked({});
        return false;
    }
    m_driverVersion = contents.driverVersion.value_or(DefaultDriverVersion);
    m_branch = contents.branch.value_or(DefaultBranch);
    setCardsLocked(contents.cards);
    return true;
}

void SimDriver::setCards(const std::vector<SimCardConfig> &cards)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    setCardsLocked(cards);
}

void SimDriver::setCardsLocked(const std::vector<SimCardConfig> &cards)
{
    // Handles of the previous cards stop working, as after a driver restart.
    ++m_generation;
    m_cards.clear();
    const double now = nowLocked();
    const QString ledStatePath = SimLedStateFile::path();
    for (const SimCardConfig &config : cards) {
        // A frozen card takes its readings at the start of the load curve, the same in every process.
        m_cards.push_back(std::make_unique<SimCard>(config, config.frozen ? 0.0 : now));
        m_cards.back()->setFrozen(config.frozen);
        // The lighting command an earlier process left for this card.
        if (!ledStatePath.isEmpty()) {
            const auto packet = SimLedStateFile::load(ledStatePath, static_cast<int>(m_cards.size()) - 1);
            if (!packet.empty())
                m_cards.back()->i2cWrite(SimCard::LedAddress, packet);
        }
    }
}

int SimDriver::cardCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_cards.size());
}

SimCardConfig SimDriver::cardConfig(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SimCard *simCard = cardLocked(card);
    return simCard ? simCard->config() : SimCardConfig {};
}

void SimDriver::editCard(int card, const std::function<void(SimCardConfig &)> &edit)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SimCard *simCard = cardLocked(card);
    if (!simCard)
        return;
    edit(simCard->config());
    simCard->rebuildDevices();
}

void SimDriver::setTcc(int card, bool tcc)
{
    editCard(card, [tcc](SimCardConfig &config) { config.tcc = tcc; });
}

void SimDriver::setGpuSensor(int card, bool present)
{
    editCard(card, [present](SimCardConfig &config) { config.gpuSensor = present; });
}

void SimDriver::setCoolerPresent(int card, bool present)
{
    editCard(card, [present](SimCardConfig &config) { config.hasCooler = present; });
}

void SimDriver::setMemoryType(int card, NvU32 code)
{
    editCard(card, [code](SimCardConfig &config) { config.memoryType = code; });
}

void SimDriver::setName(int card, const std::string &name)
{
    editCard(card, [&name](SimCardConfig &config) { config.name = name; });
}

void SimDriver::setPciIdentifiers(
    int card, NvU32 deviceId, NvU32 subsystemId, NvU32 revisionId, NvU32 extDeviceId)
{
    editCard(card, [=](SimCardConfig &config) {
        config.deviceId = deviceId;
        config.subsystemId = subsystemId;
        config.revisionId = revisionId;
        config.extDeviceId = extDeviceId;
    });
}

void SimDriver::acceptOnlyVersions(int card, NvRecordKind kind, const std::vector<NvU32> &words)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (SimCard *simCard = cardLocked(card))
        simCard->restrictVersions(kind, words);
}

void SimDriver::setDriverVersion(NvU32 version, const std::string &branch)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_driverVersion = version;
    m_branch = branch;
}

NvPhysicalGpuHandle SimDriver::handleOf(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return handleLocked(card);
}

NvPhysicalGpuHandle SimDriver::handleLocked(int card) const
{
    if (!cardLocked(card))
        return nullptr;
    const std::uintptr_t value
        = HandleTag | std::uintptr_t(m_generation & GenerationMask) << 12 | std::uintptr_t(card + 1) << 4;
    return reinterpret_cast<NvPhysicalGpuHandle>(value);
}

int SimDriver::resolveLocked(NvPhysicalGpuHandle handle, NvStatus &status) const
{
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    status = NvApiStatus::InvalidHandle;
    if ((value & HandleTagMask) != HandleTag || (value & 0xF) != 0)
        return -1;
    if (((value >> 12) & GenerationMask) != (m_generation & GenerationMask)) {
        status = NvApiStatus::HandleInvalidated;
        return -1;
    }
    const int card = static_cast<int>((value >> 4) & 0xFF) - 1;
    if (!cardLocked(card))
        return -1;
    status = NvApiStatus::Ok;
    return card;
}

SimCard *SimDriver::cardLocked(int card)
{
    if (card < 0 || card >= static_cast<int>(m_cards.size()))
        return nullptr;
    return m_cards[card].get();
}

const SimCard *SimDriver::cardLocked(int card) const
{
    if (card < 0 || card >= static_cast<int>(m_cards.size()))
        return nullptr;
    return m_cards[card].get();
}

// Injected statuses ------------------------------------------------------

void SimDriver::failCalls(NvU32 id, NvStatus status, int card)
{
    addFault({ id, status, card, 0, 0, -1 });
}

void SimDriver::failNthCall(NvU32 id, NvStatus status, int n, int card)
{
    addFault({ id, status, card, 0, n > 0 ? n - 1 : 0, 1 });
}

void SimDriver::failNextCalls(NvU32 id, NvStatus status, int count, int card)
{
    addFault({ id, status, card, 0, 0, count });
}

void SimDriver::failVersion(NvU32 id, NvU32 version, NvStatus status, int card)
{
    addFault({ id, status, card, version, 0, -1 });
}

void SimDriver::addFault(const SimFault &fault)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.add(fault);
}

void SimDriver::queueStatuses(NvU32 id, const std::vector<NvStatus> &statuses)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.queue(id, statuses);
}

void SimDriver::clearFaults()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.clear();
}

// The library --------------------------------------------------------------

void SimDriver::setQueryNull(NvU32 id, bool null)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (null)
        m_nullIds.insert(id);
    else
        m_nullIds.erase(id);
}

void SimDriver::setInitializeStatus(NvStatus status)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_initializeStatus = status;
}

void SimDriver::setUnloadStatus(NvStatus status)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_unloadStatus = status;
}

void SimDriver::setUnloadDelayMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_unloadDelayMs = ms;
}

void SimDriver::setHooks(bool preCall, bool postCall)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_preHook = preCall;
    m_postHook = postCall;
}

bool SimDriver::isInitialized() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_initialized;
}

int SimDriver::callCount(NvU32 id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_callCounts.find(id);
    return it == m_callCounts.end() ? 0 : it->second;
}

int SimDriver::queryCount(NvU32 id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_queryCounts.find(id);
    return it == m_queryCounts.end() ? 0 : it->second;
}

int SimDriver::hookCount(NvU32 hookId) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_hookCounts.find(hookId);
    return it == m_hookCounts.end() ? 0 : it->second;
}

std::vector<SimCallRecord> SimDriver::callLog() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_callLog;
}

std::vector<NvU32> SimDriver::versionsPassed(NvU32 id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<NvU32> versions;
    for (const SimCallRecord &call : m_callLog) {
        if (call.id == id)
            versions.push_back(call.version);
    }
    return versions;
}

void SimDriver::clearCounters()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_callCounts.clear();
    m_queryCounts.clear();
    m_hookCounts.clear();
    m_callLog.clear();
    m_i2cLog.clear();
}

void SimDriver::holdNextCall(NvU32 id)
{
    m_latch.arm(id);
}

bool SimDriver::waitUntilHeld(NvU32 id, int timeoutMs)
{
    return m_latch.waitUntilHeld(id, timeoutMs);
}

void SimDriver::releaseHeldCall(NvU32 id)
{
    m_latch.release(id);
}

std::uint64_t SimDriver::beginCallLocked(NvU32 id, NvU32 version, int card)
{
    ++m_callCounts[id];
    trimLog(m_callLog);
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    m_callLog.push_back({ id, version, card, NvApiStatus::Ok, ++m_callSequence,
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(),
        std::hash<std::thread::id>()(std::this_thread::get_id()) });
    return m_callSequence;
}

void SimDriver::finishCallLocked(std::uint64_t sequence, NvStatus status)
{
    // Other calls may have been logged since, or a test may have cleared the
    // log while the call was held.
    for (auto it = m_callLog.rbegin(); it != m_callLog.rend(); ++it) {
        if (it->sequence == sequence) {
            it->status = status;
            return;
        }
        if (it->sequence < sequence)
            return;
    }
}

void SimDriver::logI2cLocked(const SimI2cTransaction &transaction)
{
    trimLog(m_i2cLog);
    m_i2cLog.push_back(transaction);
    // The capability probe leaves the effect as it is, so it does not replace the command kept.
    if (transaction.write && transaction.status == NvApiStatus::Ok
        && (transaction.address & 0xFE) == SimCard::LedAddress && transaction.data.size() > 1
        && transaction.data[1] != SimLedController::CapabilityProbe) {
        const QString ledStatePath = SimLedStateFile::path();
        if (!ledStatePath.isEmpty())
            SimLedStateFile::save(ledStatePath, transaction.card, transaction.data);
    }
}

void SimDriver::countHook(NvU32 hookId)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_hookCounts[hookId];
}

// Readings and tuning ------------------------------------------------------

double SimDriver::nowLocked() const
{
    return m_manualTime ? m_manualSeconds : steadySeconds();
}

void SimDriver::setFrozen(int card, bool frozen)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SimCard *simCard = cardLocked(card);
    if (!simCard)
        return;
    // Catch up first, so that thawing later does not jump over the frozen time.
    simCard->advanceTo(nowLocked());
    simCard->setFrozen(frozen);
}

void SimDriver::freezeAll(bool frozen)
{
    const int count = cardCount();
    for (int card = 0; card < count; ++card)
        setFrozen(card, frozen);
}

SimReadings SimDriver::readings(int card)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SimCard *simCard = cardLocked(card);
    if (!simCard)
        return {};
    simCard->advanceTo(nowLocked());
    return simCard->readings();
}

void SimDriver::setReadings(int card, const SimReadings &readings)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SimCard *simCard = cardLocked(card);
    if (!simCard)
        return;
    simCard->advanceTo(nowLocked());
    simCard->setReadings(readings);
}

void SimDriver::editReadings(int card, const std::function<void(SimReadings &)> &edit)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SimCard *simCard = cardLocked(card);
    if (!simCard)
        return;
    simCard->advanceTo(nowLocked());
    SimReadings readings = simCard->readings();
    edit(readings);
    simCard->setReadings(readings);
}

void SimDriver::setGpuClockMhz(int card, int mhz)
{
    editReadings(card, [mhz](SimReadings &r) { r.gpuClockMhz = mhz; });
}

void SimDriver::setMemoryClockMhz(int card, int mhz)
{
    editReadings(card, [mhz](SimReadings &r) { r.memoryClockMhz = mhz; });
}

void SimDriver::setTemperature(int card, double celsius)
{
    editReadings(card, [celsius](SimReadings &r) { r.temperatureC = celsius; });
}

void SimDriver::setFanRpm(int card, int rpm)
{
    editReadings(card, [rpm](SimReadings &r) { r.fanRpm = rpm; });
}

void SimDriver::setGpuUsage(int card, int percent)
{
    editReadings(card, [percent](SimReadings &r) { r.gpuUsage = percent; });
}

void SimDriver::setMemoryUsedKb(int card, NvU32 kb)
{
    editReadings(card, [kb](SimReadings &r) { r.memoryUsedKb = kb; });
}

void SimDriver::setDedicatedMemoryKb(int card, NvU32 kb)
{
    editCard(card, [kb](SimCardConfig &config) {
        config.dedicatedKb = kb;
        config.availableDedicatedKb = kb;
    });
}

void SimDriver::setBoardSensor(int card, int sensor, double celsius)
{
    if (sensor < 0 || sensor >= 4)
        return;
    editReadings(card, [sensor, celsius](SimReadings &r) { r.boardSensorC[sensor] = celsius; });
}

SimTuning SimDriver::tuning(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SimCard *simCard = cardLocked(card);
    return simCard ? simCard->tuning() : SimTuning {};
}

void SimDriver::setManualTime(double seconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_manualTime = true;
    m_manualSeconds = seconds;
}

void SimDriver::advanceTime(double seconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_manualTime) {
        m_manualTime = true;
        m_manualSeconds = steadySeconds();
    }
    m_manualSeconds += seconds;
}

void SimDriver::useRealTime()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_manualTime = false;
}

// The I2C bus ----------------------------------------------------------------

std::vector<NvU8> SimDriver::lastLedPacket(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SimCard *simCard = cardLocked(card);
    return simCard && simCard->led() ? simCard->led()->lastPacket() : std::vector<NvU8> {};
}

int SimDriver::ledPacketCount(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SimCard *simCard = cardLocked(card);
    return simCard && simCard->led() ? simCard->led()->acceptedCount() : 0;
}

int SimDriver::ledRefusedCount(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SimCard *simCard = cardLocked(card);
    return simCard && simCard->led() ? simCard->led()->refusedCount() : 0;
}

SimLedState SimDriver::ledState(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SimCard *simCard = cardLocked(card);
    return simCard && simCard->led() ? simCard->led()->state() : SimLedState {};
}

std::vector<NvU8> SimDriver::lastLcdFrame(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SimCard *simCard = cardLocked(card);
    return simCard && simCard->lcd() ? simCard->lcd()->lastFrame() : std::vector<NvU8> {};
}

int SimDriver::lcdFrameCount(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SimCard *simCard = cardLocked(card);
    return simCard && simCard->lcd() ? simCard->lcd()->frameCount() : 0;
}

int SimDriver::lcdRefusedCount(int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SimCard *simCard = cardLocked(card);
    return simCard && simCard->lcd() ? simCard->lcd()->refusedCount() : 0;
}

std::vector<SimI2cTransaction> SimDriver::i2cLog() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_i2cLog;
}

void SimDriver::clearI2cLog()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_i2cLog.clear();
}
