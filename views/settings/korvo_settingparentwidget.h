#pragma once

#include "lang_settings.h"
#include "languagetype.h"
#include "settingsrecords.h"

#include <QWidget>

class Korvo_SettingWidget;
class QTimer;

/// The frame the settings page slides in and out of, at the main window's top right corner: opening moves
/// the page in leftwards 30 px every 15 ms, closing moves it out and then hides the frame. It forwards the
/// page's signals to the window.
class Korvo_SettingParentWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int SlideIntervalMs = 15;
    static constexpr int SlideStepPx = 30;

    Korvo_SettingParentWidget(
        const GeneralSettingRecord &general, const UpdateSettingRecord &update, QWidget *parent = nullptr);

    bool isOpen() const { return m_open; }
    bool isSliding() const;
    /// Fills both records from the page.
    void readSettings(GeneralSettingRecord &general, UpdateSettingRecord &update) const;
    void setLanguageTexts(const Lang_Settings &texts, LanguageType language);
    Korvo_SettingWidget *page() const { return m_page; }
    /// The page's x inside the frame: the frame's width when shut, 0 when open.
    int pageX() const { return m_x; }

signals:
    void languageChanged();
    void pageEffectChanged();
    void refreshTimeChanged();
    void detectUpdate();

public slots:
    void setShowSettingWidget(bool bShow);
    void _languageChanged();
    void _pageEffectChanged();
    void _refreshTimeChanged();
    void onDetectButtonClick();
    void onSettingTimerTimeout();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    Korvo_SettingWidget *m_page = nullptr;
    QTimer *m_timer = nullptr;
    int m_x = 0;
    int m_y = 0;
    bool m_open = false;
};
