#pragma once

#include "lang_lcdcontrol.h"
#include "languagetype.h"
#include "lcddisplaymode.h"
#include "settingsrecords.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

class Korvo_GlobalShortCut;
class Korvo_HotKeyEdit;
class Korvo_SendNvInfoToLCDThread;
class QCheckBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

/// The page that sets up one card's LCD: on or off, switched automatically every few seconds or by a global
/// hotkey. Changes take effect only when the user applies and confirms; Cancel shows the applied values
/// again. The page drives the card's LCD feeder (owned by the card's session, running from construction on)
/// and owns the hotkey.
class Korvo_LCDControllorWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MinSwitchSeconds = 1;
    static constexpr int MaxSwitchSeconds = 30;

    /// `feeder` may be null (nothing is sent then); the page starts it with the applied values.
    explicit Korvo_LCDControllorWidget(Korvo_SendNvInfoToLCDThread *feeder, QWidget *parent = nullptr);
    Korvo_LCDControllorWidget(
        Korvo_SendNvInfoToLCDThread *feeder, const LcdRecord &record, QWidget *parent = nullptr);

    /// The nine texts and the language, which picks the page's font family.
    void setLanguageTexts(const Lang_LcdControl &texts, LanguageType language);
    /// The applied values, as config.xml keeps them.
    LcdRecord currentLcdRecord() const;

    QRadioButton *automaticRadio() const { return m_automaticRadio; }
    QRadioButton *manualRadio() const { return m_manualRadio; }
    Korvo_HotKeyEdit *modifierEdit() const { return m_modifierEdit; }
    Korvo_HotKeyEdit *keyEdit() const { return m_keyEdit; }
    QSpinBox *timeBox() const { return m_timeBox; }
    QCheckBox *lcdSwitch() const { return m_lcdSwitch; }
    QPushButton *applyButton() const { return m_applyButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    Korvo_GlobalShortCut *hotkey() const { return m_hotkey; }
    /// Whether a combination is registered with the system right now.
    bool isHotKeyRegistered() const { return m_hotkeyRegistered; }

public slots:
    void onAutoSwitchToggled(bool checked);
    void onEnableLCDToggled(bool checked);
    void onConfirmClick();
    void onCancelClick();
    void onSendNvDataToLCDSuccess(bool success);
    void onHotKeyActivated();
    void onLineEditTextChanged(const QString &text);
    void onSpinBoxValueChanged(int value);
    void initWidget();
    void setLCDCurrentDisplayMode(LCDDisplayMode mode);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Metrics
    {
        int titleHeight = 0;
        int margin = 0;
        int rowHeight = 0;
        int labelX = 0;
        int timeLabelWidth = 0;
        int hotkeyLabelWidth = 0;
    };

    void showAppliedValues();
    void updateEnabledStates();
    void showEditButtons(bool visible);
    /// Registers the combination; when the system refuses it, the one registered before is taken back.
    bool registerHotKey(quint32 modifierKey, quint32 key);
    void releaseHotKey();
    Metrics metrics() const;
    void layoutWidgets();
    void drawBackground();

    Korvo_SendNvInfoToLCDThread *m_feeder = nullptr;
    QRadioButton *m_automaticRadio = nullptr;
    QRadioButton *m_manualRadio = nullptr;
    Korvo_HotKeyEdit *m_modifierEdit = nullptr;
    Korvo_HotKeyEdit *m_keyEdit = nullptr;
    QSpinBox *m_timeBox = nullptr;
    QCheckBox *m_lcdSwitch = nullptr;
    QPushButton *m_applyButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    Korvo_GlobalShortCut *m_hotkey = nullptr;
    LcdRecord m_applied;
    bool m_hotkeyRegistered = false;
    quint32 m_registeredModifier = 0;
    quint32 m_registeredKey = 0;
    Lang_LcdControl m_texts;
    LanguageType m_language = Chinese;
    QPixmap m_background;
};
