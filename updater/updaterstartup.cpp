#include "updaterstartup.h"

#include "installtransaction.h"
#include "korvo_instancelock.h"
#include "korvo_messagebox.h"
#include "korvoupdate.h"
#include "updatelayout.h"
#include "updatemanifest.h"
#include "updatercommandline.h"
#include "updatertexts.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>

UpdaterStartup::UpdaterStartup(const QStringList &arguments, const QString &programFolder)
    : m_arguments(arguments)
    , m_programFolder(programFolder)
{
}

QString UpdaterStartup::manifestPath() const
{
    return QDir(QDir(m_programFolder).filePath(QLatin1String(UpdateLayout::TempFolder)))
        .filePath(QLatin1String(UpdateLayout::ManifestName));
}

int UpdaterStartup::run()
{
    if (!QDir::setCurrent(m_programFolder))
        return 0;
    const UpdaterCommandLine line = UpdaterCommandLine::parse(m_arguments);
    if (!line.valid)
        return 0;
    const UpdaterTexts texts = UpdaterTexts::forLanguage(line.language);

    // Held while this run lives: a main program started meanwhile must not undo this run's install.
    QLockFile running(Korvo_InstanceLock::lockFilePath(QLatin1String(Korvo_InstanceLock::UpdaterId)));
    running.setStaleLockTime(0);
    running.tryLock(0);

    // A run that was killed while it replaced files left a journal: first the old version is made whole
    // again (or a finished install completed), then this run does the update afresh.
    InstallTransaction::recover(m_programFolder);

    UpdateManifest manifest;
    // A manifest that does not load is as good as none: there is nothing trustworthy to install from.
    if (!manifest.load(manifestPath())) {
        Korvo_MessageBox box(Korvo_MessageBox::OneButton, QString(), texts.noManifest);
        box.setFirstButtonText(texts.confirm);
        box.exec();
        return 0;
    }
    KorvoUpdate window(texts, m_programFolder);
    window.startChecking(manifest);
    window.show();
    return QApplication::exec();
}
