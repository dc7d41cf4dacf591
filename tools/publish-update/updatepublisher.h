#pragma once

#include <QString>

/// Makes the server side of an update from a folder of program files: update_info.xml listing every
/// regular file of the folder (sub-folders become FileDir) with its MD5 digest, and one "<digest>.zip"
/// per distinct content whose member is named after the file. Everything is written to
/// outputRoot/update_packets/Lumetra2_UpdateFiles/, so outputRoot can be served as the server's document
/// root; ServerAdress is serverUrl followed by that folder.
class UpdatePublisher
{
public:
    struct Options
    {
        QString programFolder;
        QString outputRoot;
        QString version; ///< CurrentVersion, a dotted number such as "1.0.3.0"
        QString serverUrl; ///< the server's base URL, as the program's LUMETRA_UPDATE_SERVER would be
        QString manualDownloadVersion; ///< empty: no installation is too old to update itself
    };

    /// False, with error() set, on a bad option or a file that cannot be read or written. Symbolic links
    /// and other non-regular entries of the program folder are left out.
    bool publish(const Options &options);
    QString error() const { return m_error; }
    /// The folder publish() writes into, for an output root.
    static QString packetFolder(const QString &outputRoot);
    /// The lowercase hexadecimal MD5 digest of a file's content, empty when it cannot be read.
    static QString fileDigest(const QString &path);

private:
    bool fail(const QString &message);

    QString m_error;
};
