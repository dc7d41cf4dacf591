#include "driversearch.h"

#include <QSet>
#include <QtTest>

// The secure search for the driver library on Windows, decided without
// Windows: the build edge, the file name, the order of the places consulted,
// the "Wow" values, the re-rooting of system32 paths, and the system
// directory when nothing is found.
class TestDriverSearch : public QObject
{
    Q_OBJECT

private:
    const QString m_system = QStringLiteral("C:\\Windows\\System32");

    static DriverSearch::Adapter adapter(const QString &store, const QMap<QString, QStringList> &values)
    {
        DriverSearch::Adapter a;
        a.driverStoreFolder = store;
        a.classValues = values;
        return a;
    }

private slots:
    void driverStoreSearch_data()
    {
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("14307") << "14307"
                               << "nvapi64.dll" << false;
        QTest::newRow("14308") << "14308"
                               << "nvapi64.dll" << true;
        QTest::newRow("22631") << "22631"
                               << "nvapi.dll" << true;
        QTest::newRow("name not beginning with nv") << "22631"
                                                    << "vkapi.dll" << false;
        QTest::newRow("upper-case NV") << "22631"
                                       << "NVAPI64.DLL" << true;
        QTest::newRow("not a number") << "2263x"
                                      << "nvapi64.dll" << false;
        QTest::newRow("empty") << ""
                               << "nvapi64.dll" << false;
    }
    void driverStoreSearch()
    {
        QFETCH(QString, build);
        QFETCH(QString, file);
        QFETCH(bool, allowed);
        QCOMPARE(DriverSearch::driverStoreSearchAllowed(build, file), allowed);
    }

    void libraryNameByProcess()
    {
        QCOMPARE(DriverSearch::libraryFileName(true), QStringLiteral("nvapi64.dll"));
        QCOMPARE(DriverSearch::libraryFileName(false), QStringLiteral("nvapi.dll"));
    }

    void rerooting_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("system32\\") << "system32\\DriverStore\\nv\\nvldumdx.dll"
                                    << "C:\\Windows\\System32\\DriverStore\\nv\\nvldumdx.dll";
        QTest::newRow("\\SystemRoot\\system32\\") << "\\SystemRoot\\System32\\DriverStore\\nv\\nvoglv64.dll"
                                                  << "C:\\Windows\\System32\\DriverStore\\nv\\nvoglv64.dll";
        QTest::newRow("absolute stays") << "D:\\Drivers\\nvldumdx.dll"
                                        << "D:\\Drivers\\nvldumdx.dll";
        QTest::newRow("system32 inside a path stays") << "D:\\x\\system32\\a.dll"
                                                      << "D:\\x\\system32\\a.dll";
    }
    void rerooting()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(DriverSearch::reroot(path, m_system), expected);
        QCOMPARE(DriverSearch::reroot(path, m_system + QStringLiteral("\\")), expected);
    }

    void classValuesOfA32BitProcessOn64BitWindows()
    {
        QCOMPARE(DriverSearch::classValueNames(false),
            QStringList({ "UserModeDriverName", "OpenGLDriverName", "UserModeDListDriverName",
                "DriverSupportModules" }));
        QCOMPARE(DriverSearch::classValueNames(true),
            QStringList({ "UserModeDriverNameWow", "OpenGLDriverNameWow", "UserModeDListDriverNameWow",
                "DriverSupportModulesWow" }));
    }

    // The driver store folder first, then the class values in their order, then the Khronos keys.
    void orderOfThePlacesConsulted()
    {
        const QString store
            = QStringLiteral("C:\\Windows\\System32\\DriverStore\\FileRepository\\nv_dispi.inf_amd64_1");
        const QMap<QString, QStringList> values {
            { QStringLiteral("OpenGLDriverName"),
                { QStringLiteral("system32\\DriverStore\\gl\\nvoglv64.dll") } },
            { QStringLiteral("UserModeDriverName"),
                { QStringLiteral("\\SystemRoot\\system32\\DriverStore\\um\\nvldumdx.dll"),
                    store + "\\nvldumdx.dll" } },
            { QStringLiteral("OpenGLDriverNameWow"), { QStringLiteral("C:\\Wow\\nvoglv32.dll") } },
        };
        const QStringList folders = DriverSearch::candidateFolders({ adapter(store, values) },
            { QStringLiteral("C:\\Vulkan\\nv-vk64.json") },
            { QStringLiteral("nvopencl64.dll"), "D:\\CL\\nvopencl64.dll" }, false, m_system);
        QCOMPARE(folders,
            QStringList({ store, "C:\\Windows\\System32\\DriverStore\\um",
                "C:\\Windows\\System32\\DriverStore\\gl", "C:\\Vulkan", "D:\\CL" }));
        // A 32-bit process on 64-bit Windows reads the "Wow" values instead.
        const QStringList wow
            = DriverSearch::candidateFolders({ adapter(QString(), values) }, {}, {}, true, m_system);
        QCOMPARE(wow, QStringList({ "C:\\Wow" }));
    }

    void choosesTheFirstFolderThatHasTheLibrary()
    {
        const QSet<QString> present { QStringLiteral("C:\\B\\nvapi64.dll"),
            QStringLiteral("C:\\C\\nvapi64.dll") };
        const auto exists = [&present](const QString &path) { return present.contains(path); };
        QCOMPARE(DriverSearch::choose({ "C:\\A", "C:\\B", "C:\\C" }, "nvapi64.dll", exists, m_system),
            QStringLiteral("C:\\B\\nvapi64.dll"));
    }

    // Nothing found, or nowhere to look: the system directory by full path, never a bare name.
    void nothingFoundIsTheSystemDirectory()
    {
        const auto none = [](const QString &) { return false; };
        QCOMPARE(DriverSearch::choose({ "C:\\A" }, "nvapi64.dll", none, m_system),
            QStringLiteral("C:\\Windows\\System32\\nvapi64.dll"));
        QCOMPARE(DriverSearch::choose({}, "nvapi.dll", nullptr, m_system + "\\"),
            QStringLiteral("C:\\Windows\\System32\\nvapi.dll"));
        // A relative folder is never a candidate, so the current directory is never searched.
        const auto everything = [](const QString &) { return true; };
        QCOMPARE(DriverSearch::choose({ "relative" }, "nvapi64.dll", everything, m_system),
            QStringLiteral("C:\\Windows\\System32\\nvapi64.dll"));
        QVERIFY(DriverSearch::candidateFolders(
            { adapter(QStringLiteral("FileRepository\\nv"), {}) }, { "nv-vk64.json" }, {}, false, m_system)
                    .isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDriverSearch)
#include "tst_driversearch.moc"
