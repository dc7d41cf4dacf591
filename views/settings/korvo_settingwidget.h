#pragma once

#include "lang_settings.h"
#include "languagetype.h"
#include "settingsrecords.h"

#include <QPixmap>
#include <QRegion>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

/// The settings page: start-up, language, page effects, refresh time and update settings, with the manual
/// update check and the update log. Combo boxes report a change at once; check boxes and radio buttons are
/// read only when the window asks for the values.
class Korvo_SettingWidget : public QWidget
{
    Q_OBJECT

public:
    static const char *const BackgroundImage;

    explicit Korvo_SettingWidget(QWidget *parent = nullptr);

    /// Shows both records. A value no item carries selects the item of the default: English for the
    /// language, one week for the check interval, the first item for the others.
    void loadSettings(const GeneralSettingRecord &general, const UpdateSettingRecord &update);
    /// What the page shows; UpdateStatus as it was loaded.
    void readSettings(GeneralSettingRecord &general, UpdateSettingRecord &update) const;
    void setLanguageTexts(const Lang_Settings &texts, LanguageType language);
    LanguageType language() const { return m_language; }

    QCheckBox *startOnBootBox() const { return m_startOnBoot; }
    QCheckBox *minimizeOnStartBox() const { return m_minimizeOnStart; }
    QCheckBox *applyLastSettingBox() const { return m_applyLastSetting; }
    QComboBox *pageEffectCombo() const { return m_pageEffect; }
    QComboBox *languageCombo() const { return m_languageCombo; }
    QComboBox *refreshTimeCombo() const { return m_refreshTime; }
    QComboBox *updateFrequencyCombo() const { return m_updateFrequency; }
    QRadioButton *automaticInstallRadio() const { return m_automaticInstall; }
    QRadioButton *notifyRadio() const { return m_notify; }
    QPushButton *detectUpdateButton() const { return m_detectUpdate; }
    QPushButton *updateLogButton() const { return m_updateLog; }

signals:
    void dectectUpdate();
    void _languageChanged();
    void _pageEffectChanged();
    void _refreshTimeChanged();

public slots:
    void onBtnDectectUpdateClick();
    void onCmbLanguageChanged(int index);
    void onCmbPageEffectChanged(int index);
    void onCmbPageRefreshChanged(int index);
    void onBtnUpdateLogClick();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void buildWidgets();
    void placeWidgets();
    QComboBox *makeCombo(const char *objectName);
    QLabel *makeLabel(const char *objectName, bool heading);

    GeneralSettingRecord m_general;
    UpdateSettingRecord m_update;
    Lang_Settings m_texts;
    LanguageType m_language = Chinese;
    QPixmap m_background;
    QRegion m_backgroundShape;
    bool m_backgroundLoaded = false;
    QLabel *m_lblSetting = nullptr;
    QLabel *m_lblBoot = nullptr;
    QCheckBox *m_startOnBoot = nullptr;
    QCheckBox *m_minimizeOnStart = nullptr;
    QCheckBox *m_applyLastSetting = nullptr;
    QLabel *m_lblPageEffect = nullptr;
    QComboBox *m_pageEffect = nullptr;
    QLabel *m_lblLanguage = nullptr;
    QComboBox *m_languageCombo = nullptr;
    QLabel *m_lblMonitor = nullptr;
    QLabel *m_lblRefreshTime = nullptr;
    QComboBox *m_refreshTime = nullptr;
    QLabel *m_lblUpdateInOnline = nullptr;
    QLabel *m_lblUpdateFrequency = nullptr;
    QComboBox *m_updateFrequency = nullptr;
    QRadioButton *m_automaticInstall = nullptr;
    QRadioButton *m_notify = nullptr;
    QPushButton *m_detectUpdate = nullptr;
    QPushButton *m_updateLog = nullptr;
};
