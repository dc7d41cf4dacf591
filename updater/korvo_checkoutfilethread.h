#pragma once

#include "korvo_basethread.h"
#include "manifestfileinfo.h"

/// The checking worker: compares every manifest entry's installed file with its digest and collects the
/// entries that must be fetched. An entry whose paths fail the manifest checks fails the whole check.
class Korvo_CheckoutFileThread : public Korvo_BaseThread
{
    Q_OBJECT

public:
    /// programFolder: the folder the entries' paths are relative to.
    explicit Korvo_CheckoutFileThread(const QString &programFolder, QObject *parent = nullptr);
    ~Korvo_CheckoutFileThread() override;

    /// Refused while running; the total becomes the list's size.
    bool setFiles(const ManifestFileList &files);
    /// The entries the last check found out of date.
    ManifestFileList outOfDateFiles() const;

signals:
    void checkoutChanged(int completed);
    void checkoutResult(bool ok);

private:
    bool runBody() override;
    void reportResult(bool ok) override { emit checkoutResult(ok); }
    bool allPathsValid(const ManifestFileList &files) const;

    const QString m_programFolder;
    ManifestFileList m_files; ///< guarded by m_mutex
    ManifestFileList m_outOfDate; ///< guarded by m_mutex
    int m_total = 100; ///< guarded by m_mutex
    int m_completed = 0; ///< guarded by m_mutex
};
