#include "runtimestate.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t MaxStateBytes = 4096;

/// A bus id is a file name only when it holds nothing but hex digits, ':' and '.'.
bool safeName(const std::string &busId)
{
    if (busId.empty() || busId.size() > 32)
        return false;
    for (char c : busId) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.')
            return false;
    }
    return true;
}

/// A folder that is ours alone: a real directory (not a link), owned by us, mode 0700.
bool privateFolder(const std::string &path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat status = {};
    if (::lstat(path.c_str(), &status) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

std::string readSmallFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat status = {};
    std::string text;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        char buffer[MaxStateBytes];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0)
            text.assign(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

std::string offsetKey(unsigned int clockType)
{
    return "offset" + std::to_string(clockType);
}

} // namespace

RuntimeState &RuntimeState::instance()
{
    static RuntimeState state;
    return state;
}

std::string RuntimeState::folder()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base;
    if (runtime && runtime[0] == '/')
        base = runtime;
    else if (::geteuid() == 0)
        base = "/run";
    else
        return {};
    const std::string path = base + "/lumetra";
    return privateFolder(path) ? path : std::string();
}

RuntimeState::Values &RuntimeState::loadedLocked(const std::string &busId)
{
    auto found = m_gpus.find(busId);
    if (found != m_gpus.end())
        return found->second;
    Values &values = m_gpus[busId];
    const std::string dir = folder();
    if (dir.empty() || !safeName(busId))
        return values;
    std::istringstream lines(readSmallFile(dir + "/" + busId));
    std::string key;
    long long value = 0;
    while (lines >> key >> value)
        values[key] = value;
    return values;
}

void RuntimeState::saveLocked(const std::string &busId)
{
    const std::string dir = folder();
    if (dir.empty() || !safeName(busId))
        return;
    std::string text;
    for (const auto &entry : m_gpus[busId])
        text += entry.first + " " + std::to_string(entry.second) + "\n";
    const std::string path = dir + "/" + busId;
    const std::string temporary = path + ".new";
    // The folder is private, so a fixed temporary name is safe; the rename
    // replaces a planted link instead of writing through it.
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0)
        ::unlink(temporary.c_str());
}

std::int32_t RuntimeState::acousticDefault(const std::string &busId, std::int32_t currentC)
{
    std::lock_guard<std::mutex> locker(m_lock);
    Values &values = loadedLocked(busId);
    auto found = values.find("acousticDefault");
    if (found != values.end())
        return static_cast<std::int32_t>(found->second);
    values["acousticDefault"] = currentC;
    saveLocked(busId);
    return currentC;
}

std::optional<std::int32_t> RuntimeState::lastOffset(const std::string &busId, unsigned int clockType)
{
    std::lock_guard<std::mutex> locker(m_lock);
    Values &values = loadedLocked(busId);
    auto found = values.find(offsetKey(clockType));
    if (found == values.end())
        return std::nullopt;
    return static_cast<std::int32_t>(found->second);
}

void RuntimeState::rememberOffset(const std::string &busId, unsigned int clockType, std::int32_t offsetMhz)
{
    std::lock_guard<std::mutex> locker(m_lock);
    loadedLocked(busId)[offsetKey(clockType)] = offsetMhz;
    saveLocked(busId);
}

void RuntimeState::forgetOffset(const std::string &busId, unsigned int clockType)
{
    std::lock_guard<std::mutex> locker(m_lock);
    if (loadedLocked(busId).erase(offsetKey(clockType)) > 0)
        saveLocked(busId);
}

bool RuntimeState::priority(const std::string &busId)
{
    std::lock_guard<std::mutex> locker(m_lock);
    Values &values = loadedLocked(busId);
    auto found = values.find("priority");
    return found != values.end() && found->second != 0;
}

void RuntimeState::setPriority(const std::string &busId, bool priority)
{
    std::lock_guard<std::mutex> locker(m_lock);
    loadedLocked(busId)["priority"] = priority ? 1 : 0;
    saveLocked(busId);
}

void RuntimeState::clearMemory()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_gpus.clear();
}
