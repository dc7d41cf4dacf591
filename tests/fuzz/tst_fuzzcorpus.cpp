// Replays every committed input of one fuzz target (its seed corpus and the
// reproducers of what it once found) through the target's own entry
// function, so that the normal test suite keeps them passing.

#include <QDir>
#include <QtTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void corpusHasSeeds();
    void committedInputPasses_data();
    void committedInputPasses();

private:
    static QStringList folders()
    {
        return { QStringLiteral(FUZZ_CORPUS_DIR), QStringLiteral(FUZZ_CRASHES_DIR) };
    }
};

void TestFuzzCorpus::corpusHasSeeds()
{
    const QDir corpus(QStringLiteral(FUZZ_CORPUS_DIR));
    QVERIFY2(corpus.exists(), qPrintable(corpus.path()));
    QVERIFY(corpus.entryList(QDir::Files).size() >= 3);
}

void TestFuzzCorpus::committedInputPasses_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &folder : folders()) {
        const QDir dir(folder);
        for (const QFileInfo &file : dir.entryInfoList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(dir.dirName() + QLatin1Char('/') + file.fileName())) << file.filePath();
    }
}

void TestFuzzCorpus::committedInputPasses()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // The entry aborts with its reason on standard error when a check fails.
    QCOMPARE(LLVMFuzzerTestOneInput(
                 reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())),
        0);
}

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
