#include "korvo_settingwidget.h"
#include "korvo_updatelogwidget.h"
#include "lumetraresources.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTextEdit>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

// The update log: which file, in which encoding, what a hostile log can do, and a dialog that closes and
// goes away.
class TestUpdateLog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    void writeLog(const char *path, const QByteArray &bytes)
    {
        QVERIFY(QDir().mkpath(QStringLiteral("updateLog")));
        QFile file(QString::fromLatin1(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), qint64(bytes.size()));
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }

    void cleanup()
    {
        QDir::setCurrent(QDir::tempPath());
        m_dir.reset();
    }

    void decodesUtf8WithAndWithoutMark()
    {
        const QString chinese = QStringLiteral("版本 2.0：修复了风扇曲线。");
        QCOMPARE(Korvo_UpdateLogWidget::decodeLogText(chinese.toUtf8()), chinese);
        QCOMPARE(
            Korvo_UpdateLogWidget::decodeLogText(QByteArray("\xEF\xBB\xBF") + chinese.toUtf8()), chinese);
        QCOMPARE(
            Korvo_UpdateLogWidget::decodeLogText(QByteArray("plain ASCII")), QStringLiteral("plain ASCII"));
        QCOMPARE(Korvo_UpdateLogWidget::decodeLogText(QByteArray()), QString());
    }

    void otherBytesTakeTheLocalEncoding()
    {
        // "中文" in GB 2312: not UTF-8.
        const QByteArray legacy("\xD6\xD0\xCE\xC4 v2");
        const QString decoded = Korvo_UpdateLogWidget::decodeLogText(legacy);
        QCOMPARE(decoded, QTextCodec::codecForLocale()->toUnicode(legacy));
        QVERIFY(decoded.endsWith(QStringLiteral(" v2")));
        // A truncated UTF-8 sequence at the end is not valid UTF-8 either.
        const QByteArray cut = QStringLiteral("中").toUtf8().left(2);
        QCOMPARE(Korvo_UpdateLogWidget::decodeLogText(cut), QTextCodec::codecForLocale()->toUnicode(cut));
    }

    void showsTheLanguagesFile()
    {
        writeLog(Korvo_UpdateLogWidget::ChineseLogPath, QStringLiteral("更新日志：新的液晶页").toUtf8());
        writeLog(Korvo_UpdateLogWidget::EnglishLogPath, QByteArray("<b>2.0</b> the LCD page"));
        Korvo_UpdateLogWidget chinese(Chinese, nullptr);
        QCOMPARE(chinese.textEdit()->toPlainText(), QStringLiteral("更新日志：新的液晶页"));
        QCOMPARE(chinese.closeButton()->text(), QStringLiteral("关闭"));
        QCOMPARE(chinese.textEdit()->objectName(), QStringLiteral("textEdit"));
        QCOMPARE(chinese.closeButton()->objectName(), QStringLiteral("pushButton"));
        Korvo_UpdateLogWidget english(English, nullptr);
        // Rich text is recognised: the tags do not show.
        QCOMPARE(english.textEdit()->toPlainText(), QStringLiteral("2.0 the LCD page"));
        QCOMPARE(english.closeButton()->text(), QStringLiteral("Close"));
        QVERIFY(english.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(english.testAttribute(Qt::WA_TranslucentBackground));
        // Any value other than English reads the Chinese file.
        QCOMPARE(Korvo_UpdateLogWidget::logPathFor(LanguageType(7)), QStringLiteral("updateLog/chinese.txt"));
    }

    void missingOrEmptyLogSaysThereIsNoHistoryAndCloses()
    {
        QWidget owner;
        auto *log = new Korvo_UpdateLogWidget(English, &owner);
        QCOMPARE(log->textEdit()->toPlainText(), QStringLiteral("No update history yet."));
        log->show();
        QVERIFY(log->isVisible());
        QTest::mouseClick(log->closeButton(), Qt::LeftButton);
        QVERIFY(!log->isVisible());
        // With a parent, the parent owns it.
        QVERIFY(!log->testAttribute(Qt::WA_DeleteOnClose));

        writeLog(Korvo_UpdateLogWidget::ChineseLogPath, QByteArray(" \n"));
        Korvo_UpdateLogWidget chinese(Chinese, nullptr);
        QCOMPARE(chinese.textEdit()->toPlainText(), QStringLiteral("暂无更新记录。"));
    }

    // Hostile logs: a FIFO as the log, a log whose image names a FIFO, and a 4 MB line. Each used to block
    // or busy the GUI thread; a FIFO nobody writes would block the open for good, so a hang fails the test
    // by its time limit.
    void hostileLogsNeitherBlockNorFloodTheWindow()
    {
        QVERIFY(QDir().mkpath(QStringLiteral("updateLog")));
        const QByteArray fifo = QFile::encodeName(m_dir->filePath(QStringLiteral("fifo")));
        QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
        QCOMPARE(
            mkfifo(QFile::encodeName(QString::fromLatin1(Korvo_UpdateLogWidget::EnglishLogPath)).constData(),
                0600),
            0);
        Korvo_UpdateLogWidget fromFifo(English, nullptr);
        QCOMPARE(fromFifo.textEdit()->toPlainText(), QStringLiteral("No update history yet."));

        writeLog(Korvo_UpdateLogWidget::ChineseLogPath,
            "<p>2.1</p><img src=\"" + fifo + "\"><img src=\"/dev/zero\"><img src=\"file://" + fifo + "\">");
        Korvo_UpdateLogWidget withImage(Chinese, nullptr);
        withImage.resize(400, 300);
        withImage.show();
        QVERIFY(QTest::qWaitForWindowExposed(&withImage));
        QVERIFY(withImage.textEdit()->toPlainText().startsWith(QStringLiteral("2.1")));

        QVERIFY(QFile::remove(QString::fromLatin1(Korvo_UpdateLogWidget::ChineseLogPath)));
        writeLog(Korvo_UpdateLogWidget::ChineseLogPath, "v3 " + QByteArray(4 * 1024 * 1024, 'x'));
        Korvo_UpdateLogWidget longLine(Chinese, nullptr);
        const QString shown = longLine.textEdit()->toPlainText();
        QVERIFY(shown.startsWith(QStringLiteral("v3 xxx")));
        QVERIFY(shown.size() <= 2001);
    }

    void onlySmallLogsWithFewTablesAreRichText()
    {
        QVERIFY(Korvo_UpdateLogWidget::showsAsRichText(QStringLiteral("<b>2.0</b> fans"), 14));
        QVERIFY(!Korvo_UpdateLogWidget::showsAsRichText(QStringLiteral("2.0 fans"), 8));
        QVERIFY(!Korvo_UpdateLogWidget::showsAsRichText(QStringLiteral("<b>2.0</b>"), 65 * 1024));
        QVERIFY(!Korvo_UpdateLogWidget::showsAsRichText(QStringLiteral("<table>").repeated(17), 119));
        QVERIFY(Korvo_UpdateLogWidget::showsAsRichText(QStringLiteral("<table>").repeated(16), 112));
    }

    void parentlessLogDeletesItselfWhenClosed()
    {
        QPointer<Korvo_UpdateLogWidget> log = new Korvo_UpdateLogWidget(Chinese);
        QVERIFY(log->testAttribute(Qt::WA_DeleteOnClose));
        log->show();
        QTest::mouseClick(log->closeButton(), Qt::LeftButton);
        QTRY_VERIFY(log.isNull());
    }

    void paintsARoundedDarkPanelWithARedRim()
    {
        Korvo_UpdateLogWidget log(English, nullptr);
        log.resize(400, 300);
        QImage image(log.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        log.render(&image, QPoint(), QRegion(), QWidget::RenderFlags(QWidget::DrawChildren));
        const QColor inside = image.pixelColor(8, 150);
        QCOMPARE(inside.alpha(), 220);
        QVERIFY(inside.red() < 10 && inside.green() < 10);
        const QColor rim = image.pixelColor(200, 1);
        QVERIFY(rim.red() > 150 && rim.green() < 60);
        // The rounded corner leaves the very corner clear.
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    }

    void settingsPageOpensTheLogInItsLanguage()
    {
        writeLog(Korvo_UpdateLogWidget::EnglishLogPath, QByteArray("english log"));
        Korvo_SettingWidget page;
        page.setLanguageTexts(Lang_Settings(), English);
        QString shown;
        bool modal = false;
        QTimer::singleShot(0, [&shown, &modal]() {
            auto *log = qobject_cast<Korvo_UpdateLogWidget *>(QApplication::activeModalWidget());
            if (!log)
                return;
            shown = log->textEdit()->toPlainText();
            modal = log->isModal();
            QTest::mouseClick(log->closeButton(), Qt::LeftButton);
        });
        QTest::mouseClick(page.updateLogButton(), Qt::LeftButton);
        QCOMPARE(shown, QStringLiteral("english log"));
        QVERIFY(modal);
    }
};

QTEST_MAIN(TestUpdateLog)
#include "tst_updatelog.moc"
