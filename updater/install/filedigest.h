#pragma once

#include <QString>

#include <atomic>

/// The MD5 digest of a file's content as 32 lowercase hex digits, read in large blocks so that hashing
/// runs at disk speed without holding the file in memory.
class FileDigest
{
public:
    /// Empty when the file cannot be opened or read, or when `stop` is set while reading.
    static QString md5Hex(const QString &path, const std::atomic<bool> *stop = nullptr);
};
