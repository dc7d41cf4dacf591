#pragma once

#include <QList>
#include <QWidget>

class QTimer;

/// The page area: holds every card's pages on top of each other, shows at most one and changes pages by a
/// horizontal roll (the new page comes in from beyond the right edge, the old one leaves to the left). While
/// disabled, pages are switched invisibly.
class RollStackWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int StepIntervalMs = 15;
    static constexpr int StepPx = 15;

    explicit RollStackWidget(QWidget *parent = nullptr);

    void addPage(QWidget *widget);
    void rollTo(QWidget *widget);
    void setRollEnabled(bool enabled);
    void disableRoll();
    void resetRoll();
    bool isRollEnabled() const { return m_enabled; }

    QList<QWidget *> pages() const { return m_pages; }
    QWidget *currentPage() const { return m_current; }
    QWidget *outgoingPage() const { return m_outgoing; }
    bool isRolling() const;
    int startX() const { return m_startX; }

public slots:
    void onSettingTimerTimeout();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QList<QWidget *> m_pages;
    QTimer *m_timer = nullptr;
    int m_incomingX = 0;
    int m_incomingY = 0;
    int m_startX = 0;
    int m_startY = 0;
    int m_outgoingX = 0;
    int m_outgoingY = 0;
    QWidget *m_current = nullptr;
    QWidget *m_outgoing = nullptr;
    bool m_enabled = false;
};
