#include "devi2cbus.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
constexpr std::size_t MaxBlock = I2C_SMBUS_BLOCK_MAX;
constexpr auto ComplaintInterval = std::chrono::seconds(1);
} // namespace

DevI2cBus &DevI2cBus::instance()
{
    static DevI2cBus bus;
    return bus;
}

DevI2cBus::~DevI2cBus()
{
    for (const auto &entry : m_descriptors) {
        if (entry.second >= 0)
            ::close(entry.second);
    }
}

int DevI2cBus::descriptor(int adapter)
{
    std::lock_guard<std::mutex> locker(m_lock);
    const auto found = m_descriptors.find(adapter);
    if (found != m_descriptors.end())
        return found->second;
    const std::string path = "/dev/i2c-" + std::to_string(adapter);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0) {
        m_descriptors[adapter] = fd;
        return fd;
    }
    const int error = errno;
    if (error == EACCES || error == EPERM) {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastComplaint >= ComplaintInterval) {
            m_lastComplaint = now;
            std::fprintf(stderr,
                "No access to %s: the card's lighting, LCD and board sensors need the udev rule of the "
                "package "
                "(or root).\n",
                path.c_str());
            std::fflush(stderr);
        }
    }
    // A refusal is not remembered: a rule that arrives later is used at once.
    return -error;
}

int DevI2cBus::transfer(int adapter, std::vector<I2cMessage> &messages)
{
    const int fd = descriptor(adapter);
    if (fd < 0)
        return -fd;
    std::vector<i2c_msg> raw(messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        raw[i].addr = messages[i].address;
        raw[i].flags = messages[i].read ? I2C_M_RD : 0;
        raw[i].len = static_cast<__u16>(messages[i].bytes.size());
        raw[i].buf = messages[i].bytes.data();
    }
    i2c_rdwr_ioctl_data data {};
    data.msgs = raw.data();
    data.nmsgs = static_cast<__u32>(raw.size());
    return ::ioctl(fd, I2C_RDWR, &data) < 0 ? errno : 0;
}

bool DevI2cBus::hasBlockRead(int adapter)
{
    const int fd = descriptor(adapter);
    unsigned long functions = 0;
    return fd >= 0 && ::ioctl(fd, I2C_FUNCS, &functions) == 0 && (functions & I2C_FUNC_SMBUS_READ_I2C_BLOCK);
}

int DevI2cBus::blockRead(int adapter, NvU8 address, NvU8 reg, NvU8 *out, std::size_t count)
{
    if (count == 0 || count > MaxBlock)
        return EINVAL;
    const int fd = descriptor(adapter);
    if (fd < 0)
        return -fd;
    i2c_smbus_data block {};
    block.block[0] = static_cast<__u8>(count);
    i2c_smbus_ioctl_data args {};
    args.read_write = I2C_SMBUS_READ;
    args.command = reg;
    args.size = I2C_SMBUS_I2C_BLOCK_DATA;
    args.data = &block;
    // The address is set for this descriptor: every transaction under the adapter's lock sets it again.
    if (::ioctl(fd, I2C_SLAVE, static_cast<unsigned long>(address)) < 0)
        return errno;
    if (::ioctl(fd, I2C_SMBUS, &args) < 0)
        return errno;
    std::memcpy(out, &block.block[1], count);
    return 0;
}
