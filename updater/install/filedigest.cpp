#include "filedigest.h"

#include <QCryptographicHash>
#include <QFile>

#include <memory>

namespace {

constexpr qint64 BlockBytes = 1024 * 1024;

} // namespace

QString FileDigest::md5Hex(const QString &path, const std::atomic<bool> *stop)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    std::unique_ptr<char[]> block(new char[BlockBytes]);
    for (;;) {
        if (stop && stop->load())
            return QString();
        const qint64 got = file.read(block.get(), BlockBytes);
        if (got < 0)
            return QString();
        if (got == 0)
            break;
        hash.addData(block.get(), static_cast<int>(got));
    }
    return QString::fromLatin1(hash.result().toHex());
}
