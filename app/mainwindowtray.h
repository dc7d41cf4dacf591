#pragma once

#include <QObject>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QWidget;

/// The window's tray icon with its menu, "show" above "exit"; a click on the icon asks to show the window.
class MainWindowTray : public QObject
{
    Q_OBJECT

public:
    /// Shown at once; the menu's texts come with setTexts.
    explicit MainWindowTray(QWidget *window);

    QSystemTrayIcon *icon() const { return m_icon; }
    void setTexts(const QString &display, const QString &exit);
    void hide();

signals:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void showRequested();
    void exitRequested();

private:
    QSystemTrayIcon *m_icon;
    QAction *m_showAction;
    QAction *m_exitAction;
};
