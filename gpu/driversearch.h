#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

/// The decisions of the secure search for NVIDIA's driver library on Windows,
/// apart from the Win32 calls that gather their input (moduleloader_win.cpp):
/// which library name, whether the driver store is searched, which class key
/// values are read and in which order, how "system32" paths are re-rooted, and
/// which full path is loaded. The library is never loaded by bare name, so
/// never from the current directory or the search path.
namespace DriverSearch {
/// The first system build on which the search looks in the driver's own location.
constexpr int DriverStoreMinimumBuild = 14308;

/// What one NVIDIA display adapter (hardware id with "VEN_10DE") offers.
struct Adapter
{
    QString driverStoreFolder; ///< from SetupGetInfDriverStoreLocationW on its INF, may be empty
    QMap<QString, QStringList> classValues; ///< value name of its class key to the paths it holds
};

/// "nvapi64.dll" for a 64-bit process, "nvapi.dll" for a 32-bit one.
QString libraryFileName(bool process64Bit);
/// Whether the system's build (the decimal text of "CurrentBuildNumber") allows
/// the driver-store search for a library of this name: build 14308 or later
/// and a name beginning with "nv".
bool driverStoreSearchAllowed(const QString &currentBuildNumber, const QString &fileName);
/// The class key values consulted, in order; a 32-bit process on 64-bit
/// Windows reads the "Wow" variants of the user-mode and OpenGL names.
QStringList classValueNames(bool wow64Process);
/// A path under "system32\" or "\SystemRoot\system32\" moved under the real
/// system directory; any other path unchanged.
QString reroot(const QString &path, const QString &systemDirectory);
/// The folders to look in, in order: each adapter's driver store folder, then
/// the folders of its class key values, then those of the Khronos Vulkan and
/// OpenCL registrations. Re-rooted, absolute only, each once.
QStringList candidateFolders(const QList<Adapter> &adapters, const QStringList &vulkanDrivers,
    const QStringList &openClVendors, bool wow64Process, const QString &systemDirectory);
/// The full path to load: the library in the first candidate folder that has
/// it, else in the system directory.
QString choose(const QStringList &folders, const QString &fileName,
    const std::function<bool(const QString &)> &exists, const QString &systemDirectory);
} // namespace DriverSearch
