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

    /// A PCI device with the vendor files udev's ATTRS{} match on.
    bool addPciDevice(
        const QString &busId, unsigned revision, unsigned vendor, unsigned subsystemVendor) const
    {
        return addPciDevice(busId, revision) && write(busId + QStringLiteral("/vendor"), vendor)
            && write(busId + QStringLiteral("/subsystem_vendor"), subsystemVendor);
    }

    /// An I2C adapter of the PCI device: the folder i2c-N with its name file.
    bool addAdapter(const QString &busId, int adapter, const QByteArray &name) const
    {
        const QString folder = deviceFolder(busId) + QStringLiteral("/i2c-") + QString::number(adapter);
        if (!QDir().mkpath(folder))
            return false;
        QFile file(folder + QStringLiteral("/name"));
        return file.open(QIODevice::WriteOnly) && file.write(name + "\n") == name.size() + 1;
    }

    QString deviceFolder(const QString &busId) const
    {
        return m_root + QStringLiteral("/bus/pci/devices/") + busId;
    }

private:
    bool write(const QString &relative, unsigned value) const
    {
        QFile file(m_root + QStringLiteral("/bus/pci/devices/") + relative);
        return file.open(QIODevice::WriteOnly)
            && file.write(QByteArray("0x") + QByteArray::number(value, 16).rightJustified(4, '0') + "\n") > 0;
    }

    QString m_root;
};
