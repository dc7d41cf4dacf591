#include "simledstatefile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <cstdlib>

namespace {

constexpr int MaxPacketBytes = 0x7F;

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (file.size() > SimLedStateFile::MaxFileBytes || !file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.read(SimLedStateFile::MaxFileBytes)).split(QLatin1Char('\n'));
}

bool lineIsCard(const QString &line, int card, QString *packetHex)
{
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 3 || parts.at(0) != QLatin1String("card"))
        return false;
    bool ok = false;
    if (parts.at(1).toInt(&ok) != card || !ok)
        return false;
    if (packetHex)
        *packetHex = parts.at(2);
    return true;
}

} // namespace

QString SimLedStateFile::path()
{
    return QString::fromLocal8Bit(std::getenv(EnvironmentVariable));
}

std::vector<NvU8> SimLedStateFile::load(const QString &path, int card)
{
    QString packetHex;
    for (const QString &line : readLines(path)) {
        if (lineIsCard(line, card, &packetHex)) {
            const QByteArray bytes = QByteArray::fromHex(packetHex.toLatin1());
            if (bytes.isEmpty() || bytes.size() > MaxPacketBytes)
                return {};
            return std::vector<NvU8>(bytes.begin(), bytes.end());
        }
    }
    return {};
}

bool SimLedStateFile::save(const QString &path, int card, const std::vector<NvU8> &packet)
{
    QStringList kept;
    for (const QString &line : readLines(path)) {
        if (!line.isEmpty() && !lineIsCard(line, card, nullptr))
            kept.append(line);
    }
    const QByteArray bytes(reinterpret_cast<const char *>(packet.data()), static_cast<int>(packet.size()));
    kept.append(QStringLiteral("card %1 %2").arg(card).arg(QString::fromLatin1(bytes.toHex())));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(kept.join(QLatin1Char('\n')).toLatin1() + '\n');
    return file.commit();
}
