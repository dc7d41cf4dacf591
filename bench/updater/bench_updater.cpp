// Run: build/bin/bench/bench_updater --benchmark_repetitions=3
// Throughput counters are in MB/s (10^6 bytes); the MD5 ratio is the updater's speed over md5sum's on the
// same file in the same run (the checking worker's 200 ms pause per entry is not part of it).
#include "filedigest.h"
#include "httpstestserver.h"
#include "installtransaction.h"
#include "korvo_downloadfile.h"
#include "updatersleep.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <benchmark/benchmark.h>

namespace {

constexpr qint64 MB = 1000 * 1000;

/// Writes `bytes` of random data in 1 MiB blocks, hashing it on the way; never holds it whole.
QString writeRandomFile(const QString &path, qint64 bytes, QCryptographicHash *hash = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 done = 0; done < bytes; done += block.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        const int n = int(qMin<qint64>(block.size(), bytes - done));
        file.write(block.constData(), n);
        if (hash)
            hash->addData(block.constData(), n);
    }
    return path;
}

/// Peak resident memory of this process (kB), and a reset of it (Linux: clear_refs 5).
qint64 readStatusKb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

void BM_Md5AgainstMd5sum(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeRandomFile(dir.filePath(QStringLiteral("big.bin")), 200 * MB);
    FileDigest::md5Hex(path); // into the page cache, as md5sum will find it too
    double updaterSeconds = 0;
    double md5sumSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const QString ours = FileDigest::md5Hex(path);
        updaterSeconds += clock.nsecsElapsed() / 1e9;
        clock.restart();
        QProcess md5sum;
        md5sum.start(QStringLiteral("md5sum"), { path });
        md5sum.waitForFinished(-1);
        md5sumSeconds += clock.nsecsElapsed() / 1e9;
        if (!md5sum.readAllStandardOutput().startsWith(ours.toLatin1()))
            state.SkipWithError("digests differ");
    }
    const double n = double(state.iterations());
    state.counters["updater_MBps"] = 200.0 * n / updaterSeconds;
    state.counters["md5sum_MBps"] = 200.0 * n / md5sumSeconds;
    state.counters["ratio"] = md5sumSeconds / updaterSeconds;
}
BENCHMARK(BM_Md5AgainstMd5sum)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

/// A 50 MB program file in a zip on the loopback HTTPS server, downloaded and installed as the updater does.
void BM_DownloadAndInstall50MB(benchmark::State &state)
{
    UpdaterSleep::setTimeScale(0.0);
    QTemporaryDir root;
    QTemporaryDir source;
    QCryptographicHash hash(QCryptographicHash::Md5);
    const QString content = writeRandomFile(source.filePath(QStringLiteral("payload")), 50 * MB, &hash);
    const QString digest = QString::fromLatin1(hash.result().toHex());
    QDir().mkpath(root.filePath(QStringLiteral("files")));
    {
        QuaZip zip(root.filePath(QStringLiteral("files/") + digest + QStringLiteral(".zip")));
        zip.open(QuaZip::mdCreate);
        QuaZipFile member(&zip);
        member.open(
            QIODevice::WriteOnly, QuaZipNewInfo(QStringLiteral("payload.bin")), nullptr, 0, Z_DEFLATED, 1);
        QFile in(content);
        in.open(QIODevice::ReadOnly);
        while (!in.atEnd())
            member.write(in.read(1 << 20));
        member.close();
        zip.close();
    }
    HttpsTestServer server;
    if (!server.start(root.path())) {
        state.SkipWithError(qPrintable(server.errorString()));
        return;
    }
    server.exportEnvironment();
    const ManifestFileInfo entry { QStringLiteral("payload.bin"), QString(), digest };
    double downloadSeconds = 0;
    double installSeconds = 0;
    qint64 peakGrowthKb = 0;
    for (auto _ : state) {
        QTemporaryDir program;
        Korvo_DownloadFile worker(program.path());
        worker.setServerAddress(server.baseUrl() + QStringLiteral("/files"));
        worker.setFiles({ entry });
        bool ok = false;
        QEventLoop loop;
        QObject::connect(&worker, &Korvo_DownloadFile::downloadResult, &loop, [&](bool result) {
            ok = result;
            loop.quit();
        });
        const qint64 before = readStatusKb("VmRSS:");
        resetPeakMemory();
        QElapsedTimer clock;
        clock.start();
        worker.startDownload();
        loop.exec();
        downloadSeconds += clock.nsecsElapsed() / 1e9;
        clock.restart();
        InstallTransaction transaction(program.path());
        ok = ok && transaction.stage(entry) && transaction.commit();
        installSeconds += clock.nsecsElapsed() / 1e9;
        peakGrowthKb = qMax(peakGrowthKb, readStatusKb("VmHWM:") - before);
        if (!ok)
            state.SkipWithError("download or install failed");
    }
    const double n = double(state.iterations());
    state.counters["download_MBps"] = 50.0 * n / downloadSeconds;
    state.counters["extract_verify_install_MBps"] = 50.0 * n / installSeconds;
    state.counters["peak_memory_growth_MB"] = double(peakGrowthKb) / 1024.0;
}
BENCHMARK(BM_DownloadAndInstall50MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
