#include "mainwindowtray.h"

#include <QAction>
#include <QMenu>

MainWindowTray::MainWindowTray(QWidget *window)
    : QObject(window)
    , m_icon(new QSystemTrayIcon(QIcon(QStringLiteral(":/images/images/icon.png")), this))
    , m_showAction(new QAction(this))
    , m_exitAction(new QAction(this))
{
    m_icon->setToolTip(QStringLiteral("Lumetra2"));
    connect(m_icon, &QSystemTrayIcon::activated, this, &MainWindowTray::activated);
    m_showAction->setObjectName(QStringLiteral("show"));
    m_exitAction->setObjectName(QStringLiteral("exit"));
    connect(m_showAction, &QAction::triggered, this, &MainWindowTray::showRequested);
    connect(m_exitAction, &QAction::triggered, this, &MainWindowTray::exitRequested);
    auto *menu = new QMenu(window);
    QFont menuFont = menu->font();
    menuFont.setFamily(QStringLiteral("微软雅黑"));
    menu->setFont(menuFont);
    menu->setMinimumWidth(150);
    menu->addAction(m_showAction);
    menu->addSeparator();
    menu->addAction(m_exitAction);
    m_icon->setContextMenu(menu);
    m_icon->setVisible(true);
}

void MainWindowTray::setTexts(const QString &display, const QString &exit)
{
    m_showAction->setText(display);
    m_exitAction->setText(exit);
}

void MainWindowTray::hide()
{
    m_icon->hide();
}
