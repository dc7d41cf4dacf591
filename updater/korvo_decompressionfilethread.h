#pragma once

#include "korvo_basethread.h"
#include "manifestfileinfo.h"

/// The extracting worker: installs the downloaded archives' members over the installed files, all or
/// nothing (InstallTransaction), once the main program has ended. The updater's own file is left to the
/// main program, which installs it after the restart.
class Korvo_DecompressionFileThread : public Korvo_BaseThread
{
    Q_OBJECT

public:
    /// How long the install waits for the main program to end; its running files cannot be replaced.
    static constexpr int MainProgramWaitMs = 30000;

    explicit Korvo_DecompressionFileThread(const QString &programFolder, QObject *parent = nullptr);
    ~Korvo_DecompressionFileThread() override;

    /// Refused while running; the total becomes the list's size.
    bool setFiles(const ManifestFileList &files);
    /// The single-instance id whose lock must be free before files are replaced, and the wait's bound.
    void setMainProgramLock(const QString &applicationId, int waitMs);
    /// Test seam: the lock id every worker made from now on waits for (empty: the main program's own), so
    /// that a test's updater never waits for a Lumetra2 the user runs.
    static void setDefaultMainProgramLock(const QString &applicationId);

signals:
    void decompressionChanged(int completed);
    void decompressionResult(bool ok);

private:
    bool runBody() override;
    void reportResult(bool ok) override { emit decompressionResult(ok); }
    bool install(const ManifestFileList &files, int total);
    bool waitForMainProgram();

    const QString m_programFolder;
    ManifestFileList m_files; ///< guarded by m_mutex
    int m_total = 100; ///< guarded by m_mutex
    int m_completed = 0; ///< guarded by m_mutex
    QString m_lockId; ///< guarded by m_mutex
    int m_lockWaitMs = MainProgramWaitMs; ///< guarded by m_mutex
};
