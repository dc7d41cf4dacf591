#pragma once

#include <QString>

class Korvo_SingleApplication;
class Lumetra2;

/// The start of the main program, from the single-instance check to the end of the event loop, in the order
/// the rest of the program relies on: the program folder is the current directory before anything reads
/// config.xml, and the start date is saved before the window reads the file again.
class Lumetra2Startup
{
public:
    static const char *const ApplicationId;
    static const char *const ShowMessage;
    static constexpr int ShowTimeoutMs = 5000;

    explicit Lumetra2Startup(Korvo_SingleApplication &application);

    /// The folder made current; the program file's folder unless a test names another.
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    QString programFolder() const;

    /// 0 when the program stops before its event loop, else the loop's result.
    int run();

    /// The window while the event loop runs; null before and after.
    static Lumetra2 *mainWindow();

private:
    Korvo_SingleApplication &m_application;
    QString m_programFolder;
};
