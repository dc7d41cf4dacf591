#pragma once

#include "nvapitypes.h"

#include <array>
#include <cstddef>
#include <cstring>

/// A record the driver does not publish: a zeroed byte buffer of the record's
/// full size with little-endian accessors at byte offsets. Reads and writes
/// outside the buffer are ignored (reads give 0), so a bad count read from the
/// driver can never walk past the end.
inline NvU32 readLittleU32(const NvU8 *bytes, std::size_t size, std::size_t offset)
{
    if (offset > size || size - offset < 4)
        return 0;
    return NvU32(bytes[offset]) | NvU32(bytes[offset + 1]) << 8 | NvU32(bytes[offset + 2]) << 16
        | NvU32(bytes[offset + 3]) << 24;
}

inline void writeLittleU32(NvU8 *bytes, std::size_t size, std::size_t offset, NvU32 value)
{
    if (offset > size || size - offset < 4)
        return;
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<NvU8>(value >> (8 * i));
}

template <std::size_t Size> class NvRawRecord
{
public:
    static constexpr std::size_t size = Size;

    NvRawRecord() { m_bytes.fill(0); }

    NvU8 *data() { return m_bytes.data(); }
    const NvU8 *data() const { return m_bytes.data(); }

    NvU32 version() const { return u32(0); }
    void setVersion(NvU32 word) { setU32(0, word); }

    NvU8 u8(std::size_t offset) const { return offset < Size ? m_bytes[offset] : 0; }
    void setU8(std::size_t offset, NvU8 value)
    {
        if (offset < Size)
            m_bytes[offset] = value;
    }
    NvU32 u32(std::size_t offset) const { return readLittleU32(m_bytes.data(), Size, offset); }
    NvS32 s32(std::size_t offset) const { return static_cast<NvS32>(u32(offset)); }
    void setU32(std::size_t offset, NvU32 value) { writeLittleU32(m_bytes.data(), Size, offset, value); }
    void setS32(std::size_t offset, NvS32 value) { setU32(offset, static_cast<NvU32>(value)); }

private:
    std::array<NvU8, Size> m_bytes;
};
