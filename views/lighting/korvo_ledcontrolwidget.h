#pragma once

#include "lang_ledcontrol.h"
#include "languagetype.h"
#include "settingsrecords.h"

#include <QColor>
#include <QPixmap>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <array>
#include <cstdint>

class CardCommandSequence;
class GpuController;
class Korvo_ColorButton;
class Korvo_ColorButtonGroup;
class Korvo_SendColorToLed;
class ModifySpinBox;
class QLabel;
class QPushButton;
class QRadioButton;

/// The page that sets one card's lighting: an effect, up to seven colours and an interval. Every choice goes
/// to the card's lighting controller at once, except "State-Display", for which the card's LED sender
/// colours the LEDs by temperature. The page never touches the settings store: the window asks it for its
/// record at close, and may build it from that record at the next start.
class Korvo_LEDControlWidget : public QWidget
{
    Q_OBJECT

public:
    /// The effects, by the LedMode value stored in the record.
    enum Mode {
        SingleBreath = 0, ///< hidden: single colour modes exist only for stored records and Reset
        SingleBright = 1, ///< hidden
        MultipleBreath = 2,
        MultipleBright = 3,
        StateDisplay = 4,
        Gradient = 5, ///< shown only for a controller of kind 3
        LedOff = 6,
    };
    static constexpr int ModeCount = 7;
    static constexpr int PresetCount = 7;
    static constexpr int CustomCount = 7;
    static constexpr int MaxColors = 7;
    static constexpr int MinInterval = 2;
    static constexpr int MaxInterval = 16;
    /// The delay between a palette change and its send.
    static constexpr int ColorSendDelayMs = 500;
    /// How long a send waits for the LED sender to let go of the card before it gives up.
    static constexpr int SenderStopWaitMs = 3000;
    /// The controller kind with the extra features (gradient, colour preview, stored commands).
    static constexpr int FeatureKind = 3;
    /// Set on the "Breath" and "Bright" radios while the single-colour mode of their effect runs; the style
    /// sheet draws them chosen then.
    static constexpr char TwinChosenProperty[] = "twinChosen";

    /// Default state: single-colour "Breath", red, interval 2. Either pointer may be null: without a
    /// controller nothing is sent, without a sender "State-Display" shows but does not run. The page's
    /// start-up talk with the card (the state read and its pauses) joins `startUp` when given, and the page
    /// waits, disabled, until it has run; without one it runs before the constructor returns.
    Korvo_LEDControlWidget(GpuController *controller, Korvo_SendColorToLed *sender, QWidget *parent = nullptr,
        CardCommandSequence *startUp = nullptr);
    /// The state of a stored record.
    Korvo_LEDControlWidget(GpuController *controller, Korvo_SendColorToLed *sender, const LedRecord &record,
        QWidget *parent = nullptr, CardCommandSequence *startUp = nullptr);
    ~Korvo_LEDControlWidget() override;

    static QColor presetColor(int index);

    void setLanguageTexts(const Lang_LedControl &texts, LanguageType language);
    LedRecord currentLedRecord() const;

    int controllerKind() const { return m_kind; }
    /// The start-up talk with the card has run: the page shows what the card has and takes input.
    bool isCardStateReady() const { return m_cardStateReady; }
    /// Whether the colour buttons, Reset and the interval take input (false in the modes without colours).
    bool colourControlsEnabled() const;
    int interval() const { return m_interval; }
    QRadioButton *radio(Mode mode) const { return m_radios[static_cast<std::size_t>(mode)]; }
    /// Presets 0 to 6, then custom buttons 7 to 13.
    Korvo_ColorButton *colorButton(int index) const { return m_buttons[static_cast<std::size_t>(index)]; }
    Korvo_ColorButton *customButton(int index) const { return colorButton(PresetCount + index); }
    Korvo_ColorButtonGroup *group() const { return m_group; }
    ModifySpinBox *intervalBox() const { return m_intervalBox; }
    QPushButton *resetButton() const { return m_resetButton; }
    Korvo_ColorButton *boundButton() const { return m_bound; }
    bool colorSendPending() const { return m_colorTimer.isActive(); }
    QString titleText() const { return m_texts.light; }

public slots:
    void onColorButtonClick(Korvo_ColorButton *button);
    /// Not connected: a double click on a colour button does nothing.
    void onColorButtonDuobleClick(Korvo_ColorButton *button);
    /// The palette's pick for the bound custom button.
    void setCurrentBindColorCircleButtonColor(const QColor &color);
    void onColorChangedTimerout();
    void onRdbSingleToggled(bool checked);
    void onRdbMultipleToggled(bool checked);
    void onRdbStateToggled(bool checked);
    void onRdbSleepToggled(bool checked);
    void onRdbGradientToggled(bool checked);
    void onSpinBoxIntervalValueChanged(int value);
    void onResetButtonClick();

signals:
    /// Asks the palette to show a colour.
    void colorButtonHasDoubleClick(const QColor &color);
    /// The colour controls were enabled or disabled: the palette beside the page follows, since in the
    /// modes without colours ("State-Display", "Gradient", "LED Off") it would change nothing.
    void colourControlsEnabledChanged(bool enabled);
    /// The start-up talk with the card has run.
    void cardStateReady();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void createWidgets();
    void applyRecord(const LedRecord &record);
    void connectSignals();
    void queueStartUp(CardCommandSequence *startUp, int pauseBeforeReadMs);
    void readControllerKind();
    void becomeReady();
    void setControlsEnabled(bool enabled);
    void showSingleModesOnTheirTwins();
    bool isCustom(const Korvo_ColorButton *button) const;
    /// Stops the LED sender within SenderStopWaitMs; false when it is still busy with the card.
    bool releaseCardFromSender();
    void sendToCard(bool store);
    void sendPreview(const QColor &color);
    void layoutChildren();
    void drawBackground();
    void askPalette(const QColor &color);

    QPixmap m_background;
    std::array<QRadioButton *, ModeCount> m_radios {};
    std::array<Korvo_ColorButton *, PresetCount + CustomCount> m_buttons {};
    ModifySpinBox *m_intervalBox = nullptr;
    QLabel *m_intervalLabel = nullptr;
    Korvo_ColorButtonGroup *m_group = nullptr;
    QPushButton *m_resetButton = nullptr;
    Korvo_ColorButton *m_bound = nullptr;
    QTimer m_colorTimer;
    GpuController *m_controller;
    Korvo_SendColorToLed *m_sender;
    int m_interval = MinInterval;
    int m_kind = 0;
    bool m_cardStateReady = false;
    Lang_LedControl m_texts;
    LanguageType m_language = Chinese;
    /// Set while the page itself moves the palette for a button click.
    bool m_ignorePaletteAnswer = false;
};
