#pragma once

#include "lang_overclocking.h"
#include "languagetype.h"
#include "settingsrecords.h"
#include "tuningstate.h"

#include <QPixmap>
#include <QWidget>

#include <array>

class CardCommandSequence;
class GpuController;
class Korvo_SetUserDefineFanSpeedThread;
class Korvo_SliderWidget;
class Korvo_UserDefineFanSpeed;
class QButtonGroup;
class QCheckBox;
class QPushButton;

/// The page on which the user tunes a card: six slider rows (core clock, fan, voltage, memory clock, power
/// and temperature target), the fan mode, the power/temperature link, the fan curve editor and Apply, Cancel
/// and Default. Nothing reaches the card before Apply is confirmed. It also carries the card's
/// high-performance preset. Every call goes to the card's controller on the GUI thread; the user-defined
/// curve runs on the card's fan curve thread, which the page starts and stops but does not own.
class Korvo_OverClockingWidget : public QWidget
{
    Q_OBJECT

public:
    enum Row {
        RowGpuClock = 0,
        RowFan = 1,
        RowVoltage = 2,
        RowMemoryClock = 3,
        RowPower = 4,
        RowThermal = 5
    };
    static constexpr int RowCount = 6;
    /// The card settles before the page reads back what it wrote.
    static constexpr int ReadBackPauseMs = 500;
    /// The longest the page waits for the fan curve thread to leave a driver call before a cooler write.
    static constexpr int FanThreadStopMs = 3000;

    /// Starts from the stored record: applies it once (or the preset it asks for). The page's start-up talk
    /// with the card (the reading, the stored values' writes, the pause and the read-back) joins `startUp`
    /// when given, and the page waits, disabled, until it has run; without one it runs before the
    /// constructor returns.
    Korvo_OverClockingWidget(GpuController *controller, Korvo_SetUserDefineFanSpeedThread *fanThread,
        const AdjustRecord &stored, QWidget *parent = nullptr, CardCommandSequence *startUp = nullptr);
    /// Starts from what the card reports, writing nothing.
    Korvo_OverClockingWidget(GpuController *controller, Korvo_SetUserDefineFanSpeedThread *fanThread,
        QWidget *parent = nullptr, CardCommandSequence *startUp = nullptr);
    ~Korvo_OverClockingWidget() override;

    void setLanguageTexts(const Lang_OverClocking &texts, LanguageType language);
    /// Switches the preset; false when the card cannot have it (then the mode is off).
    bool setHighPerformanceMode(bool on);
    bool isHighPerformanceMode() const { return m_highPerformance; }
    /// The start-up talk with the card has run: the rows show the card, and the page may write to it.
    bool isCardStateReady() const { return m_cardStateReady; }
    void saveAdjustRecord(AdjustRecord &record) const;

    // For the window's tests and screenshots.
    Korvo_SliderWidget *row(int index) const { return m_rows.at(std::size_t(index)); }
    QPushButton *applyButton() const { return m_btnApply; }
    QPushButton *cancelButton() const { return m_btnCancel; }
    QPushButton *defaultButton() const { return m_btnDefault; }
    QPushButton *fanAutoButton() const { return m_btnFanAuto; }
    QPushButton *fanManualButton() const { return m_btnFanManual; }
    QPushButton *fanUserDefinedButton() const { return m_btnFanUserDefined; }
    QPushButton *userDefineConfigButton() const { return m_btnUserDefineConfig; }
    QCheckBox *linkCheckBox() const { return m_linkCheckBox; }
    Korvo_UserDefineFanSpeed *curveEditor() const { return m_curveEditor; }
    bool isEditingCurve() const { return m_curveEditing == 1; }
    QList<QPoint> storedCurve() const { return m_storedCurve; }
    const TuningState &workingState() const { return m_working; }
    const TuningState &appliedState() const { return m_applied; }

signals:
    void adjustChanged(QString currentValue, QString changedValue, int changedSize);
    void closeDisplayAdjustInfo();
    void highPerformanceModeChanged(bool bChanged);
    /// The start-up talk with the card has run.
    void cardStateReady();

public slots:
    void onSliderChanged(Korvo_SliderWidget *sender);
    void onSliderMoved(Korvo_SliderWidget *sender, int move);
    void onSliderReleased(Korvo_SliderWidget *sender);
    void onBtnApplyClick();
    void onBtnCancleClick();
    void onBtnDefaultClick();
    void onBtnFanAutoClick();
    void onBtnFanManualClick();
    void onBtnFanUserDefinedClick();
    void onLinkCheckBoxToggle(bool checked);
    void onBtnUserDefineConfigClick();
    void showPage();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void buildWidgets();
    void readTuningState();
    void setRowsFromState(const TuningState &state);
    void collectFromRows();
    /// Writes the working state to the card and reads it back; false when the card refused a value of a
    /// row the user could change.
    bool applyTuningState();
    /// The writes of applyTuningState, without the pause and the read-back.
    bool writeTuningState();
    /// Reads the card after a write and shows it: the new applied state.
    void readBack();
    /// The start-up talk with the card, queued on `sequence` (a stored record may be null).
    void queueStartUp(CardCommandSequence &sequence, const AdjustRecord *stored);
    /// Puts a stored record into the working state and writes it (or the preset it asks for); true when
    /// something was written, so that a read-back must follow.
    bool writeStoredRecord(const AdjustRecord &stored);
    /// After the read-back of a stored preset: the mode is on, and off means stock values.
    void finishStoredPreset();
    void becomeReady();
    /// Whether the card may run the preset, with the preset's clock for it (0 when the table has none).
    bool presetEligible(int &boostMhz) const;
    /// Stops the fan curve thread within FanThreadStopMs; false when it is still in a driver call.
    bool stopFanThread();
    void pauseForReadBack() const;
    void setEditButtonsVisible(bool applyAndCancel, bool defaultToo);
    void showSliders(bool visible);
    void redrawBackground();
    int referenceValue(int rowIndex) const;
    int rowIndexOf(const Korvo_SliderWidget *sender) const;

    GpuController *m_controller = nullptr;
    Korvo_SetUserDefineFanSpeedThread *m_fanThread = nullptr;
    TuningState m_working;
    TuningState m_applied;
    TuningState m_highPerformanceBackup;
    bool m_highPerformance = false;
    bool m_cardStateReady = false;
    /// Set between a stored preset's writes and their read-back at start-up.
    bool m_storedPresetPending = false;
    /// Set between writes to the card and the read-back that shows what it took.
    bool m_readBackPending = false;
    int m_curveEditing = 0;
    QList<QPoint> m_storedCurve;
    Lang_OverClocking m_texts;
    LanguageType m_language = Chinese;
    /// Set while the page moves the rows itself: what the rows echo is not the user's.
    bool m_settingRows = false;
    /// Set while the link rule moves the other row: its echo must not link back.
    bool m_linking = false;

    std::array<Korvo_SliderWidget *, RowCount> m_rows {};
    QPushButton *m_btnFanAuto = nullptr;
    QPushButton *m_btnFanManual = nullptr;
    QPushButton *m_btnFanUserDefined = nullptr;
    QButtonGroup *m_fanGroup = nullptr;
    QPushButton *m_btnUserDefineConfig = nullptr;
    QCheckBox *m_linkCheckBox = nullptr;
    QPushButton *m_btnApply = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QPushButton *m_btnDefault = nullptr;
    Korvo_UserDefineFanSpeed *m_curveEditor = nullptr;
    QPixmap m_background;
};
