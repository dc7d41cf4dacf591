#pragma once

#include "simcardconfig.h"

#include "nvapitypes.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <vector>

class QFile;
class QXmlStreamReader;
class QXmlStreamAttributes;

/// Reads a card file: the XML description of the simulated cards (format in
/// README.md). Unknown elements or attributes and values that are not
/// numbers are errors, so that a typing mistake does not pass unnoticed.
class SimCardFile
{
public:
    struct Contents
    {
        std::vector<SimCardConfig> cards;
        std::optional<NvU32> driverVersion;
        std::optional<std::string> branch;
    };

    /// The whole numbers an attribute may take, both ends included.
    struct Range
    {
        qlonglong min;
        qlonglong max;
    };

    /// False with a message naming the line on a broken file.
    static bool parse(const QByteArray &xml, Contents &contents, QString &error);
    /// Reads only a regular file of at most a few megabytes; false with a
    /// message naming the file otherwise.
    static bool load(const QString &path, Contents &contents, QString &error);

private:
    explicit SimCardFile(QXmlStreamReader &reader);

    static bool readFile(const QString &path, QByteArray &bytes, QString &error);
    static bool openRegularFile(const QString &path, QFile &file, qint64 &size, QString &error);

    bool readRoot(Contents &contents);
    bool readCard(SimCardConfig &card);
    bool readCardChild(SimCardConfig &card);
    bool readIdentity(SimCardConfig &card);
    bool readMemory(SimCardConfig &card);
    bool readClocks(SimCardConfig &card);
    bool readOffsets(SimCardConfig &card);
    bool readVoltage(SimCardConfig &card);
    bool readPower(SimCardConfig &card);
    bool readThermal(SimCardConfig &card);
    bool readFan(SimCardConfig &card);
    bool readLed(SimCardConfig &card);
    bool readLcd(SimCardConfig &card);
    bool readSensors(SimCardConfig &card);
    bool skipEmptyElement();

    bool checkAttributes(const QStringList &known);
    bool readText(const char *name, std::string &value);
    bool readNumber(const char *name, qlonglong &value, const Range &range);
    bool readUnsigned(const char *name, NvU32 &value);
    bool readUnsigned8(const char *name, NvU8 &value);
    bool readInt(const char *name, int &value, const Range &range);
    bool readDouble(const char *name, double &value, double minimum, double maximum);
    bool readBool(const char *name, bool &value);
    bool fail(const QString &message);

    QXmlStreamReader &m_reader;
    QString m_error;
};
