#include "updatepublisher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

/// publish-update --version 1.0.3.0 --server https://update.example PROGRAM_FOLDER OUTPUT_ROOT
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes update_info.xml and one <md5>.zip per file of PROGRAM_FOLDER into "
        "OUTPUT_ROOT/update_packets/Lumetra2_UpdateFiles/; serve OUTPUT_ROOT as the update server's root."));
    parser.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"),
        QStringLiteral("The new version (CurrentVersion)."), QStringLiteral("version"));
    const QCommandLineOption server(QStringLiteral("server"),
        QStringLiteral("The update server's base URL the archives are fetched from."), QStringLiteral("url"));
    const QCommandLineOption manual(QStringLiteral("manual-download-version"),
        QStringLiteral("Versions below this one must install by hand (ManualDownloadVersion)."),
        QStringLiteral("version"));
    parser.addOption(version);
    parser.addOption(server);
    parser.addOption(manual);
    parser.addPositionalArgument(
        QStringLiteral("PROGRAM_FOLDER"), QStringLiteral("The files of the new version."));
    parser.addPositionalArgument(
        QStringLiteral("OUTPUT_ROOT"), QStringLiteral("The server's document root."));
    parser.process(app);

    QTextStream err(stderr);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2 || !parser.isSet(version) || !parser.isSet(server)) {
        err << parser.helpText();
        return 2;
    }
    UpdatePublisher publisher;
    const UpdatePublisher::Options options { positional.at(0), positional.at(1), parser.value(version),
        parser.value(server), parser.value(manual) };
    if (!publisher.publish(options)) {
        err << "publish-update: " << publisher.error() << '\n';
        return 1;
    }
    QTextStream(stdout) << UpdatePublisher::packetFolder(positional.at(1)) << '\n';
    return 0;
}
