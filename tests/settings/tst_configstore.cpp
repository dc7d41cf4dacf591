#include "configfilelimits.h"
#include "configstore.h"
#include "nodestext.h"
#include "xmltreewriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QDate Today(2026, 12, 7);
const char *const SaveOnceVariable = "LUMETRA_TEST_SAVE_ONCE";

QDate fixedToday()
{
    return Today;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray wrap(const QByteArray &body)
{
    return "<KorvoParameter>" + body + "</KorvoParameter>";
}

// A root holding a chain of elements, levels deep in all counting the root.
QByteArray nested(int levels)
{
    return wrap(QByteArray("<a>").repeated(levels - 1) + QByteArray("</a>").repeated(levels - 1));
}

const QByteArray DefaultTail = "    <LastCloseDate>2026/12/07</LastCloseDate>\n"
                               "    <LastStartDate>2026/12/07</LastStartDate>\n"
                               "    <LastCheckDate>2026/12/07</LastCheckDate>\n"
                               "    <LastUpdateDate>2026/12/07</LastUpdateDate>\n"
                               "    <OtherSetting NotPromptHPS=\"0\"/>\n"
                               "</KorvoParameter>\n";

const QByteArray DefaultHead
    = "<KorvoParameter>\n"
      "    <GeneralSetting StartOnBoot=\"1\" MinimizeOnStart=\"0\" ApplyLastParamOnStart=\"1\" "
      "Language=\"lang_ch\" "
      "RefreshTimeOfMonitor=\"1\" PageEffects=\"normal\"/>\n"
      "    <UpdateSetting CheckInterval=\"7\" UpdateMode=\"0\" UpdateStatus=\"1\"/>\n";

// Input with many attributes unknown to the store, so that a hash-ordered
// writer would show a different order under another hash seed.
const QByteArray ManyAttributes
    = wrap("<GeneralSetting zeta='1' alpha='2' Mid='3' StartOnBoot='0' beta='4' gamma='5'/>"
           "<GpuSettings><GPU GpuName='A' SubSystemId='1' x1='a' x2='b' x3='c'>"
           "<LedModule q='1' r='2' s='3'/></GPU></GpuSettings>");

int saveOnce(const QString &path)
{
    ConfigStore store(path, fixedToday);
    if (!store.load())
        return 1;
    store.setSelectOption(QStringLiteral("B"), 2, 5);
    return store.save() ? 0 : 2;
}

} // namespace

class TestConfigStore : public QObject
{
    Q_OBJECT

private slots:
    void init();

    // The written file
    void firstStartWritesDefaults();
    void writtenFileLayout();
    void sameBytesUnderEveryHashSeed();
    void declarationKeptWithUtf8();
    void anyDeclaredEncodingReadsBack_data();
    void anyDeclaredEncodingReadsBack();
    void ledOfFileCardReadsBack_data();
    void ledOfFileCardReadsBack();
    void foreignContentStableOverSaves();

    // Reading and writing values
    void roundTripEveryRecord();
    void readersAnswerFalseAndLeaveOutput();
    void newCardGetsInitialRecords();
    void sameNameCardsAnsweredById();
    void ensureCardAddsOnlyUnknownCards();
    void ensureCardSavesAsTheCloseLoopDid();
    void datesFromTheStoreClock();
    void nodesText_data();
    void nodesText();
    void missingAttributeVersusMissingElement();
    void unknownFirstChildOfGpu();
    void commentStopsGpuSettings();
    void unknownContentSurvivesSave();
    void duplicateModulesDroppedOnSave();
    void malformedDateWrittenEmpty();
    void dateReplacesAllItsText();
    void duplicateSectionsReadTwice();
    void datesInAsciiDigitsUnderAnyLocale();

    // Damaged, foreign and unwritable files
    void brokenFileKeptAsBad();
    void brokenFileStaysWhenItCannotBeKept();
    void deepFileTreatedAsBroken_data();
    void deepFileTreatedAsBroken();
    void deepestAllowedFileKeptAndSavedSmall();
    void oversizedFileMovedAside();
    void writerOutputLinearInDepth();
    void saveNeverWritesPastTheBound();
    void foreignRootNeverWrittenOver();
    void unreadableFileNotReplaced();
    void interruptedSaveKeepsOldFile_data();
    void interruptedSaveKeepsOldFile();
    void saveIntoMissingFolderFails();

    // Hostile files in the program folder
    void linksAreNeverWrittenThrough();
    void fifoAsTheFileDoesNotHang();
    void interruptedSaveLeftoversRemovedAtLoad();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("config.xml")); }
    void loadText(ConfigStore &store, const QByteArray &text);

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestConfigStore::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestConfigStore::loadText(ConfigStore &store, const QByteArray &text)
{
    writeBytes(path(), text);
    QVERIFY(store.load());
}

void TestConfigStore::firstStartWritesDefaults()
{
    ConfigStore store(path(), fixedToday);
    QVERIFY(store.load());
    QVERIFY(store.isLoaded());
    QCOMPARE(readBytes(path()), DefaultHead + "    <GpuSettings/>\n" + DefaultTail);

    GeneralSettingRecord general;
    general.Language.clear();
    QVERIFY(store.getGeneralSetting(general));
    QCOMPARE(general, GeneralSettingRecord());
    QDate checked;
    QVERIFY(store.getLastCheckDate(checked));
    QCOMPARE(checked, Today);
    QVERIFY(store.cards().isEmpty());
}

void TestConfigStore::writtenFileLayout()
{
    ConfigStore store(path(), fixedToday);
    QVERIFY(store.load());
    LedRecord led;
    led.Color2 = 0xFF102030u;
    store.setLedRecord(QStringLiteral("GeForce GTX 1070 Ti"), 0x1234u, led);
    store.setNotPromptHPS(true);
    QVERIFY(store.save());

    const QByteArray gpu
        = "    <GpuSettings>\n"
          "        <GPU GpuName=\"GeForce GTX 1070 Ti\" SubSystemId=\"4660\">\n"
          "            <MonitorModule SelectOption=\"0\"/>\n"
          "            <AdjustModule GpuFreClock=\"-1\" FanSpeedLevel=\"-1\" Voltage=\"-1\" "
          "MemoryFreClock=\"-1\" "
          "Power=\"-1\" Temperature=\"-1\" LinkOfPowerWithTemperature=\"0\" FanMode=\"0\" "
          "EnableHighPerformance=\"0\" Nodes=\"\"/>\n"
          "            <LedModule Interval=\"2\" LedMode=\"1\" CheckedColorButtonStatic=\"1\" "
          "CheckedColorButtonDynamic=\"0\" Color1=\"16777215\" Color2=\"4279246896\" Color3=\"16777215\" "
          "Color4=\"16777215\" Color5=\"16777215\" Color6=\"16777215\" Color7=\"16777215\"/>\n"
          "            <LcdModule AutoSwitch=\"1\" SwitchTime=\"10\" ModifierKey=\"17\" NormalKey=\"49\" "
          "EnableLcd=\"1\"/>\n"
          "        </GPU>\n"
          "    </GpuSettings>\n";
    QByteArray tail = DefaultTail;
    tail.replace("NotPromptHPS=\"0\"", "NotPromptHPS=\"1\"");
    QCOMPARE(readBytes(path()), DefaultHead + gpu + tail);
}

void TestConfigStore::sameBytesUnderEveryHashSeed()
{
    QList<QByteArray> outputs;
    for (const QString &seed : { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("12345") }) {
        const QString file = m_dir->filePath(QStringLiteral("seed%1.xml").arg(seed));
        writeBytes(file, ManyAttributes);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_HASH_SEED"), seed);
        env.insert(QString::fromLatin1(SaveOnceVariable), file);
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        outputs.append(readBytes(file));
    }
    QCOMPARE(outputs.at(1), outputs.at(0));
    QCOMPARE(outputs.at(2), outputs.at(0));
    QVERIFY(
        outputs.at(0).contains("<GeneralSetting StartOnBoot=\"0\" MinimizeOnStart=\"0\" "
                               "ApplyLastParamOnStart=\"0\" Language=\"\" RefreshTimeOfMonitor=\"0\" "
                               "PageEffects=\"\" Mid=\"3\" alpha=\"2\" beta=\"4\" gamma=\"5\" zeta=\"1\"/>"));
    QVERIFY(outputs.at(0).contains("<GPU GpuName=\"A\" SubSystemId=\"1\" x1=\"a\" x2=\"b\" x3=\"c\">"));
    QVERIFY(outputs.at(0).contains("Color7=\"0\" q=\"1\" r=\"2\" s=\"3\"/>"));
}

void TestConfigStore::declarationKeptWithUtf8()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
            + wrap("<GpuSettings><GPU GpuName='Karte \xE4' SubSystemId='3'/></GpuSettings>"));
    QVERIFY(store.save());
    const QByteArray written = readBytes(path());
    QVERIFY(written.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<KorvoParameter>\n"));
    QVERIFY(written.contains("GpuName=\"Karte \xC3\xA4\""));

    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    quint32 select = 99;
    QVERIFY(again.getSelectOption(QStringLiteral("Karte \u00E4"), 3, select));
    QCOMPARE(select, 0u);
}

void TestConfigStore::anyDeclaredEncodingReadsBack_data()
{
    QTest::addColumn<QByteArray>("declaration");
    for (const char *d :
        { "<?xml version='1.0' encoding='ISO-8859-1'?>", "<?xml version='1.0' encoding='windows-1252'?>",
            "<?xml version='1.0' encoding='latin1'?>", "<?xml version='1.0' encoding='UTF-16'?>",
            "<?xml version='1.0' encoding='foo'?>", "<?xml version='1.0' encoding='Shift_JIS'?>",
            "<?xml version='1.0' encoding='KOI8-R'?>", "<?xml version='1.0' encoding='US-ASCII'?>",
            "<?xml version='1.0' encoding=''?>", "<?xml version='1.0' encoding='UTF-8'?>",
            "<?xml version='1.0' encoding='utf8'?>", "<?xml  encoding='ISO-8859-1' version='1.0'?>",
            "<?xml version='1.0'   encoding = \"ISO-8859-1\" ?>",
            "<?xml version='1.1' encoding='ISO-8859-1'?>",
            "\xEF\xBB\xBF<?xml version='1.0' encoding='ISO-8859-1'?>",
            "<?xml version='1.0' encoding='IBM037'?>", "<?xml version='1.0' encoding='UTF-32'?>",
            "<?xml version='1.0' encoding='ISO-2022-JP'?>", "<?xml version='1.0' encoding='IBM850'?>",
            "<?xml version='1.0' encoding='UTF-7'?>", "<?xml version='1.0' encoding='Big5'?>",
            "<?xml version='1.0' encoding='GB18030'?>", "<?xml version='1.0' encoding='UTF-16LE'?>",
            "<?xml version='1.0' encoding='ISO-8859-1' standalone='yes'?>",
            "<?xml version='1.0' encoding='ISO-8859-1'?><?xml-stylesheet href='a'?>",
            "<?XML version='1.0' encoding='ISO-8859-1'?>", "<?Xml version='1.0' encoding='ISO-8859-1'?>",
            "<?xml\tversion='1.0' encoding='ISO-8859-1'?>", "<?xml version='1.0' encoding='ISO-8859-1'\n?>",
            "<?xml version='1.0'?>", "" })
        QTest::newRow(d) << QByteArray(d);
}

void TestConfigStore::anyDeclaredEncodingReadsBack()
{
    QFETCH(QByteArray, declaration);
    ConfigStore store(path(), fixedToday);
    writeBytes(path(),
        declaration + "\n"
            + wrap("<GpuSettings><GPU GpuName='K \xE4\xC3\xA4\x8F\xFF' SubSystemId='3'/></GpuSettings>"));
    // Either the file is taken, or it is broken and kept aside; never a name that changes over a save.
    QVERIFY(store.load());
    if (store.cards().isEmpty()) {
        QVERIFY(QFile::exists(store.brokenFileName()));
        return;
    }
    const QString name = store.cards().first().GpuName;
    QVERIFY(store.save());
    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    QCOMPARE(again.cards().size(), 1);
    QCOMPARE(again.cards().first().GpuName, name);
}

void TestConfigStore::ledOfFileCardReadsBack_data()
{
    QTest::addColumn<QByteArray>("gpus");
    QTest::addColumn<QString>("name");
    QTest::newRow("no name") << QByteArray("<GPU SubSystemId='3'/>") << QString();
    QTest::newRow("no name, module") << QByteArray("<GPU SubSystemId='3'><LedModule LedMode='2'/></GPU>")
                                     << QString();
    QTest::newRow("dropped char first")
        << QByteArray("<GPU GpuName='A&#xFFFE;' SubSystemId='3'/><GPU GpuName='A' SubSystemId='3'/>")
        << QStringLiteral("A");
    QTest::newRow("dropped char second")
        << QByteArray("<GPU GpuName='A' SubSystemId='3'/><GPU GpuName='A&#xFFFE;' SubSystemId='3'/>")
        << QStringLiteral("A");
    QTest::newRow("control char") << QByteArray(
        "<GPU GpuName='A&#1;' SubSystemId='3'/><GPU GpuName='A' SubSystemId='3'/>")
                                  << QStringLiteral("A");
    QTest::newRow("raw FFFE first") << QByteArray(
        "<GPU GpuName='A\xEF\xBF\xBE' SubSystemId='3'/><GPU GpuName='A' SubSystemId='3'/>")
                                    << QStringLiteral("A");
    QTest::newRow("raw 01 first") << QByteArray(
        "<GPU GpuName='A\x01' SubSystemId='3'/><GPU GpuName='A' SubSystemId='3'/>")
                                  << QStringLiteral("A");
    QTest::newRow("raw FFFF first") << QByteArray(
        "<GPU GpuName='A\xEF\xBF\xBF' SubSystemId='3'/><GPU GpuName='A' SubSystemId='3'/>")
                                    << QStringLiteral("A");
    QTest::newRow("lone surrogate first")
        << QByteArray("<GPU GpuName='A\xED\xA0\x80' SubSystemId='3'/><GPU GpuName='A' SubSystemId='3'/>")
        << QStringLiteral("A");
}

void TestConfigStore::ledOfFileCardReadsBack()
{
    QFETCH(QByteArray, gpus);
    QFETCH(QString, name);
    ConfigStore store(path(), fixedToday);
    writeBytes(path(), wrap("<GpuSettings>" + gpus + "</GpuSettings>"));
    QVERIFY(store.load());
    LedRecord led;
    led.Color1 = 0x123456;
    led.LedMode = 3;
    store.setLedRecord(name, 3, led);
    QVERIFY(store.save());
    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    LedRecord back;
    QVERIFY(again.getLedRecord(name, 3, back));
    QCOMPARE(back.Color1, led.Color1);
    QCOMPARE(back.LedMode, led.LedMode);
}

void TestConfigStore::foreignContentStableOverSaves()
{
    const QByteArray odd
        = "<!DOCTYPE KorvoParameter SYSTEM \"k.dtd\" [<!ENTITY who \"me\">]>\n<!-- before -->\n"
          "<?app run?>\n"
        + wrap("<Note q='a&quot;b&#10;c&#9;d &amp; &lt;'>mixed <b>bold</b> &amp; &gt; &who; tail</Note>"
               "<Raw><![CDATA[x < y ]]></Raw><GpuSettings><GPU GpuName='A&amp;B' "
               "SubSystemId='1'/></GpuSettings>");
    ConfigStore store(path(), fixedToday);
    loadText(store, odd);
    QVERIFY(store.save());
    const QByteArray once = readBytes(path());
    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    QVERIFY(again.save());
    QCOMPARE(readBytes(path()), once);

    QDomDocument document;
    QVERIFY(document.setContent(once));
    const QDomElement note = document.documentElement().firstChildElement(QStringLiteral("Note"));
    QCOMPARE(note.attribute(QStringLiteral("q")), QStringLiteral("a\"b\nc\td & <"));
    QCOMPARE(note.text(), QStringLiteral("mixed bold & > me tail"));
    QCOMPARE(
        document.documentElement().firstChildElement(QStringLiteral("Raw")).text(), QStringLiteral("x < y "));
    // QDom expands the entity while parsing and forgets the internal subset.
    QVERIFY(once.startsWith("<!DOCTYPE KorvoParameter SYSTEM \"k.dtd\">\n<!-- before -->\n<?app run?>\n"));
    quint32 select = 1;
    QVERIFY(again.getSelectOption(QStringLiteral("A&B"), 1, select));
    QCOMPARE(select, 0u);
}

void TestConfigStore::roundTripEveryRecord()
{
    GeneralSettingRecord general { false, true, false, QStringLiteral("lang_en"), 10,
        QStringLiteral("advanced") };
    UpdateSettingRecord update { 30, 2, 5 };
    AdjustRecord adjust { 100, 55, 900, -300, 110, 83, true, 2, { { 0, 0 }, { 40, 30 }, { 100, 100 } },
        true };
    LedRecord led { 4, 0x41, 0x7F, 16, 1, 2, 0xFFFFFFFFu, 0x80FF0000u, 5, 6, 0 };
    LcdRecord lcd { false, 30, 18, 65, false };
    {
        ConfigStore store(path(), fixedToday);
        QVERIFY(store.load());
        store.setGeneralSetting(general);
        store.setUpdateSetting(update);
        store.setAdjustRecord(QStringLiteral("Card"), 0xFFFFFFFFu, adjust);
        store.setLedRecord(QStringLiteral("Card"), 0xFFFFFFFFu, led);
        store.setLcdRecord(QStringLiteral("Card"), 0xFFFFFFFFu, lcd);
        store.setSelectOption(QStringLiteral("Card"), 0xFFFFFFFFu, 0x3Fu);
        store.setSelectOption(QStringLiteral("card"), 0xFFFFFFFFu, 7);
        store.setLastCheckDate(QDate(2025, 2, 28));
        store.setNotPromptHPS(true);
        QVERIFY(store.save());
    }
    ConfigStore store(path(), fixedToday);
    QVERIFY(store.load());
    GeneralSettingRecord readGeneral;
    UpdateSettingRecord readUpdate;
    AdjustRecord readAdjust;
    LedRecord readLed;
    LcdRecord readLcd;
    quint32 select = 0;
    QDate checked;
    bool notPrompt = false;
    QVERIFY(store.getGeneralSetting(readGeneral) && store.getUpdateSetting(readUpdate));
    QVERIFY(store.getAdjustRecord(QStringLiteral("Card"), 0xFFFFFFFFu, readAdjust));
    QVERIFY(store.getLedRecord(QStringLiteral("Card"), 0xFFFFFFFFu, readLed));
    QVERIFY(store.getLcdRecord(QStringLiteral("Card"), 0xFFFFFFFFu, readLcd));
    QVERIFY(store.getSelectOption(QStringLiteral("Card"), 0xFFFFFFFFu, select));
    QVERIFY(store.getLastCheckDate(checked) && store.getNotPromptHPS(notPrompt));
    QCOMPARE(readGeneral, general);
    QCOMPARE(readUpdate, update);
    QCOMPARE(readAdjust, adjust);
    QCOMPARE(readLed, led);
    QCOMPARE(readLcd, lcd);
    QCOMPARE(select, 0x3Fu);
    QCOMPARE(checked, QDate(2025, 2, 28));
    QVERIFY(notPrompt);
    // The name is compared case-sensitively: "card" is a card of its own.
    QVERIFY(store.getSelectOption(QStringLiteral("card"), 0xFFFFFFFFu, select));
    QCOMPARE(select, 7u);
    QCOMPARE(store.cards().size(), 2);
}

void TestConfigStore::readersAnswerFalseAndLeaveOutput()
{
    ConfigStore store(path(), fixedToday);
    store.setLcdRecord(QStringLiteral("Card"), 1, LcdRecord { false, 1, 2, 3, false });
    GeneralSettingRecord general;
    general.RefreshTimeOfMonitor = 42;
    LcdRecord lcd;
    QDate date(2001, 1, 1);
    bool flag = true;
    // Not loaded: even a card just stored in memory is not answered.
    QVERIFY(!store.getGeneralSetting(general));
    QVERIFY(!store.getLcdRecord(QStringLiteral("Card"), 1, lcd));
    QVERIFY(!store.getLastCheckDate(date));
    QVERIFY(!store.getNotPromptHPS(flag));
    QCOMPARE(general.RefreshTimeOfMonitor, 42);
    QCOMPARE(lcd, LcdRecord());
    QCOMPARE(date, QDate(2001, 1, 1));
    QVERIFY(flag);

    QVERIFY(store.load());
    AdjustRecord adjust;
    adjust.Power = 77;
    QVERIFY(!store.getAdjustRecord(QStringLiteral("Card"), 1, adjust));
    QCOMPARE(adjust.Power, 77);
}

void TestConfigStore::newCardGetsInitialRecords()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<GpuSettings><GPU GpuName='Old' SubSystemId='1'><MonitorModule SelectOption='9'/>"
             "</GPU></GpuSettings>"));
    AdjustRecord adjust;
    adjust.Nodes = { { 10, 20 } };
    store.setAdjustRecord(QStringLiteral("Old"), 2, adjust);
    QCOMPARE(store.cards().size(), 2);
    QCOMPARE(store.cards().at(1).GpuName, QStringLiteral("Old"));
    QCOMPARE(store.cards().at(1).SubSystemId, 2u);
    QCOMPARE(store.cards().at(1).adjust, adjust);
    QCOMPARE(store.cards().at(1).led, LedRecord());
    QCOMPARE(store.cards().at(1).lcd, LcdRecord());
    QCOMPARE(store.cards().at(1).SelectOption, 0u);
    QCOMPARE(store.cards().at(0).SelectOption, 9u);
}

void TestConfigStore::sameNameCardsAnsweredById()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<GpuSettings>"
             "<GPU GpuName='Twin' SubSystemId='10'><MonitorModule SelectOption='3'/>"
             "<AdjustModule Power='110' Nodes='20,30|'/><LedModule LedMode='4' Color1='7'/>"
             "<LcdModule SwitchTime='15' EnableLcd='1'/></GPU>"
             "<GPU GpuName='Twin' SubSystemId='20'><MonitorModule SelectOption='12'/>"
             "<AdjustModule Power='90' Nodes='40,50|'/><LedModule LedMode='2' Color1='9'/>"
             "<LcdModule SwitchTime='25' EnableLcd='0'/></GPU>"
             "</GpuSettings>"));
    const QString name = QStringLiteral("Twin");
    struct Expected
    {
        quint32 id;
        quint32 select;
        qint32 power;
        QList<QPoint> nodes;
        qint32 ledMode;
        quint32 color1;
        quint32 switchTime;
        bool enableLcd;
    };
    const Expected cards[]
        = { { 20, 12, 90, { { 40, 50 } }, 2, 9, 25, false }, { 10, 3, 110, { { 20, 30 } }, 4, 7, 15, true } };
    for (const Expected &card : cards) {
        quint32 select = 0;
        AdjustRecord adjust;
        LedRecord led;
        LcdRecord lcd;
        QVERIFY(store.getSelectOption(name, card.id, select));
        QVERIFY(store.getAdjustRecord(name, card.id, adjust));
        QVERIFY(store.getLedRecord(name, card.id, led));
        QVERIFY(store.getLcdRecord(name, card.id, lcd));
        QCOMPARE(select, card.select);
        QCOMPARE(adjust.Power, card.power);
        QCOMPARE(adjust.Nodes, card.nodes);
        QCOMPARE(led.LedMode, card.ledMode);
        QCOMPARE(led.Color1, card.color1);
        QCOMPARE(lcd.SwitchTime, card.switchTime);
        QCOMPARE(lcd.EnableLcd, card.enableLcd);
    }

    // An id that is in neither entry: every reader says no and leaves the output alone.
    quint32 select = 77;
    AdjustRecord adjust;
    adjust.Power = 77;
    LedRecord led;
    led.LedMode = 77;
    LcdRecord lcd;
    lcd.SwitchTime = 77;
    QVERIFY(!store.getSelectOption(name, 30, select));
    QVERIFY(!store.getAdjustRecord(name, 30, adjust));
    QVERIFY(!store.getLedRecord(name, 30, led));
    QVERIFY(!store.getLcdRecord(name, 30, lcd));
    QCOMPARE(select, 77u);
    QCOMPARE(adjust.Power, 77);
    QCOMPARE(led.LedMode, 77);
    QCOMPARE(lcd.SwitchTime, 77u);
}

void TestConfigStore::ensureCardAddsOnlyUnknownCards()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<GpuSettings><GPU GpuName='Known' SubSystemId='1'><MonitorModule SelectOption='9'/>"
             "<AdjustModule Power='120'/></GPU></GpuSettings>"));
    const GpuEntry before = store.cards().at(0);

    store.ensureCard(QStringLiteral("Known"), 1);
    QCOMPARE(store.cards().size(), 1);
    QCOMPARE(store.cards().at(0).SelectOption, 9u);
    QCOMPARE(store.cards().at(0).adjust, before.adjust);
    QCOMPARE(store.cards().at(0).adjust.Power, 120);

    store.ensureCard(QStringLiteral("Known"), 2);
    store.ensureCard(QStringLiteral("New"), 1);
    store.ensureCard(QStringLiteral("New"), 1);
    QCOMPARE(store.cards().size(), 3);
    QCOMPARE(store.cards().at(1).GpuName, QStringLiteral("Known"));
    QCOMPARE(store.cards().at(1).SubSystemId, 2u);
    QCOMPARE(store.cards().at(2).GpuName, QStringLiteral("New"));
    for (int i = 1; i < 3; ++i) {
        QCOMPARE(store.cards().at(i).SelectOption, 0u);
        QCOMPARE(store.cards().at(i).adjust, AdjustRecord());
        QCOMPARE(store.cards().at(i).led, LedRecord());
        QCOMPARE(store.cards().at(i).lcd, LcdRecord());
    }

    // The saved file holds every card with all four modules.
    QVERIFY(store.save());
    const QByteArray written = readBytes(path());
    QCOMPARE(written.count("<GPU "), 3);
    for (const char *module : { "<MonitorModule ", "<AdjustModule ", "<LedModule ", "<LcdModule " })
        QCOMPARE(written.count(module), 3);
    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    LcdRecord lcd;
    lcd.SwitchTime = 0;
    QVERIFY(again.getLcdRecord(QStringLiteral("New"), 1, lcd));
    QCOMPARE(lcd, LcdRecord());

    // Not loaded: a record already stored in memory is not reset.
    ConfigStore unloaded(m_dir->filePath(QStringLiteral("unused.xml")), fixedToday);
    LedRecord led;
    led.LedMode = 5;
    unloaded.setLedRecord(QStringLiteral("Card"), 4, led);
    unloaded.ensureCard(QStringLiteral("Card"), 4);
    QCOMPARE(unloaded.cards().size(), 1);
    QCOMPARE(unloaded.cards().at(0).led.LedMode, 5);
}

void TestConfigStore::ensureCardSavesAsTheCloseLoopDid()
{
    // What the main window did at close before: read each record of a card
    // and write it back, so that an entry exists for every card.
    const QByteArray text
        = wrap("<GpuSettings><GPU GpuName='A' SubSystemId='1' Extra='x'><LedModule LedMode='3'/><Odd/></GPU>"
               "<GPU GpuName='B' SubSystemId='2'><LcdModule SwitchTime='30'/></GPU></GpuSettings>");
    const QList<QPair<QString, quint32>> cards
        = { { QStringLiteral("B"), 2 }, { QStringLiteral("C"), 3 }, { QStringLiteral("A"), 1 } };

    const QString loopFile = m_dir->filePath(QStringLiteral("loop.xml"));
    writeBytes(loopFile, text);
    ConfigStore loop(loopFile, fixedToday);
    QVERIFY(loop.load());
    for (const auto &card : cards) {
        LedRecord led;
        AdjustRecord adjust;
        LcdRecord lcd;
        quint32 selectOption = 0;
        loop.getLedRecord(card.first, card.second, led);
        loop.getAdjustRecord(card.first, card.second, adjust);
        loop.getLcdRecord(card.first, card.second, lcd);
        loop.getSelectOption(card.first, card.second, selectOption);
        loop.setLedRecord(card.first, card.second, led);
        loop.setAdjustRecord(card.first, card.second, adjust);
        loop.setLcdRecord(card.first, card.second, lcd);
        loop.setSelectOption(card.first, card.second, selectOption);
    }
    QVERIFY(loop.save());

    ConfigStore store(path(), fixedToday);
    loadText(store, text);
    for (const auto &card : cards)
        store.ensureCard(card.first, card.second);
    QVERIFY(store.save());

    QCOMPARE(readBytes(path()), readBytes(loopFile));
    QVERIFY(readBytes(path()).contains("GpuName=\"C\" SubSystemId=\"3\""));
}

void TestConfigStore::datesFromTheStoreClock()
{
    QDate clock(2031, 2, 6);
    ConfigStore store(path(), [&clock] { return clock; });
    QCOMPARE(store.today(), QDate(2031, 2, 6));
    QVERIFY(store.load());

    // The clock is asked when the date is recorded, not when the store was made.
    clock = QDate(2032, 3, 4);
    QCOMPARE(store.today(), QDate(2032, 3, 4));
    store.recordStartDate();
    QVERIFY(store.save());
    QByteArray written = readBytes(path());
    QVERIFY(written.contains("<LastStartDate>2032/03/04</LastStartDate>"));
    QVERIFY(written.contains("<LastCloseDate>2031/02/06</LastCloseDate>"));

    clock = QDate(2033, 12, 31);
    store.recordCloseDate();
    QVERIFY(store.save());
    written = readBytes(path());
    QVERIFY(written.contains("<LastCloseDate>2033/12/31</LastCloseDate>"));
    QVERIFY(written.contains("<LastStartDate>2032/03/04</LastStartDate>"));
    QVERIFY(written.contains("<LastCheckDate>2031/02/06</LastCheckDate>"));
    QVERIFY(written.contains("<LastUpdateDate>2031/02/06</LastUpdateDate>"));
}

void TestConfigStore::nodesText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<QPoint>>("points");
    QTest::newRow("two points") << "30,40|50,60|" << QList<QPoint> { { 30, 40 }, { 50, 60 } };
    QTest::newRow("empty piece") << "30,40||50,60" << QList<QPoint> { { 30, 40 }, { 50, 60 } };
    QTest::newRow("three fields skipped") << "30,40,5|50,60" << QList<QPoint> { { 50, 60 } };
    QTest::newRow("falling x") << "30,40|20,60|" << QList<QPoint>();
    QTest::newRow("falling y") << "30,40|50,30|" << QList<QPoint>();
    QTest::newRow("above 100") << "30,40|50,101|" << QList<QPoint>();
    QTest::newRow("below 0") << "-1,0|" << QList<QPoint>();
    QTest::newRow("equal points") << "30,40|30,40|" << QList<QPoint> { { 30, 40 }, { 30, 40 } };
    QTest::newRow("not a number is 0") << "x,5|" << QList<QPoint> { { 0, 5 } };
    QTest::newRow("empty") << "" << QList<QPoint>();
}

void TestConfigStore::nodesText()
{
    QFETCH(QString, text);
    QFETCH(QList<QPoint>, points);
    QCOMPARE(NodesText::parse(text), points);
    QCOMPARE(NodesText::parse(NodesText::format(points)), points);
    QCOMPARE(NodesText::format({ { 30, 40 }, { 60, 80 } }), QStringLiteral("30,40|60,80|"));
}

void TestConfigStore::missingAttributeVersusMissingElement()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<GeneralSetting StartOnBoot='1'/><GpuSettings>"
             "<GPU GpuName='A' SubSystemId='1'><LedModule Color1='5' Color2='6' Color4='1' Color5='1' "
             "Color6='1' Color7='1'/></GPU>"
             "<GPU GpuName='B' SubSystemId='2'><MonitorModule/></GPU></GpuSettings>"));
    LedRecord a;
    LedRecord b;
    QVERIFY(store.getLedRecord(QStringLiteral("A"), 1, a));
    QVERIFY(store.getLedRecord(QStringLiteral("B"), 2, b));
    QCOMPARE(a.Color3, 0u);
    QCOMPARE(a.Color2, 6u);
    QCOMPARE(a.Interval, 0);
    QCOMPARE(b, LedRecord());
    QCOMPARE(b.Color3, 16777215u);

    GeneralSettingRecord general;
    UpdateSettingRecord update;
    QVERIFY(store.getGeneralSetting(general) && store.getUpdateSetting(update));
    QVERIFY(general.StartOnBoot);
    QCOMPARE(general.Language, QString());
    QCOMPARE(general.RefreshTimeOfMonitor, 0);
    QCOMPARE(update, UpdateSettingRecord());
}

void TestConfigStore::unknownFirstChildOfGpu()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<GpuSettings><GPU GpuName='A' SubSystemId='1'><Extra keep='1'/>"
             "<LedModule LedMode='3'/><LcdModule SwitchTime='5'/></GPU></GpuSettings>"));
    QCOMPARE(store.cards().size(), 1);
    QCOMPARE(store.cards().at(0).led, LedRecord());
    QCOMPARE(store.cards().at(0).lcd, LcdRecord());

    // What is saved for this card must be read at the next start.
    LcdRecord lcd;
    lcd.SwitchTime = 20;
    store.setLcdRecord(QStringLiteral("A"), 1, lcd);
    QVERIFY(store.save());
    QVERIFY(readBytes(path()).contains("<Extra keep=\"1\"/>"));
    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    LcdRecord read;
    QVERIFY(again.getLcdRecord(QStringLiteral("A"), 1, read));
    QCOMPARE(read.SwitchTime, 20u);
}

void TestConfigStore::commentStopsGpuSettings()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<GpuSettings><GPU GpuName='A' SubSystemId='1'/><!-- note -->"
             "<GPU GpuName='B' SubSystemId='2'/></GpuSettings>"));
    QCOMPARE(store.cards().size(), 1);
    QVERIFY(store.save());
    const QByteArray written = readBytes(path());
    QVERIFY(written.contains("GpuName=\"A\""));
    QVERIFY(!written.contains("GpuName=\"B\""));
    QVERIFY(!written.contains("note"));
}

void TestConfigStore::unknownContentSurvivesSave()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<Custom a='1'><Inner>text &amp; more</Inner></Custom>"
             "<GeneralSetting Theme='dark'/>"
             "<GpuSettings><GPU GpuName='A' SubSystemId='1' Vendor='v'><AdjustModule Boost='b'/>"
             "<Odd/></GPU><!-- c --><GPU GpuName='Gone' SubSystemId='1'/></GpuSettings>"));
    QVERIFY(store.save());
    const QByteArray written = readBytes(path());
    QVERIFY(
        written.startsWith("<KorvoParameter>\n    <Custom a=\"1\">\n        <Inner>text &amp; more</Inner>\n"
                           "    </Custom>\n    <GeneralSetting "));
    QVERIFY(written.contains("PageEffects=\"\" Theme=\"dark\"/>"));
    QVERIFY(written.contains("<GPU GpuName=\"A\" SubSystemId=\"1\" Vendor=\"v\">"));
    QVERIFY(written.contains("Nodes=\"\" Boost=\"b\"/>"));
    QVERIFY(written.contains("EnableLcd=\"1\"/>\n            <Odd/>\n        </GPU>"));
    // Neither the comment nor the GPU element no entry answers to survives.
    QVERIFY(!written.contains("Gone"));
    QVERIFY(!written.contains("<!--"));
}

void TestConfigStore::duplicateModulesDroppedOnSave()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<GpuSettings><GPU GpuName='A' SubSystemId='1'>"
             "<AdjustModule Power='80'/><MonitorModule SelectOption='1'/><AdjustModule Power='100'/>"
             "<LcdModule SwitchTime='5'/><LcdModule SwitchTime='6'/><LedModule LedMode='2'/>"
             "<MonitorModule SelectOption='2'/><LedModule LedMode='3'/><Odd/><AdjustModule Power='90'/>"
             "</GPU></GpuSettings>"));
    AdjustRecord adjust;
    QVERIFY(store.getAdjustRecord(QStringLiteral("A"), 1, adjust));
    QCOMPARE(adjust.Power, 100);

    adjust.Power = 120;
    store.setAdjustRecord(QStringLiteral("A"), 1, adjust);
    LcdRecord lcd;
    lcd.SwitchTime = 40;
    store.setLcdRecord(QStringLiteral("A"), 1, lcd);
    store.setSelectOption(QStringLiteral("A"), 1, 9);
    LedRecord led;
    led.LedMode = 6;
    store.setLedRecord(QStringLiteral("A"), 1, led);
    QVERIFY(store.save());
    const QByteArray written = readBytes(path());
    for (const char *module : { "<MonitorModule ", "<AdjustModule ", "<LedModule ", "<LcdModule " })
        QVERIFY2(written.count(module) == 1, module);
    QVERIFY(written.contains("<Odd/>"));

    // What was saved is what the next start reads.
    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    QVERIFY(again.getAdjustRecord(QStringLiteral("A"), 1, adjust));
    QCOMPARE(adjust.Power, 120);
    QVERIFY(again.getLcdRecord(QStringLiteral("A"), 1, lcd));
    QCOMPARE(lcd.SwitchTime, 40u);
    QVERIFY(again.getLedRecord(QStringLiteral("A"), 1, led));
    QCOMPARE(led.LedMode, 6);
    quint32 select = 0;
    QVERIFY(again.getSelectOption(QStringLiteral("A"), 1, select));
    QCOMPARE(select, 9u);
}

void TestConfigStore::malformedDateWrittenEmpty()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<LastCheckDate>2026/1/7</LastCheckDate><LastCloseDate>yesterday</LastCloseDate>"
             "<LastStartDate>2024/02/29</LastStartDate><LastUpdateDate>+026/12/07</LastUpdateDate>"));
    QDate checked = Today;
    QVERIFY(store.getLastCheckDate(checked));
    QVERIFY(!checked.isValid());
    QVERIFY(store.save());
    const QByteArray written = readBytes(path());
    QVERIFY(written.contains("<LastCheckDate></LastCheckDate>"));
    QVERIFY(written.contains("<LastCloseDate></LastCloseDate>"));
    QVERIFY(written.contains("<LastStartDate>2024/02/29</LastStartDate>"));
    // A signed year is not in the form either.
    QVERIFY(written.contains("<LastUpdateDate></LastUpdateDate>"));

    // Absent from the file: keeps the value the store already had.
    ConfigStore fresh(path(), fixedToday);
    fresh.setLastUpdateDate(QDate(2020, 5, 6));
    loadText(fresh, wrap("<LastCheckDate>2026/01/07</LastCheckDate>"));
    QVERIFY(fresh.save());
    QVERIFY(readBytes(path()).contains("<LastUpdateDate>2020/05/06</LastUpdateDate>"));
}

void TestConfigStore::dateReplacesAllItsText()
{
    // Whatever makes up the old text (pieces around a comment, CDATA, text
    // inside a child element) goes; the comment may stay.
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<LastCheckDate><!-- first -->2024/01/03</LastCheckDate>"
             "<LastStartDate>2024<!-- mid -->/01/03</LastStartDate>"
             "<LastCloseDate><![CDATA[2024/01/03]]><!-- c --></LastCloseDate>"
             "<LastUpdateDate><b>2024</b>/01/03</LastUpdateDate>"));
    QDate checked;
    QVERIFY(store.getLastCheckDate(checked));
    QCOMPARE(checked, QDate(2024, 1, 3));
    const QDate later(2031, 2, 6);
    store.setLastCheckDate(later);
    store.setLastStartDate(later);
    store.setLastCloseDate(later);
    store.setLastUpdateDate(later);
    QVERIFY(store.save());

    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    QVERIFY(again.getLastCheckDate(checked));
    QCOMPARE(checked, later);
    QDomDocument document;
    QVERIFY(document.setContent(readBytes(path())));
    const QDomElement root = document.documentElement();
    for (const char *tag : { "LastCheckDate", "LastStartDate", "LastCloseDate", "LastUpdateDate" })
        QCOMPARE(root.firstChildElement(QLatin1String(tag)).text(), QStringLiteral("2031/02/06"));
    QVERIFY(readBytes(path()).contains("<LastCheckDate><!-- first -->2031/02/06</LastCheckDate>"));
}

void TestConfigStore::datesInAsciiDigitsUnderAnyLocale()
{
    // Locales with digits of their own: dates must still be written, and
    // only read, in ASCII digits.
    for (const QString &locale : { QStringLiteral("ar_EG.UTF-8"), QStringLiteral("fa_IR.UTF-8") }) {
        const QString file = m_dir->filePath(QStringLiteral("locale.xml"));
        writeBytes(file,
            wrap("<LastStartDate>2024/02/29</LastStartDate>"
                 "<LastCloseDate>\xD9\xA2\xD9\xA0\xD9\xA2\xD9\xA6/\xD9\xA1\xD9\xA2/"
                 "\xD9\xA0\xD9\xA7</LastCloseDate>"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), locale);
        env.insert(QStringLiteral("LANG"), locale);
        env.insert(QString::fromLatin1(SaveOnceVariable), file);
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        const QByteArray written = readBytes(file);
        QVERIFY2(written.contains("<LastStartDate>2024/02/29</LastStartDate>"), qPrintable(locale));
        QVERIFY2(written.contains("<LastCloseDate></LastCloseDate>"), qPrintable(locale));
        QVERIFY2(written.contains("<LastCheckDate>2026/12/07</LastCheckDate>"), qPrintable(locale));
    }
}

void TestConfigStore::duplicateSectionsReadTwice()
{
    ConfigStore store(path(), fixedToday);
    loadText(store,
        wrap("<GeneralSetting StartOnBoot='1' Language='lang_en'/><GpuSettings>"
             "<GPU GpuName='A' SubSystemId='1'><MonitorModule SelectOption='1'/></GPU></GpuSettings>"
             "<GeneralSetting MinimizeOnStart='1'/><GpuSettings>"
             "<GPU GpuName='A' SubSystemId='1'><MonitorModule SelectOption='2'/></GPU>"
             "<GPU GpuName='B' SubSystemId='1'/></GpuSettings>"));
    GeneralSettingRecord general;
    QVERIFY(store.getGeneralSetting(general));
    QVERIFY(!general.StartOnBoot);
    QVERIFY(general.MinimizeOnStart);
    QCOMPARE(general.Language, QString());
    QCOMPARE(store.cards().size(), 3);
    quint32 select = 0;
    QVERIFY(store.getSelectOption(QStringLiteral("A"), 1, select));
    QCOMPARE(select, 1u);

    // The change reaches the next start even though the file held two lists.
    store.setSelectOption(QStringLiteral("A"), 1, 8);
    QVERIFY(store.save());
    QCOMPARE(readBytes(path()).count("<GpuSettings>"), 1);
    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    QVERIFY(again.getSelectOption(QStringLiteral("A"), 1, select));
    QCOMPARE(select, 8u);
    QCOMPARE(again.cards().size(), 3);
}

void TestConfigStore::brokenFileKeptAsBad()
{
    ConfigStore first(path(), fixedToday);
    QVERIFY(first.load());
    first.setSelectOption(QStringLiteral("A"), 1, 3);
    QVERIFY(first.save());
    const QByteArray whole = readBytes(path());
    const QByteArray cut = whole.left(whole.size() / 2);
    writeBytes(path(), cut);
    writeBytes(path() + ".bad", "older broken file");

    ConfigStore store(path(), fixedToday);
    store.setNotPromptHPS(true);
    QVERIFY(store.load());
    QVERIFY(!store.parseErrorText().isEmpty());
    QCOMPARE(readBytes(store.brokenFileName()), cut);
    QCOMPARE(readBytes(path()), DefaultHead + "    <GpuSettings/>\n" + DefaultTail);
    bool flag = true;
    QVERIFY(store.getNotPromptHPS(flag));
    QVERIFY(!flag);
}

void TestConfigStore::brokenFileStaysWhenItCannotBeKept()
{
    const QByteArray broken = "<KorvoParameter><GeneralSetting Language='lang_en'/>";
    writeBytes(path(), broken);
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("config.xml.bad/occupied")));

    ConfigStore store(path(), fixedToday);
    QVERIFY(!store.load());
    QCOMPARE(readBytes(path()), broken);
    QVERIFY(!store.save());
    QCOMPARE(readBytes(path()), broken);
}

void TestConfigStore::deepFileTreatedAsBroken_data()
{
    // What each depth did before: a stack overflow while parsing, an
    // allocation failure while saving, a save of some hundred megabytes.
    QTest::addColumn<int>("levels");
    QTest::newRow("25000") << 25000;
    QTest::newRow("15000") << 15000;
    QTest::newRow("10000") << 10000;
    QTest::newRow("one past the bound") << ConfigFileLimits::MaxDepth + 1;
}

void TestConfigStore::deepFileTreatedAsBroken()
{
    QFETCH(int, levels);
    const QByteArray deep = nested(levels);
    writeBytes(path(), deep);
    ConfigStore store(path(), fixedToday);
    QVERIFY(store.load());
    QVERIFY(!store.parseErrorText().isEmpty());
    QCOMPARE(readBytes(store.brokenFileName()), deep);
    QCOMPARE(readBytes(path()), DefaultHead + "    <GpuSettings/>\n" + DefaultTail);
}

void TestConfigStore::deepestAllowedFileKeptAndSavedSmall()
{
    const QByteArray deep = nested(ConfigFileLimits::MaxDepth);
    ConfigStore store(path(), fixedToday);
    loadText(store, deep);
    QVERIFY(!QFile::exists(store.brokenFileName()));
    QVERIFY(store.save());
    const QByteArray written = readBytes(path());
    // Indented level by level this chain alone would take some 8 KB.
    QVERIFY2(written.size() < deep.size() + 3000, QByteArray::number(written.size()));
    QDomDocument document;
    QVERIFY(document.setContent(written));
    int depth = 0;
    for (QDomElement e = document.documentElement(); !e.isNull(); e = e.firstChildElement())
        ++depth;
    QCOMPARE(depth, ConfigFileLimits::MaxDepth);
}

void TestConfigStore::oversizedFileMovedAside()
{
    // Well-formed, shallow and ours, but larger than any file the program writes.
    const QByteArray filler = "<!--" + QByteArray(int(ConfigFileLimits::MaxBytes), 'x') + "-->";
    const QByteArray big = wrap(filler + "<GeneralSetting Language='lang_en'/>");
    writeBytes(path(), big);
    writeBytes(path() + ".bad", "older broken file");
    ConfigStore store(path(), fixedToday);
    QVERIFY(store.load());
    QVERIFY(!store.parseErrorText().isEmpty());
    QCOMPARE(readBytes(store.brokenFileName()), big);
    QCOMPARE(readBytes(path()), DefaultHead + "    <GpuSettings/>\n" + DefaultTail);

    // Just inside the bound it is read as usual.
    const QByteArray fits
        = wrap(filler.left(filler.size() - 100) + "--><GeneralSetting Language='lang_en'/>");
    QVERIFY(fits.size() <= ConfigFileLimits::MaxBytes);
    ConfigStore again(path(), fixedToday);
    loadText(again, fits);
    GeneralSettingRecord general;
    QVERIFY(again.getGeneralSetting(general));
    QCOMPARE(general.Language, QStringLiteral("lang_en"));
}

void TestConfigStore::writerOutputLinearInDepth()
{
    // The writer itself, given a tree far deeper than a loaded file can be.
    QDomDocument document;
    QDomElement parent = document.createElement(QStringLiteral("r"));
    document.appendChild(parent);
    for (int i = 0; i < 1000; ++i) {
        QDomElement child = document.createElement(QStringLiteral("a"));
        child.setAttribute(QStringLiteral("i"), i);
        parent.appendChild(child);
        parent = child;
    }
    const QByteArray compact = document.toByteArray(-1);
    const QByteArray written = XmlTreeWriter(4).write(document);
    QVERIFY2(written.size() < 2 * compact.size(), QByteArray::number(written.size()));
    QDomDocument back;
    QVERIFY(back.setContent(written));
    QCOMPARE(back.toByteArray(-1), compact);
}

void TestConfigStore::saveNeverWritesPastTheBound()
{
    // Accepted as it is, but once escaped (each ">" of the text becomes
    // "&gt;") larger than the next start would take.
    const QByteArray wide = wrap("<GeneralSetting Language='lang_en'/><Note>"
        + QByteArray(int(ConfigFileLimits::MaxBytes / 3), '>') + "</Note>");
    QVERIFY(wide.size() <= ConfigFileLimits::MaxBytes);
    ConfigStore store(path(), fixedToday);
    loadText(store, wide);
    store.setSelectOption(QStringLiteral("A"), 1, 2);
    QVERIFY(!store.save());
    QCOMPARE(readBytes(path()), wide);

    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    GeneralSettingRecord general;
    QVERIFY(again.getGeneralSetting(general));
    QCOMPARE(general.Language, QStringLiteral("lang_en"));
}

void TestConfigStore::foreignRootNeverWrittenOver()
{
    const QByteArray foreign = "<OtherProgram><GeneralSetting Language='lang_en'/></OtherProgram>\n";
    writeBytes(path(), foreign);
    ConfigStore store(path(), fixedToday);
    QVERIFY(!store.load());
    GeneralSettingRecord general;
    QVERIFY(!store.getGeneralSetting(general));
    QCOMPARE(general.Language, QStringLiteral("lang_ch"));

    store.setLedRecord(QStringLiteral("A"), 1, LedRecord());
    QVERIFY(!store.save());
    QCOMPARE(readBytes(path()), foreign);
    QVERIFY(!QFile::exists(store.brokenFileName()));
}

void TestConfigStore::unreadableFileNotReplaced()
{
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("config.xml/inside")));
    ConfigStore store(path(), fixedToday);
    QVERIFY(!store.load());
    QVERIFY(!store.save());
    QVERIFY(QFileInfo(path() + "/inside").isDir());
}

void TestConfigStore::interruptedSaveKeepsOldFile_data()
{
    // Below and above the size QFile buffers: the failure then comes at the
    // final flush or at the write itself.
    QTest::addColumn<int>("cardCount");
    QTest::newRow("buffered") << 20;
    QTest::newRow("direct") << 60;
}

void TestConfigStore::interruptedSaveKeepsOldFile()
{
    QFETCH(int, cardCount);
    ConfigStore store(path(), fixedToday);
    QVERIFY(store.load());
    const QByteArray before = readBytes(path());

    // A file size limit makes the write fail part-way, as a full disk would;
    // it binds root too, unlike permission bits.
    for (int i = 0; i < cardCount; ++i)
        store.setSelectOption(QStringLiteral("Card %1").arg(i), quint32(i), 1);
    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = rlim_t(before.size() + 64);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saveResult = store.save();
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);

    QVERIFY(!saveResult);
    QCOMPARE(readBytes(path()), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList { "config.xml" });
    // Memory kept the values: the next save succeeds with all of them.
    QVERIFY(store.save());
    ConfigStore again(path(), fixedToday);
    QVERIFY(again.load());
    QCOMPARE(again.cards().size(), cardCount);
}

void TestConfigStore::saveIntoMissingFolderFails()
{
    const QString missing = m_dir->filePath(QStringLiteral("no/such/config.xml"));
    ConfigStore store(missing, fixedToday);
    QVERIFY(!store.load());
    QVERIFY(!store.isLoaded());
    QVERIFY(!store.save());
    QVERIFY(!QFile::exists(missing));
}

int main(int argc, char **argv)
{
    // Child mode for the determinism test: load, change, save, exit.
    if (qEnvironmentVariableIsSet(SaveOnceVariable))
        return saveOnce(qEnvironmentVariable(SaveOnceVariable));
    QCoreApplication app(argc, argv);
    TestConfigStore test;
    return QTest::qExec(&test, argc, argv);
}

// A link planted as config.xml (to an /etc/passwd stand-in) or as config.xml.bad: its target keeps its
// bytes; the link is moved aside or replaced by a regular file.
void TestConfigStore::linksAreNeverWrittenThrough()
{
    const QString victim = m_dir->filePath(QStringLiteral("passwd"));
    const QByteArray secret("root:x:0:0:root:/root:/bin/bash\n");
    writeBytes(victim, secret);
    QVERIFY(QFile::link(victim, path()));
    {
        ConfigStore store(path(), fixedToday);
        QVERIFY(store.load());
        QVERIFY(store.keptBrokenFile());
        QVERIFY(store.save());
    }
    QCOMPARE(readBytes(victim), secret);
    QVERIFY(!QFileInfo(path()).isSymLink());
    QVERIFY(QFileInfo(path()).isFile());
    // The moved link is the link itself, still pointing where it did.
    QCOMPARE(QFileInfo(path() + QStringLiteral(".bad")).symLinkTarget(), victim);

    // A broken config.xml with a link as config.xml.bad: the broken bytes land in a file of our own.
    QVERIFY(QFile::remove(path() + QStringLiteral(".bad")));
    QVERIFY(QFile::link(victim, path() + QStringLiteral(".bad")));
    writeBytes(path(), "<KorvoParameter><broken");
    {
        ConfigStore store(path(), fixedToday);
        QVERIFY(store.load());
        QVERIFY(store.keptBrokenFile());
    }
    QCOMPARE(readBytes(victim), secret);
    QVERIFY(!QFileInfo(path() + QStringLiteral(".bad")).isSymLink());
    QCOMPARE(readBytes(path() + QStringLiteral(".bad")), QByteArray("<KorvoParameter><broken"));

    // A dangling link as config.xml.bad does not stop a damaged file from being kept.
    QVERIFY(QFile::remove(path() + QStringLiteral(".bad")));
    QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("nowhere")), path() + QStringLiteral(".bad")));
    writeBytes(path(), "<KorvoParameter><broken again");
    ConfigStore store(path(), fixedToday);
    QVERIFY(store.load());
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("nowhere"))));
    QCOMPARE(readBytes(path() + QStringLiteral(".bad")), QByteArray("<KorvoParameter><broken again"));
}

// A FIFO nobody writes blocked the open for good, so a hang fails by the test's time limit. It is left
// alone and never saved over.
void TestConfigStore::fifoAsTheFileDoesNotHang()
{
    QCOMPARE(mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    ConfigStore store(path(), fixedToday);
    QVERIFY(!store.load());
    QVERIFY(!store.save());
    QFileInfo info(path());
    QVERIFY(info.exists() && !info.isFile());
}

void TestConfigStore::interruptedSaveLeftoversRemovedAtLoad()
{
    const QString leftover = path() + QStringLiteral(".aB3xY9");
    const QStringList kept = { path() + QStringLiteral(".bad"), path() + QStringLiteral(".notes"),
        path() + QStringLiteral(".aB3xY9z"), m_dir->filePath(QStringLiteral("other.xml.aB3xY9")) };
    writeBytes(leftover, "<KorvoParameter>");
    for (const QString &name : kept)
        writeBytes(name, "user's");
    ConfigStore store(path(), fixedToday);
    QVERIFY(store.load());
    QVERIFY(!QFileInfo::exists(leftover));
    for (const QString &name : kept)
        QVERIFY2(QFileInfo::exists(name), qPrintable(name));
}

#include "tst_configstore.moc"
