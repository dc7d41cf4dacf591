#include "lcdsettingsscreenshots.h"

#include "korvo_lcdcontrollorwidget.h"
#include "korvo_settingparentwidget.h"
#include "korvo_settingwidget.h"
#include "korvo_updatelogwidget.h"
#include "languagetexts.h"
#include "lumetra2stylesheet.h"
#include "settingvalues.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

namespace {

/// The main window's background with the window's style sheet, 800 x 507.
class StyledWindow : public QWidget
{
public:
    StyledWindow()
        : m_background(QStringLiteral(":/images/images/background.png"))
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setWindowFlags(Qt::FramelessWindowHint);
        setStyleSheet(lumetra2StyleSheet());
        resize(m_background.size());
        move(40, 40);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_background);
    }

private:
    QPixmap m_background;
};

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

bool grabScreen(const QRect &area, const QString &path)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(path);
}

const char *const ChineseLog
    = "<h3>LumetraII 2.0</h3><ul><li>新增液晶屏页面：自动或用快捷键切换显示内容。</li>"
      "<li>设置页面可查看更新日志。</li><li>修复若干问题。</li></ul>";
const char *const EnglishLog = "<h3>LumetraII 2.0</h3><ul><li>New LCD page: switch what the card's LCD "
                               "shows automatically or by a hotkey.</li><li>The settings page shows the "
                               "update history.</li><li>Several fixes.</li></ul>";

} // namespace

LcdSettingsScreenshots::LcdSettingsScreenshots(const QString &outputDir)
    : m_outputDir(outputDir)
{
}

bool LcdSettingsScreenshots::run()
{
    // Taken before the folder changes below.
    const QDir out(QDir(m_outputDir).absolutePath());
    // The log dialog reads updateLog/ in the current folder, as the program does in its own.
    QTemporaryDir logFolder;
    const QString previous = QDir::currentPath();
    if (!logFolder.isValid() || !QDir::setCurrent(logFolder.path()))
        return false;
    QDir().mkpath(QStringLiteral("updateLog"));
    for (const auto &log : { qMakePair(Korvo_UpdateLogWidget::ChineseLogPath, ChineseLog),
             qMakePair(Korvo_UpdateLogWidget::EnglishLogPath, EnglishLog) }) {
        QFile file(QString::fromLatin1(log.first));
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray(log.second));
    }

    bool ok = true;
    for (LanguageType language : { Chinese, English }) {
        LanguageTexts texts;
        texts.fill(language);
        const QString name = language == Chinese ? QStringLiteral("ch") : QStringLiteral("en");

        StyledWindow window;
        auto *lcd = new Korvo_LCDControllorWidget(nullptr, &window);
        lcd->setGeometry(443, 158, 285, 294);
        lcd->setLanguageTexts(texts.lcdControl(), language);
        window.show();
        settle(300);
        ok = window.grab().save(out.filePath(QStringLiteral("lcd_%1_automatic.png").arg(name))) && ok;
        lcd->manualRadio()->setChecked(true);
        settle(100);
        ok = window.grab().save(out.filePath(QStringLiteral("lcd_%1_manual.png").arg(name))) && ok;
        lcd->onCancelClick();
        lcd->manualRadio()->setChecked(false);
        settle(100);
        ok = window.grab().save(out.filePath(QStringLiteral("lcd_%1_applied.png").arg(name))) && ok;

        GeneralSettingRecord general;
        general.Language = QLatin1String(
            language == Chinese ? SettingValues::ChineseLanguage : SettingValues::EnglishLanguage);
        auto *settings = new Korvo_SettingParentWidget(general, UpdateSettingRecord(), &window);
        settings->hide();
        settings->move(window.width() - settings->width() - 29, 29);
        settings->setLanguageTexts(texts.settings(), language);
        settings->setShowSettingWidget(true);
        settle(600);
        ok = window.grab().save(out.filePath(QStringLiteral("settings_%1.png").arg(name))) && ok;

        // The log opens modally from the page; the shot is taken while it is up, then it is closed.
        const QString logPath = out.filePath(QStringLiteral("updatelog_%1.png").arg(name));
        QTimer::singleShot(600, [&ok, &window, logPath]() {
            auto *log = qobject_cast<Korvo_UpdateLogWidget *>(QApplication::activeModalWidget());
            ok = log && grabScreen(window.frameGeometry(), logPath) && ok;
            if (log)
                log->close();
        });
        settings->page()->onBtnUpdateLogClick();
        window.hide();
    }
    QDir::setCurrent(previous);
    return ok;
}
