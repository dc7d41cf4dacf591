#include "korvo_processmemory.h"
#include "lumetrafonts.h"
#include "lumetraresources.h"

#include <QCryptographicHash>
#include <QFile>
#include <QResource>
#include <QtTest>

#include <cstdint>

// Handing back the pages of stored resource data: the data reads the same afterwards, and the pages
// leave the process until they are read again.
class TestProcessMemory : public QObject
{
    Q_OBJECT

private:
    /// The resident kilobytes of the mapping that holds the address, from /proc/self/smaps.
    static qint64 residentKbAt(const void *address)
    {
        QFile smaps(QStringLiteral("/proc/self/smaps"));
        if (!smaps.open(QIODevice::ReadOnly | QIODevice::Text))
            return -1;
        const auto at = reinterpret_cast<quintptr>(address);
        bool inside = false;
        for (const QByteArray &line : smaps.readAll().split('\n')) {
            // A mapping's header starts with its address range; its fields follow, "Rss:" among them.
            const QList<QByteArray> range = line.split(' ').first().split('-');
            bool okBegin = false;
            bool okEnd = false;
            const quintptr begin = range.size() == 2 ? range.at(0).toULongLong(&okBegin, 16) : 0;
            const quintptr end = range.size() == 2 ? range.at(1).toULongLong(&okEnd, 16) : 0;
            if (okBegin && okEnd) {
                inside = at >= begin && at < end;
                continue;
            }
            if (inside && line.startsWith("Rss:"))
                return line.mid(4).trimmed().split(' ').first().toLongLong();
        }
        return -1;
    }

    static QByteArray digest(const QResource &resource)
    {
        return QCryptographicHash::hash(
            QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()), int(resource.size())),
            QCryptographicHash::Sha256);
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void releasedFontPagesReadTheSameAndLeaveTheProcess()
    {
        const QString path = QString::fromUtf8(KuHeiFontPath);
        const QResource font(path);
        QVERIFY(font.isValid());
        QCOMPARE(int(font.compressionAlgorithm()), int(QResource::NoCompression));
        QVERIFY(font.size() > 4 * 1024 * 1024);
        const QByteArray before = digest(font); // reads every page
        const qint64 residentBefore = residentKbAt(font.data());
        QVERIFY(residentBefore > 4 * 1024);

        Korvo_ProcessMemory::releaseResourcePages(path);
        const qint64 residentAfter = residentKbAt(font.data());
        QVERIFY2(residentAfter + 4 * 1024 <= residentBefore,
            qPrintable(QStringLiteral("%1 kB before, %2 kB after").arg(residentBefore).arg(residentAfter)));
        QCOMPARE(digest(font), before);
    }
};

QTEST_MAIN(TestProcessMemory)
#include "tst_processmemory.moc"
