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

    /// Before the application object exists: the program draws nothing with OpenGL, so unless the
    /// environment asks for a GL integration, none is loaded. On X11 the default one maps a software
    /// OpenGL library of some 40 MB into every process that shows a window.
    static void chooseGraphicsIntegration();

    /// The folder made current, where config.xml, temp/ and updateLog/ live: the program file's folder, or
    /// the user's settings folder for a package-managed program (see ProgramFolders), unless a test names
    /// another.
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
