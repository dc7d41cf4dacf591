#include "configstore.h"
#include "gpucontroller.h"
#include "inprocessdriver.h"
#include "korvo_combobox.h"
#include "korvo_messagebox.h"
#include "korvo_overclockingwidget.h"
#include "korvo_sendnvcardinfothread.h"
#include "korvo_sliderwidget.h"
#include "lumetra2.h"
#include "lumetraresources.h"
#include "mainwindowfixture.h"
#include "makerids.h"
#include "rollstackwidget.h"
#include "simdriver.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <memory>

// The main window against the simulated driver loaded in-process, in a scratch program folder.
class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fixture;
    QList<int> m_boxes; // the type of every box shown
    struct Placement
    {
        QWidget *parent;
        int yOffset;
        Qt::WindowFlags flags;
        int language;
    };
    QList<Placement> m_placements;
    QStringList m_boxTexts;
    int m_answer = MsgBoxResultYes;
    bool m_tick = false;

    static SimCardConfig korvo()
    {
        return MainWindowFixture::card(
            "GeForce GTX 1070 Ti", 0x111E0000u | MakerSubsystemVendorId, true, true);
    }
    static SimCardConfig foreign()
    {
        return MainWindowFixture::card("NVIDIA GeForce RTX 2060", 0x20607E57u, false, false);
    }

    static QPushButton *button(Lumetra2 &window, const char *name)
    {
        return window.findChild<QPushButton *>(QLatin1String(name));
    }

    // A config.xml whose dates are long past, with the given general settings.
    void seedConfig(const GeneralSettingRecord &general)
    {
        QVERIFY(MainWindowFixture::seedConfig([&](ConfigStore &store) { store.setGeneralSetting(general); }));
    }

    QString autostartFile() const
    {
        return m_fixture->filePath(QStringLiteral("xdg/autostart/_Lumetra2.desktop"));
    }

    // The arguments of a desktop entry's Exec value: string escapes first, then the quoting of arguments,
    // then the field codes.
    static QStringList execArguments(const QString &value)
    {
        QString unescaped;
        for (int i = 0; i < value.size(); ++i) {
            if (value.at(i) == QLatin1Char('\\') && i + 1 < value.size()) {
                const QChar next = value.at(++i);
                unescaped += next == QLatin1Char('s') ? QLatin1Char(' ') : next;
                continue;
            }
            unescaped += value.at(i);
        }
        QStringList arguments;
        QString current;
        bool quoted = false;
        bool inArgument = false;
        for (int i = 0; i < unescaped.size(); ++i) {
            const QChar c = unescaped.at(i);
            if (quoted) {
                if (c == QLatin1Char('\\') && i + 1 < unescaped.size())
                    current += unescaped.at(++i);
                else if (c == QLatin1Char('"'))
                    quoted = false;
                else
                    current += c;
            } else if (c == QLatin1Char('"')) {
                quoted = inArgument = true;
            } else if (c == QLatin1Char(' ')) {
                if (inArgument)
                    arguments << current;
                current.clear();
                inArgument = false;
            } else {
                current += c;
                inArgument = true;
            }
        }
        if (inArgument)
            arguments << current;
        // The field codes come last: a literal percent sign is written twice.
        for (QString &argument : arguments)
            argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
        return arguments;
    }

    static QString entryValue(const QString &entry, const QString &key)
    {
        for (const QString &line : entry.split(QLatin1Char('\n'))) {
            if (line.startsWith(key + QLatin1Char('=')))
                return line.mid(key.size() + 1);
        }
        return QString();
    }

    static void finishSlide(Lumetra2 &window)
    {
        for (int i = 0; i < 200 && window.isCircleMoving(); ++i)
            window.onMoveCircleWidgetTimerTimeout();
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        m_fixture = std::make_unique<MainWindowFixture>([this](Korvo_MessageBox *box) {
            m_boxes.append(box->type());
            m_boxTexts.append(box->text());
            m_placements.append({ box->parentWidget(), box->yOffset(), box->windowFlags(), box->language() });
            if (m_tick && box->checkBox())
                box->checkBox()->setChecked(true);
            if (m_answer == MsgBoxResultNo && box->noButton())
                box->noButton()->click();
            else
                box->yesButton()->click();
        });
        QVERIFY(m_fixture->isValid());
        m_boxes.clear();
        m_boxTexts.clear();
        m_placements.clear();
        m_answer = MsgBoxResultYes;
        m_tick = false;
    }

    void cleanup() { m_fixture.reset(); }

    void defaultCardLayout()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QVERIFY(!window.isVisible());
        QCOMPARE(window.size(), QSize(800, 507));
        QCOMPARE(window.cardCount(), 1);
        QCOMPARE(window.cardSelector()->count(), 1);
        QCOMPARE(window.cardSelector()->currentText(), QStringLiteral("Korvo 1070 Ti"));
        QCOMPARE(window.cardSelector()->itemData(0).toInt(), 0);
        QVERIFY(window.cards().first().hasLed);
        QVERIFY(window.cards().first().hasLcd);
        window.show();
        QPushButton *first = button(window, "btnFirstTab");
        QPushButton *second = button(window, "btnSecondTab");
        QVERIFY(first->isVisible());
        QVERIFY(second->isVisible());
        QCOMPARE(first->text(), QStringLiteral("LED"));
        QCOMPARE(second->text(), QStringLiteral("LCD"));
        QCOMPARE(first->geometry(), QRect(430, 0, 158, 28));
        QCOMPARE(second->geometry(), QRect(566, 0, 145, 28));
        QCOMPARE(window.cardSelector()->geometry(), QRect(250, 63, 300, 50));
        QCOMPARE(button(window, "btnGpuFixedInfo")->geometry(), QRect(280, 52, 20, 20));
        QCOMPARE(button(window, "btnAdjust")->geometry(), QRect(650, 120, 80, 20));
        QCOMPARE(button(window, "btnMonitor")->geometry(), QRect(565, 120, 80, 20));
        QCOMPARE(button(window, "btnBoardTemp")->geometry(), QRect(565, 95, 80, 20));
        QCOMPARE(button(window, "btnHighPerformance")->geometry(), QRect(480, 120, 80, 20));
        QCOMPARE(button(window, "btnSetting")->geometry(), QRect(776, 62, 19, 19));
        QCOMPARE(button(window, "btnMinimize")->geometry(), QRect(776, 92, 19, 19));
        QCOMPARE(button(window, "btnClose")->geometry(), QRect(776, 122, 19, 19));
        QCOMPARE(window.circleArea()->geometry(), QRect(162, 72, 476, 476));
        QCOMPARE(window.pageArea()->geometry(), QRect(443, 158, 285, 294));
        QVERIFY(!window.pageArea()->isVisible());
        // The card's board sensors answer, so its board page can be opened.
        QVERIFY(button(window, "btnBoardTemp")->isVisible());
        // The maker's 1070 Ti with model code 14 has the preset.
        QVERIFY(button(window, "btnHighPerformance")->isVisible());
        QCOMPARE(button(window, "btnMonitor")->font().pixelSize(), 15);
        QCOMPARE(first->font().pixelSize(), 21);
        QVERIFY(m_boxes.isEmpty());
    }

    void identicalAndForeignCards()
    {
        SimDriver::instance().setCards({ korvo(), korvo(), foreign() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        QCOMPARE(window.cardCount(), 3);
        Korvo_ComboBox *selector = window.cardSelector();
        QCOMPARE(selector->itemText(0), QStringLiteral("Korvo 1070 Ti"));
        QCOMPARE(selector->itemText(1), QStringLiteral("Korvo 1070 Ti 1"));
        QCOMPARE(selector->itemText(2), QStringLiteral("GeForce RTX 2060"));
        QCOMPARE(window.cards().at(1).fullName, QStringLiteral("GeForce GTX 1070 Ti 1"));
        QVERIFY(!window.session(3));
        for (int i = 0; i < 3; ++i) {
            CardSession *session = window.session(i);
            QVERIFY(session);
            QVERIFY(session->controller());
            QVERIFY(session->sampler()->isRunning());
            QCOMPARE(session->controller()->selectedIndex(), i);
        }
        QPushButton *hps = button(window, "btnHighPerformance");
        QVERIFY(hps->isVisible());

        selector->setCurrentIndex(2);
        QCOMPARE(window.currentCard(), 2);
        QVERIFY(!button(window, "btnFirstTab")->isVisible());
        QVERIFY(!button(window, "btnSecondTab")->isVisible());
        QVERIFY(!hps->isVisible());
        // The suffixed full name does not qualify.
        selector->setCurrentIndex(1);
        QVERIFY(!hps->isVisible());
        QVERIFY(button(window, "btnFirstTab")->isVisible());

        window.close();
        ConfigStore saved;
        QVERIFY(saved.load());
        QStringList names;
        for (const GpuEntry &entry : saved.cards()) {
            names.append(entry.GpuName);
            QCOMPARE(entry.SubSystemId,
                entry.GpuName.contains(QLatin1String("2060")) ? 0x20607E57u
                                                              : (0x111E0000u | MakerSubsystemVendorId));
        }
        QCOMPARE(names,
            QStringList({ QStringLiteral("GeForce GTX 1070 Ti"), QStringLiteral("GeForce GTX 1070 Ti 1"),
                QStringLiteral("NVIDIA GeForce RTX 2060") }));
    }

    void lcdOnlyCardHasOneLcdTab()
    {
        SimDriver::instance().setCards({ MainWindowFixture::card(
            "GeForce GTX 1070 Ti", 0x111E0000u | MakerSubsystemVendorId, false, true) });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        QPushButton *first = button(window, "btnFirstTab");
        QVERIFY(first->isVisible());
        QCOMPARE(first->text(), QStringLiteral("LCD"));
        QVERIFY(!button(window, "btnSecondTab")->isVisible());
        first->click();
        QCOMPARE(window.pageIndex(), int(PageLcd));
        QVERIFY(first->isChecked());
    }

    void tabSlotsSelectTheTabOfTheirPage()
    {
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            window.show();
            QPushButton *first = button(window, "btnFirstTab");
            QPushButton *second = button(window, "btnSecondTab");
            // Called directly, as a page or the update flow may: the tab labelled for the page stays checked.
            second->setChecked(true);
            window.onBtnLCDClicked(true);
            QCOMPARE(window.pageIndex(), int(PageLcd));
            QVERIFY(second->isChecked());
            QVERIFY(window.pageArea()->isVisible());
            first->setChecked(true);
            window.onBtnLEDClicked(true);
            QCOMPARE(window.pageIndex(), int(PageLed));
            QVERIFY(first->isChecked());
            QVERIFY(!second->isChecked());
        }
        SimDriver::instance().setCards({ MainWindowFixture::card(
            "GeForce GTX 1070 Ti", 0x111E0000u | MakerSubsystemVendorId, false, true) });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        QPushButton *first = button(window, "btnFirstTab");
        first->setChecked(true);
        window.onBtnLCDClicked(true);
        QCOMPARE(window.pageIndex(), int(PageLcd));
        QVERIFY(first->isChecked());
    }

    void pageButtonSlidesTheCircleAndBack()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        QPushButton *monitor = button(window, "btnMonitor");
        monitor->click();
        QCOMPARE(window.pageIndex(), int(PageMonitor));
        QVERIFY(window.isCircleMoving());
        QVERIFY(window.pageArea()->isVisible());
        window.onMoveCircleWidgetTimerTimeout();
        QCOMPARE(window.circleArea()->pos(), QPoint(152, 72));
        finishSlide(window);
        QCOMPARE(window.circleArea()->pos(), QPoint(-28, 72));
        QVERIFY(window.pageArea()->isRollEnabled());

        // Another page while one is open: the first unchecks, the circle stays left.
        button(window, "btnGpuFixedInfo")->click();
        QVERIFY(!monitor->isChecked());
        QCOMPARE(window.pageIndex(), int(PageFixedInfo));
        window.onMoveCircleWidgetTimerTimeout();
        QVERIFY(!window.isCircleMoving());
        QCOMPARE(window.circleArea()->pos(), QPoint(-28, 72));

        // Unchecking the open page goes home.
        button(window, "btnGpuFixedInfo")->click();
        QCOMPARE(window.pageIndex(), int(PageHome));
        QVERIFY(!window.pageArea()->isVisible());
        QVERIFY(!window.pageArea()->isRollEnabled());
        window.onMoveCircleWidgetTimerTimeout();
        QCOMPARE(window.circleArea()->pos(), QPoint(-18, 72));
        finishSlide(window);
        QCOMPARE(window.circleArea()->pos(), QPoint(162, 72));
        // And the timer does it by itself.
        monitor->click();
        QTRY_COMPARE_WITH_TIMEOUT(window.circleArea()->pos(), QPoint(-28, 72), 2000);
    }

    void adjustWarningAtMostOncePerRun()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        QPushButton *adjust = button(window, "btnAdjust");
        m_answer = MsgBoxResultNo;
        adjust->click();
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxTexts.first(),
            QStringLiteral("不正当的调节可能造成系统不稳定，严重可能损坏显卡，是否继续?"));
        QVERIFY(!adjust->isChecked());
        QCOMPARE(window.pageIndex(), int(PageHome));
        QVERIFY(!window.isCircleMoving());

        m_answer = MsgBoxResultYes;
        adjust->click();
        QCOMPARE(m_boxes.size(), 2);
        QVERIFY(adjust->isChecked());
        QCOMPARE(window.pageIndex(), int(PageOverClocking));
        adjust->click();
        QCOMPARE(window.pageIndex(), int(PageHome));
        adjust->click();
        QCOMPARE(window.pageIndex(), int(PageOverClocking));
        QCOMPARE(m_boxes.size(), 2);
    }

    void highPerformanceHintOncePerRun()
    {
        SimDriver::instance().setCards({ foreign(), korvo() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        // Not a qualifying card: nothing, and the hint stays pending.
        window.promptHighPerformance();
        QCOMPARE(m_boxes.size(), 0);
        m_tick = true;
        window.cardSelector()->setCurrentIndex(1);
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first(), int(MsgBoxDontShowAgain));
        QCOMPARE(m_boxTexts.first(), QStringLiteral("检测到GeForce GTX 1070 Ti，可激活高性能模式。"));
        // Over the window, 20 px above the centre, with a title-less frame.
        QCOMPARE(m_placements.first().parent, &window);
        QCOMPARE(m_placements.first().yOffset, -20);
        QVERIFY(m_placements.first().flags & Qt::CustomizeWindowHint);
        QVERIFY(m_placements.first().flags & Qt::WindowTitleHint);
        QCOMPARE(m_placements.first().language, int(Chinese));
        window.promptHighPerformance();
        window.cardSelector()->setCurrentIndex(0);
        window.cardSelector()->setCurrentIndex(1);
        QCOMPARE(m_boxes.size(), 1);
        bool flag = false;
        QVERIFY(window.store().getNotPromptHPS(flag));
        QVERIFY(flag);
    }

    void hintRespectsTheStoredFlag()
    {
        {
            ConfigStore store;
            store.load();
            store.setNotPromptHPS(true);
            QVERIFY(store.save());
        }
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        window.promptHighPerformance();
        QCOMPARE(m_boxes.size(), 0);
    }

    // The switch acts on the selected card's page, the page's values reach config.xml at close, and the
    // next start applies them again.
    void overClockingPageFollowsTheSwitchAndIsStoredAndRestored()
    {
        const quint32 subsystem = 0x111E0000u | MakerSubsystemVendorId;
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            window.show();
            auto *page = window.session(0)->pages().overClockingPage.data();
            QVERIFY(page);
            QCOMPARE(
                page->row(Korvo_OverClockingWidget::RowGpuClock)->text(), QStringLiteral("核心频率(MHz)"));
            QPushButton *hps = button(window, "btnHighPerformance");
            QVERIFY(hps->isVisible());
            hps->click();
            QVERIFY(page->isHighPerformanceMode());
            QVERIFY(hps->isChecked());
            QCOMPARE(SimDriver::instance().tuning(0).gpuOffsetKhz, (1759 - 1607) * 1000);
            hps->click();
            QVERIFY(!page->isHighPerformanceMode());
            QVERIFY(!hps->isChecked());
            QCOMPARE(SimDriver::instance().tuning(0).gpuOffsetKhz, 0);
            // A manual apply while the preset is on turns the switch off.
            hps->click();
            page->row(Korvo_OverClockingWidget::RowGpuClock)->setValue(1700);
            page->onBtnApplyClick();
            QVERIFY(!hps->isChecked());
            QCOMPARE(SimDriver::instance().tuning(0).gpuOffsetKhz, 93000);
            window.close();
        }
        ConfigStore saved;
        QVERIFY(saved.load());
        AdjustRecord record;
        QVERIFY(saved.getAdjustRecord(QStringLiteral("GeForce GTX 1070 Ti"), subsystem, record));
        QCOMPARE(record.GpuFreClock, 1700);
        QVERIFY(!record.EnableHighPerformance);

        // A fresh driver stands for a restarted machine: the card is back at its defaults.
        m_fixture->restartDriver();
        QCOMPARE(SimDriver::instance().tuning(0).gpuOffsetKhz, 0);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(SimDriver::instance().tuning(0).gpuOffsetKhz, 93000);
    }

    void closingWritesSettingsDatesAndAutostart()
    {
        GeneralSettingRecord general;
        general.ApplyLastParamOnStart = false;
        general.Language = QStringLiteral("lang_en");
        seedConfig(general);
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            window.show();
            m_answer = MsgBoxResultNo;
            QTest::mouseClick(button(window, "btnClose"), Qt::LeftButton);
            QCOMPARE(m_boxes.size(), 1);
            QCOMPARE(m_boxTexts.first(), QStringLiteral("Exit program?"));
            QVERIFY(window.isVisible());
            m_answer = MsgBoxResultYes;
            QTest::mouseClick(button(window, "btnClose"), Qt::LeftButton);
            QVERIFY(!window.isVisible());
        }
        QFile file(QStringLiteral("config.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(file.readAll());
        QVERIFY2(xml.contains(QStringLiteral("<LastCloseDate>")
                     + QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"))),
            qPrintable(xml));
        ConfigStore saved;
        QVERIFY(saved.load());
        GeneralSettingRecord read;
        QVERIFY(saved.getGeneralSetting(read));
        QCOMPARE(read, general);
        QCOMPARE(saved.cards().size(), 1);
        QCOMPARE(saved.cards().first().GpuName, QStringLiteral("GeForce GTX 1070 Ti"));
        QFile entry(autostartFile());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString desktop = QString::fromUtf8(entry.readAll());
        QVERIFY(desktop.contains(QStringLiteral("[Desktop Entry]")));
        QVERIFY(desktop.contains(
            QStringLiteral("Exec=\"") + QCoreApplication::applicationFilePath() + QLatin1Char('"')));
    }

    void autostartOffRemovesTheEntry()
    {
        QDir().mkpath(QFileInfo(autostartFile()).path());
        QFile old(autostartFile());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        GeneralSettingRecord general;
        general.StartOnBoot = false;
        seedConfig(general);
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            window.onExitAppAction();
        }
        QVERIFY(!QFile::exists(autostartFile()));
        ConfigStore saved;
        QVERIFY(saved.load());
        QCOMPARE(saved.cards().size(), 1);
    }

    // Started at log-on, the program has only what the entry gives it: the entry carries the variables that
    // find the driver and the cards, quoted so that any path survives, and passes desktop-file-validate.
    void autostartEntryCarriesTheDriverEnvironment()
    {
        const QString library = m_fixture->filePath(QStringLiteral("driver dir/lib\"nv$HOME`x`%u\\.so"));
        const QString cards = QStringLiteral("/srv/cards with 'quotes'/three-cards.xml");
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            qputenv("LUMETRA_NVAPI_LIBRARY", library.toLocal8Bit());
            qputenv("LUMETRA_SIM_CARDS", cards.toLocal8Bit());
            window.onExitAppAction();
            qunsetenv("LUMETRA_NVAPI_LIBRARY");
            qunsetenv("LUMETRA_SIM_CARDS");
        }
        QFile entry(autostartFile());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString desktop = QString::fromUtf8(entry.readAll());
        QCOMPARE(execArguments(entryValue(desktop, QStringLiteral("Exec"))),
            QStringList({ QStringLiteral("env"), QStringLiteral("LUMETRA_NVAPI_LIBRARY=") + library,
                QStringLiteral("LUMETRA_SIM_CARDS=") + cards, QCoreApplication::applicationFilePath() }));

        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(QStringLiteral("desktop-file-validate"), { autostartFile() });
        QVERIFY2(validate.waitForStarted(5000), "desktop-file-validate (desktop-file-utils) is missing");
        QVERIFY(validate.waitForFinished(10000));
        const QString report = QString::fromUtf8(validate.readAll());
        QVERIFY2(validate.exitCode() == 0 && report.trimmed().isEmpty(), qPrintable(desktop + report));
    }

    // Without the variables the entry starts the program alone, as the Run key does.
    void autostartEntryWithoutEnvironment()
    {
        qunsetenv("LUMETRA_NVAPI_LIBRARY");
        qunsetenv("LUMETRA_SIM_CARDS");
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            window.onExitAppAction();
        }
        QFile entry(autostartFile());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString desktop = QString::fromUtf8(entry.readAll());
        QCOMPARE(execArguments(entryValue(desktop, QStringLiteral("Exec"))),
            QStringList({ QCoreApplication::applicationFilePath() }));
    }

    // Hidden to the tray and shown again, the window stays where it was, also where it was placed by the
    // window system rather than by a drag.
    void restoredWindowKeepsItsPlace()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint); // as start-up does
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint centred = window.pos();
        window.hide();
        window.onShowMainAction();
        QCOMPARE(window.pos(), centred);

        const QPoint placed = centred + QPoint(37, -23);
        window.windowHandle()->setPosition(placed);
        QTRY_COMPARE(window.pos(), placed);
        window.hide();
        window.onShowMainAction();
        QVERIFY(window.isVisible());
        QCOMPARE(window.pos(), placed);
        window.hide();
        window.onShowMainAction();
        QCOMPARE(window.pos(), placed);
    }

    void minimiseWithoutTrayKeepsTheWindowReachable()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        QTest::mouseClick(button(window, "btnMinimize"), Qt::LeftButton);
        QVERIFY(window.isVisible());
        QVERIFY(window.isMinimized());
        window.onShowMainAction();
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
    }

    void trayRestoresOnlyOnSingleClick()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(window.trayIcon()->toolTip(), QStringLiteral("Lumetra2"));
        QCOMPARE(window.trayIcon()->contextMenu()->actions().size(), 3);
        QMenu *menu = window.trayIcon()->contextMenu();
        QCOMPARE(menu->actions().first(), window.findChild<QAction *>(QStringLiteral("show")));
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("显示"));
        QVERIFY(menu->actions().at(1)->isSeparator());
        QCOMPARE(menu->actions().last(), window.findChild<QAction *>(QStringLiteral("exit")));
        QCOMPARE(menu->actions().last()->text(), QStringLiteral("退出"));
        QCOMPARE(menu->minimumWidth(), 150);
        QCOMPARE(menu->font().family(), QStringLiteral("微软雅黑"));
        window.onActivatedSysTrayIcon(QSystemTrayIcon::DoubleClick);
        window.onActivatedSysTrayIcon(QSystemTrayIcon::Context);
        QVERIFY(!window.isVisible());
        window.onActivatedSysTrayIcon(QSystemTrayIcon::Trigger);
        QVERIFY(window.isVisible());
        // The hint comes with the first showing.
        QCOMPARE(m_boxes.size(), 1);
    }

    void escapeDoesNotHideTheWindow()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isVisible());
    }

    void noCardLeavesTheListsEmpty()
    {
        SimDriver::instance().clearCards();
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(window.cardCount(), 0);
        QVERIFY(window.cards().isEmpty());
        QCOMPARE(window.cardSelector()->count(), 0);
        window.showCurrentPage();
        window.promptHighPerformance();
        QCOMPARE(m_boxes.size(), 0);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
