#include "driversearch.h"
#include "moduleloader.h"

#include <QFileInfo>

#include <vector>

#include <windows.h>

#include <devguid.h>
#include <setupapi.h>

namespace {

constexpr wchar_t NtVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t VulkanDriversKey[] = L"SOFTWARE\\Khronos\\Vulkan\\Drivers";
constexpr wchar_t OpenClVendorsKey[] = L"SOFTWARE\\Khronos\\OpenCL\\Vendors";
constexpr wchar_t NvidiaVendor[] = L"VEN_10DE";

// Not in every SDK's setupapi.h (MinGW's lacks it): taken from setupapi.dll, which the program links.
using GetInfDriverStoreLocation = BOOL(WINAPI *)(PCWSTR, PSP_ALTPLATFORM_INFO, PCWSTR, PWSTR, DWORD, PDWORD);

GetInfDriverStoreLocation driverStoreLocation()
{
    HMODULE setupApi = GetModuleHandleW(L"setupapi.dll");
    return setupApi ? reinterpret_cast<GetInfDriverStoreLocation>(
               reinterpret_cast<void *>(GetProcAddress(setupApi, "SetupGetInfDriverStoreLocationW")))
                    : nullptr;
}

QString fromWide(const wchar_t *text)
{
    return QString::fromWCharArray(text);
}

/// A REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ value as its strings.
QStringList stringsOf(HKEY key, const wchar_t *subKey, const wchar_t *name)
{
    DWORD bytes = 0;
    DWORD type = 0;
    if (RegGetValueW(
            key, subKey, name, RRF_RT_REG_SZ | RRF_RT_REG_MULTI_SZ | RRF_NOEXPAND, &type, nullptr, &bytes)
            != ERROR_SUCCESS
        || bytes == 0)
        return {};
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    if (RegGetValueW(key, subKey, name, RRF_RT_REG_SZ | RRF_RT_REG_MULTI_SZ | RRF_NOEXPAND, &type,
            buffer.data(), &bytes)
        != ERROR_SUCCESS)
        return {};
    QStringList strings;
    for (const wchar_t *p = buffer.data(); *p; p += wcslen(p) + 1)
        strings << fromWide(p);
    return strings;
}

/// The value names under a key of HKEY_LOCAL_MACHINE (the Khronos keys list their files as names).
QStringList valueNames(const wchar_t *subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    QStringList names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[MAX_PATH * 2] = {};
        DWORD length = MAX_PATH * 2;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names << fromWide(name);
    }
    RegCloseKey(key);
    return names;
}

QString systemDirectory()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? fromWide(folder) : QString();
}

bool isWow64Process()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

/// Every present display adapter whose hardware id names NVIDIA's vendor id,
/// with its driver store folder and its class key values.
QList<DriverSearch::Adapter> nvidiaAdapters(bool wow64)
{
    QList<DriverSearch::Adapter> adapters;
    HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_DISPLAY, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return adapters;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        wchar_t hardwareIds[2048] = {};
        if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_HARDWAREID, nullptr,
                reinterpret_cast<BYTE *>(hardwareIds), sizeof hardwareIds - sizeof(wchar_t), nullptr))
            continue;
        if (!fromWide(hardwareIds).contains(fromWide(NvidiaVendor), Qt::CaseInsensitive))
            continue;
        HKEY driverKey = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
        if (driverKey == INVALID_HANDLE_VALUE)
            continue;
        DriverSearch::Adapter adapter;
        const QStringList inf = stringsOf(driverKey, nullptr, L"InfPath");
        const GetInfDriverStoreLocation storeLocation = driverStoreLocation();
        if (!inf.isEmpty() && storeLocation) {
            wchar_t store[MAX_PATH] = {};
            if (storeLocation(reinterpret_cast<const wchar_t *>(inf.first().utf16()), nullptr, nullptr, store,
                    MAX_PATH, nullptr))
                adapter.driverStoreFolder
                    = QFileInfo(fromWide(store)).path().replace(QLatin1Char('/'), QLatin1Char('\\'));
        }
        for (const QString &name : DriverSearch::classValueNames(wow64))
            adapter.classValues.insert(
                name, stringsOf(driverKey, nullptr, reinterpret_cast<const wchar_t *>(name.utf16())));
        RegCloseKey(driverKey);
        adapters << adapter;
    }
    SetupDiDestroyDeviceInfoList(devices);
    return adapters;
}

/// NVIDIA's driver library, found by the secure search and loaded by full path only.
class WindowsModuleLoader : public ModuleLoader
{
public:
    QString libraryPath() const override
    {
        const QString system = systemDirectory();
        if (system.isEmpty())
            return QString();
        const QString file = DriverSearch::libraryFileName(sizeof(void *) == 8);
        const QStringList build = stringsOf(HKEY_LOCAL_MACHINE, NtVersionKey, L"CurrentBuildNumber");
        if (build.isEmpty() || !DriverSearch::driverStoreSearchAllowed(build.first(), file))
            return DriverSearch::choose({}, file, nullptr, system);
        const bool wow64 = isWow64Process();
        const QStringList folders = DriverSearch::candidateFolders(
            nvidiaAdapters(wow64), valueNames(VulkanDriversKey), valueNames(OpenClVendorsKey), wow64, system);
        return DriverSearch::choose(
            folders, file,
            [](const QString &path) {
                const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t *>(path.utf16()));
                return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
            },
            system);
    }

    void *load(const QString &fullPath) override
    {
        // A full path only, and no search of the program's own folder for its dependencies.
        return LoadLibraryExW(reinterpret_cast<const wchar_t *>(fullPath.utf16()), nullptr,
            LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    }

    void *resolve(void *module, const char *symbol) override
    {
        return module ? reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), symbol))
                      : nullptr;
    }

    void free(void *module) override
    {
        if (module)
            FreeLibrary(static_cast<HMODULE>(module));
    }
};

} // namespace

ModuleLoader &ModuleLoader::platformLoader()
{
    static WindowsModuleLoader loader;
    return loader;
}
