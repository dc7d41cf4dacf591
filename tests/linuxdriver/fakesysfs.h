#pragma once

#include <QDir>
#include <QFile>
#include <QString>

/// A sysfs tree in a test's temporary folder: PCI device folders with the
/// files the bridge reads. Point LUMETRA_LINUX_SYSFS_ROOT at root().
class FakeSysfs
{
public:
    explicit FakeSysfs(const QString &root)
        : m_root(root)
    {
    }

    QString root() const { return m_root; }

    bool addPciDevice(const QString &busId, unsigned revision) const
    {
        const QString folder = m_root + QStringLiteral("/bus/pci/devices/") + busId;
        if (!QDir().mkpath(folder))
            return false;
        QFile file(folder + QStringLiteral("/revision"));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(QByteArray("0x") + QByteArray::number(revision, 16) + "\n");
        return true;
    }

private:
    QString m_root;
};
