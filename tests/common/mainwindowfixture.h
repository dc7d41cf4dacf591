#pragma once

#include "settingsrecords.h"
#include "simcardconfig.h"

#include <QTemporaryDir>

#include <functional>
#include <memory>

class ConfigStore;
class InProcessDriver;
class Korvo_MessageBox;
class Lumetra2;

/// What every test of the main window stands on: a program folder of its own as the current folder, the
/// autostart and runtime folders inside it (never the user's), the simulated driver in-process unless the
/// test brings its own, and every message box answered by the test. Make one in init() and drop it in
/// cleanup(): it turns the application loop once (the window quits the application on exit, and outside a
/// running loop that would make every later dialog return at once), stops answering boxes and leaves.
class MainWindowFixture
{
public:
    using Answer = std::function<void(Korvo_MessageBox *)>;
    enum class Driver { InProcess, Own };

    explicit MainWindowFixture(Answer answer = clickYes(), Driver driver = Driver::InProcess);
    ~MainWindowFixture();

    MainWindowFixture(const MainWindowFixture &) = delete;
    MainWindowFixture &operator=(const MainWindowFixture &) = delete;

    bool isValid() const;
    /// Unloads the in-process driver and loads a fresh one, as after a restart of the machine.
    void restartDriver();
    QString filePath(const QString &name) const;

    /// A simulated card by name and subsystem id, with or without its lighting controller and LCD.
    static SimCardConfig card(const std::string &name, NvU32 subsystemId, bool led, bool lcd);
    /// Presses the box's Yes (or only) button.
    static Answer clickYes();
    /// The general settings of a test: start at log-on off (a test must not write an autostart entry).
    static GeneralSettingRecord general(const QString &language = QStringLiteral("lang_ch"));
    /// Writes config.xml in the current folder, as the store dated 2 January 2020 leaves it, after fill.
    static bool seedConfig(const std::function<void(ConfigStore &)> &fill);
    /// The same with the general settings alone.
    static bool seedConfig(const GeneralSettingRecord &general);
    /// Turns the loop until every card's pages are built and its start-up commands have run (the window
    /// builds the other cards and starts them on its loop's first turns, with their pauses as timers);
    /// false after the timeout.
    static bool waitForCardStartUp(const Lumetra2 &window, int timeoutMs = 10000);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<InProcessDriver> m_driver;
    bool m_ready = false;
};
