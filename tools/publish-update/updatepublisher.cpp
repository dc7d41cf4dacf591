#include "updatepublisher.h"

#include "filedigest.h"
#include "manifestpaths.h"
#include "updatelayout.h"
#include "versionorder.h"

#include <JlCompress.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace {

struct PublishedFile
{
    QString path;
    QString dir; ///< relative to the program folder, empty or ending with "/"
    QString name;
    QString digest;
};

} // namespace

QString UpdatePublisher::packetFolder(const QString &outputRoot)
{
    return QDir(outputRoot).filePath(QLatin1String(UpdateLayout::ServerFolder));
}

QString UpdatePublisher::fileDigest(const QString &path)
{
    // The updater's own digest function: what the release states is what the updater checks.
    return FileDigest::md5Hex(path);
}

bool UpdatePublisher::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool UpdatePublisher::publish(const Options &options)
{
    m_error.clear();
    if (!VersionOrder::isVersion(options.version))
        return fail(QStringLiteral("the version must be dotted numbers such as 1.0.3.0: \"%1\"")
                        .arg(options.version));
    if (!options.manualDownloadVersion.isEmpty() && !VersionOrder::isVersion(options.manualDownloadVersion))
        return fail(QStringLiteral("the manual download version must be dotted numbers"));
    const QDir program(options.programFolder);
    if (options.programFolder.isEmpty() || !program.exists())
        return fail(QStringLiteral("no program folder \"%1\"").arg(options.programFolder));
    if (options.serverUrl.isEmpty())
        return fail(QStringLiteral("no server URL"));

    QList<PublishedFile> files;
    QDirIterator it(
        program.path(), QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QString dir = program.relativeFilePath(info.path());
        dir = dir == QLatin1String(".") ? QString() : dir + QLatin1Char('/');
        PublishedFile file { path, dir, info.fileName(), fileDigest(path) };
        if (file.digest.isEmpty())
            return fail(QStringLiteral("cannot read \"%1\"").arg(path));
        if (!ManifestPaths::isPlainFileName(file.name) || !ManifestPaths::isRelativeDir(file.dir))
            return fail(QStringLiteral("\"%1\" has a name the updater refuses").arg(path));
        files.append(file);
    }
    if (files.isEmpty())
        return fail(QStringLiteral("the program folder has no files"));
    // Directory order differs between machines; a sorted manifest makes two runs comparable.
    std::sort(files.begin(), files.end(),
        [](const PublishedFile &a, const PublishedFile &b) { return a.dir + a.name < b.dir + b.name; });

    const QString packets = packetFolder(options.outputRoot);
    if (!QDir().mkpath(packets))
        return fail(QStringLiteral("cannot make \"%1\"").arg(packets));

    // One archive per content; identical files under different names share it as further members.
    QMap<QString, QMap<QString, QString>> membersByDigest; // digest -> member name -> source path
    for (const PublishedFile &file : files)
        membersByDigest[file.digest].insert(file.name, file.path);
    for (auto group = membersByDigest.cbegin(); group != membersByDigest.cend(); ++group) {
        const QString zip = QDir(packets).filePath(group.key() + QStringLiteral(".zip"));
        QFile::remove(zip);
        if (!JlCompress::compressFiles(zip, group.value().values()))
            return fail(QStringLiteral("cannot write \"%1\"").arg(zip));
    }

    QSaveFile manifest(QDir(packets).filePath(QLatin1String(UpdateLayout::ManifestName)));
    if (!manifest.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write the manifest: %1").arg(manifest.errorString()));
    QString server = options.serverUrl;
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    QXmlStreamWriter xml(&manifest);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("Update"));
    xml.writeEmptyElement(QStringLiteral("ServerAdress"));
    xml.writeAttribute(
        QStringLiteral("Value"), server + QLatin1Char('/') + QLatin1String(UpdateLayout::ServerFolder));
    xml.writeEmptyElement(QStringLiteral("CurrentVersion"));
    xml.writeAttribute(QStringLiteral("Value"), options.version);
    xml.writeEmptyElement(QStringLiteral("ManualDownloadVersion"));
    xml.writeAttribute(QStringLiteral("Value"), options.manualDownloadVersion);
    xml.writeStartElement(QStringLiteral("FileInfos"));
    for (const PublishedFile &file : files) {
        xml.writeEmptyElement(QStringLiteral("FileInfo"));
        xml.writeAttribute(QStringLiteral("FileName"), file.name);
        xml.writeAttribute(QStringLiteral("FileDir"), file.dir);
        xml.writeAttribute(QStringLiteral("FileVersion"), file.digest);
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    if (xml.hasError() || !manifest.commit())
        return fail(QStringLiteral("cannot write the manifest"));
    return true;
}
