#include "korvo_overclockingwidget.h"

#include "cardcommandsequence.h"
#include "gpucontroller.h"
#include "korvo_messagebox1.h"
#include "korvo_setuserdefinefanspeedthread.h"
#include "korvo_sliderwidget.h"
#include "korvo_userdefinefanspeed.h"
#include "lookkit.h"
#include "notchedpanel.h"
#include "tuningrules.h"
#include "workersleep.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QThread>

namespace {

QPushButton *makeFanButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus);
    QFont font(QStringLiteral("Arial"));
    font.setWeight(50);
    button->setFont(font);
    return button;
}

} // namespace

Korvo_OverClockingWidget::Korvo_OverClockingWidget(GpuController *controller,
    Korvo_SetUserDefineFanSpeedThread *fanThread, const AdjustRecord &stored, QWidget *parent,
    CardCommandSequence *startUp)
    : QWidget(parent)
    , m_controller(controller)
    , m_fanThread(fanThread)
{
    buildWidgets();
    setEditButtonsVisible(false, true);
    CardCommandSequence::queueOrRunNow(
        startUp, [this, &stored](CardCommandSequence &sequence) { queueStartUp(sequence, &stored); });
}

Korvo_OverClockingWidget::Korvo_OverClockingWidget(GpuController *controller,
    Korvo_SetUserDefineFanSpeedThread *fanThread, QWidget *parent, CardCommandSequence *startUp)
    : QWidget(parent)
    , m_controller(controller)
    , m_fanThread(fanThread)
{
    buildWidgets();
    setEditButtonsVisible(false, true);
    CardCommandSequence::queueOrRunNow(
        startUp, [this](CardCommandSequence &sequence) { queueStartUp(sequence, nullptr); });
}

void Korvo_OverClockingWidget::queueStartUp(CardCommandSequence &sequence, const AdjustRecord *stored)
{
    // The rows mean nothing before the card has been read: the page takes no input until then.
    setEnabled(false);
    if (!stored) {
        sequence.add(this, [this] {
            readTuningState();
            m_working.fanMode = m_working.cooler.policy == FanPolicy::Manual ? TuningState::FanManual
                                                                             : TuningState::FanAutomatic;
            m_applied = m_working;
            setRowsFromState(m_working);
            becomeReady();
        });
        return;
    }
    // The card settles before the read-back, as after every write; a record that writes nothing has no
    // pause.
    sequence.add(this, [this, record = *stored, &sequence] {
        readTuningState();
        if (writeStoredRecord(record))
            sequence.pauseNext(ReadBackPauseMs);
    });
    sequence.add(this, [this] {
        if (m_readBackPending)
            readBack();
        if (m_storedPresetPending)
            finishStoredPreset();
        becomeReady();
    });
}

void Korvo_OverClockingWidget::becomeReady()
{
    m_cardStateReady = true;
    setEnabled(true);
    emit cardStateReady();
}

Korvo_OverClockingWidget::~Korvo_OverClockingWidget()
{
    // The curve leaves the fan under manual control: give it back to the driver when the page goes.
    if (m_working.fanMode != TuningState::FanUserDefined)
        return;
    if (m_fanThread)
        m_fanThread->shutDown();
    if (m_controller)
        m_controller->restoreCoolerDefault();
}

void Korvo_OverClockingWidget::buildWidgets()
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        auto *row = new Korvo_SliderWidget(this);
        row->setObjectName(QStringLiteral("sliderRow%1").arg(i));
        connect(row, &Korvo_SliderWidget::valueChanged, this, &Korvo_OverClockingWidget::onSliderChanged);
        connect(row, &Korvo_SliderWidget::sliderMoved, this, &Korvo_OverClockingWidget::onSliderMoved);
        connect(row, &Korvo_SliderWidget::sliderReleased, this, &Korvo_OverClockingWidget::onSliderReleased);
        m_rows[i] = row;
    }
    m_btnFanAuto = makeFanButton(QStringLiteral("AUT"), this);
    m_btnFanManual = makeFanButton(QStringLiteral("MAN"), this);
    m_btnFanUserDefined = makeFanButton(QStringLiteral("UDF"), this);
    m_fanGroup = new QButtonGroup(this);
    m_fanGroup->setExclusive(true);
    for (QPushButton *button : { m_btnFanAuto, m_btnFanManual, m_btnFanUserDefined })
        m_fanGroup->addButton(button);
    m_btnFanAuto->setChecked(true);

    m_btnUserDefineConfig = new QPushButton(this);
    m_btnUserDefineConfig->setObjectName(QStringLiteral("btnUserDefineConfig"));
    m_btnUserDefineConfig->setFocusPolicy(Qt::NoFocus);
    m_linkCheckBox = new QCheckBox(this);
    m_linkCheckBox->setObjectName(QStringLiteral("LinkCheckBox"));
    m_linkCheckBox->setFocusPolicy(Qt::NoFocus);

    m_btnApply = new QPushButton(m_texts.apply, this);
    m_btnCancel = new QPushButton(m_texts.cancel, this);
    m_btnDefault = new QPushButton(m_texts.restoreDefault, this);
    for (QPushButton *button : { m_btnApply, m_btnCancel, m_btnDefault })
        button->setFocusPolicy(Qt::NoFocus);

    m_curveEditor = new Korvo_UserDefineFanSpeed(this);
    m_curveEditor->hide();
    // The editor's square reaches over the button row: the buttons stay above it, whole faces clickable.
    for (QPushButton *button : { m_btnApply, m_btnCancel, m_btnDefault })
        button->raise();

    const QStringList titles = m_texts.texts();
    for (int i = 0; i < RowCount; ++i)
        m_rows[std::size_t(i)]->setText(titles.at(i));

    connect(m_btnApply, &QPushButton::released, this, &Korvo_OverClockingWidget::onBtnApplyClick);
    connect(m_btnCancel, &QPushButton::released, this, &Korvo_OverClockingWidget::onBtnCancleClick);
    connect(m_btnDefault, &QPushButton::released, this, &Korvo_OverClockingWidget::onBtnDefaultClick);
    connect(m_btnFanAuto, &QPushButton::released, this, &Korvo_OverClockingWidget::onBtnFanAutoClick);
    connect(m_btnFanManual, &QPushButton::released, this, &Korvo_OverClockingWidget::onBtnFanManualClick);
    connect(m_btnFanUserDefined, &QPushButton::released, this,
        &Korvo_OverClockingWidget::onBtnFanUserDefinedClick);
    connect(m_btnUserDefineConfig, &QPushButton::released, this,
        &Korvo_OverClockingWidget::onBtnUserDefineConfigClick);
    connect(m_linkCheckBox, &QCheckBox::toggled, this, &Korvo_OverClockingWidget::onLinkCheckBoxToggle);
}

void Korvo_OverClockingWidget::readTuningState()
{
    if (!m_controller)
        return;
    m_controller->readCooler(m_working.cooler);
    m_controller->readThermalLimitInfo(m_working.thermal);
    m_controller->readPowerInfo(m_working.power);
    m_controller->readVoltageInfo(m_working.voltage);
    m_controller->readBaseClocks(m_working.clocks, false);
    m_controller->readGpuClockRange(m_working.gpuRange);
    m_controller->readMemoryClockRange(m_working.memoryRange);
}

void Korvo_OverClockingWidget::setRowsFromState(const TuningState &state)
{
    // A new range can move a row's value, and the check box answers with toggled(): none of that is the
    // user's, and none of it may reach the link rule and from there the card.
    const bool wasSetting = m_settingRows;
    m_settingRows = true;
    m_linkCheckBox->setChecked(state.link);
    const auto place = [this](int index, int low, int high, int value) {
        Korvo_SliderWidget *row = m_rows[std::size_t(index)];
        row->setRange(low, high);
        row->setValue(value);
    };
    place(RowGpuClock, state.gpuClockMinMhz(), state.gpuClockMaxMhz(), state.clocks.gpuMhz);
    place(RowMemoryClock, state.memoryClockMinMhz(), state.memoryClockMaxMhz(), state.clocks.memoryMhz);
    place(RowFan, state.cooler.levelLowPercent, state.cooler.levelHighPercent,
        state.cooler.currentLevelPercent);
    place(RowThermal, state.thermal.minimumC, state.thermal.maximumC, state.thermal.currentC);
    place(RowPower, state.power.minimumPercent, state.power.maximumPercent, state.power.currentTargetPercent);
    place(RowVoltage, state.voltage.lowestMv, state.voltage.highestMv, state.voltage.currentMv);

    const bool fanSettable = state.fanSettable();
    if (!fanSettable) {
        m_btnFanAuto->setChecked(true);
        m_rows[RowFan]->setEnabled(false);
    } else if (state.fanMode == TuningState::FanManual) {
        m_btnFanManual->setChecked(true);
        m_rows[RowFan]->setEnabled(true);
    } else {
        (state.fanMode == TuningState::FanUserDefined ? m_btnFanUserDefined : m_btnFanAuto)->setChecked(true);
        m_rows[RowFan]->setEnabled(false);
    }
    // A fan that could not be set on an earlier reading may be settable now.
    for (QPushButton *button : { m_btnFanAuto, m_btnFanManual, m_btnFanUserDefined })
        button->setEnabled(fanSettable);
    m_rows[RowGpuClock]->setEnabled(state.gpuRange.editable);
    m_rows[RowVoltage]->setEnabled(state.voltage.editable);
    m_rows[RowMemoryClock]->setEnabled(state.memoryRange.editable);
    m_rows[RowPower]->setEnabled(state.power.supported);
    m_rows[RowThermal]->setEnabled(state.thermal.supported);
    m_settingRows = wasSetting;
}

void Korvo_OverClockingWidget::collectFromRows()
{
    m_working.clocks.gpuMhz = m_rows[RowGpuClock]->value();
    m_working.clocks.memoryMhz = m_rows[RowMemoryClock]->value();
    m_working.cooler.currentLevelPercent = m_rows[RowFan]->value();
    m_working.thermal.currentC = m_rows[RowThermal]->value();
    m_working.power.currentTargetPercent = m_rows[RowPower]->value();
    m_working.voltage.currentMv = m_rows[RowVoltage]->value();
    m_working.link = m_linkCheckBox->isChecked();
    if (m_btnFanAuto->isChecked())
        m_working.fanMode = TuningState::FanAutomatic;
    else if (m_btnFanManual->isChecked())
        m_working.fanMode = TuningState::FanManual;
    else if (m_btnFanUserDefined->isChecked())
        m_working.fanMode = TuningState::FanUserDefined;
    else
        m_working.fanMode = TuningState::FanAutomatic;
}

bool Korvo_OverClockingWidget::stopFanThread()
{
    if (!m_fanThread)
        return true;
    return m_fanThread->stopWithin(FanThreadStopMs);
}

void Korvo_OverClockingWidget::pauseForReadBack() const
{
    // The workers' time scale lets tests shorten the pause like every other pause of the program.
    QThread::msleep(static_cast<unsigned long>(ReadBackPauseMs * WorkerSleep::timeScale()));
}

bool Korvo_OverClockingWidget::applyTuningState()
{
    if (!m_controller)
        return true;
    const bool accepted = writeTuningState();
    pauseForReadBack();
    readBack();
    return accepted;
}

void Korvo_OverClockingWidget::readBack()
{
    m_readBackPending = false;
    readTuningState();
    setRowsFromState(m_working);
    m_applied = m_working;
}

bool Korvo_OverClockingWidget::writeTuningState()
{
    if (!m_controller)
        return true;
    const TuningState &s = m_working;
    // Only the writes of rows the card offers count: a locked row's write is expected to be refused.
    bool accepted = true;
    if (s.fanMode == TuningState::FanUserDefined) {
        if (m_fanThread) {
            m_fanThread->setTemperatureToFanSpeedData(m_storedCurve);
            // A cycle stuck in a driver call keeps the thread from starting; the read-back shows the cooler.
            m_fanThread->startWithin(FanThreadStopMs);
        }
    } else if (stopFanThread()) {
        // A thread stuck in a cooler call would write after us; the read-back shows who won.
        const int policy = s.fanMode == TuningState::FanManual ? FanPolicy::Manual : FanPolicy::Automatic;
        const bool fanWritten = m_controller->setCoolerLevel(s.cooler.currentLevelPercent, policy);
        accepted = accepted && (fanWritten || !s.fanSettable());
    }
    const bool gpuWritten = m_controller->setGpuClockOffset(s.clocks.gpuMhz - s.gpuRange.baseClockMhz);
    accepted = accepted && (gpuWritten || !s.gpuRange.editable);
    const bool memoryWritten
        = m_controller->setMemoryClockOffset(s.clocks.memoryMhz - s.memoryRange.baseClockMhz);
    accepted = accepted && (memoryWritten || !s.memoryRange.editable);
    // Without a temperature reading the target would be 0, which the card takes as its floor.
    if (s.thermal.supported)
        accepted
            = m_controller->setThermalTarget(s.thermal.policyId, float(s.thermal.currentC), true) && accepted;
    if (s.power.supported)
        accepted
            = m_controller->setPowerTarget(s.power.policyId, float(s.power.currentTargetPercent)) && accepted;
    if (s.voltage.editable)
        accepted = m_controller->setVoltageOffset(
                       TuningRules::voltageOffsetMicrovolts(s.voltage, s.voltage.currentMv))
            && accepted;
    m_readBackPending = true;
    return accepted;
}

bool Korvo_OverClockingWidget::writeStoredRecord(const AdjustRecord &stored)
{
    if (stored.EnableHighPerformance) {
        int boost = 0;
        if (presetEligible(boost) && boost != 0) {
            m_highPerformanceBackup = m_working;
            m_working = TuningRules::highPerformanceState(m_working, boost);
            m_storedPresetPending = true;
            writeTuningState();
            return m_controller != nullptr;
        }
        // The card cannot have the preset: nothing is written and the rows show the card.
        m_highPerformance = false;
        emit highPerformanceModeChanged(false);
        m_applied = m_working;
        setRowsFromState(m_working);
        return false;
    }
    m_working = TuningRules::withStoredValues(m_working, stored);
    m_working.link = stored.LinkOfPowerWithTemperature;
    m_storedCurve = stored.Nodes;
    const bool knownMode
        = stored.FanMode >= TuningState::FanAutomatic && stored.FanMode <= TuningState::FanUserDefined;
    // A fan that cannot be set stays with the driver, whatever mode was stored.
    m_working.fanMode
        = knownMode && m_working.fanSettable() ? stored.FanMode : int(TuningState::FanAutomatic);
    setRowsFromState(m_working);
    writeTuningState();
    return m_controller != nullptr;
}

void Korvo_OverClockingWidget::finishStoredPreset()
{
    m_storedPresetPending = false;
    setEditButtonsVisible(false, true);
    m_highPerformance = true;
    emit highPerformanceModeChanged(true);
    // Switching the stored preset off restores stock values, not the readings from before it.
    m_highPerformanceBackup = TuningRules::stockState(m_working);
}

void Korvo_OverClockingWidget::setEditButtonsVisible(bool applyAndCancel, bool defaultToo)
{
    m_btnApply->setVisible(applyAndCancel);
    m_btnCancel->setVisible(applyAndCancel);
    m_btnDefault->setVisible(defaultToo);
}

int Korvo_OverClockingWidget::rowIndexOf(const Korvo_SliderWidget *sender) const
{
    for (int i = 0; i < RowCount; ++i) {
        if (m_rows[std::size_t(i)] == sender)
            return i;
    }
    return -1;
}

int Korvo_OverClockingWidget::referenceValue(int rowIndex) const
{
    switch (rowIndex) {
    case RowGpuClock:
        return m_working.clocks.gpuMhz;
    case RowFan:
        return m_working.cooler.currentLevelPercent;
    case RowVoltage:
        return m_working.voltage.currentMv;
    case RowMemoryClock:
        return m_working.clocks.memoryMhz;
    case RowPower:
        return m_working.power.currentTargetPercent;
    case RowThermal:
        return m_working.thermal.currentC;
    default:
        return 0;
    }
}

void Korvo_OverClockingWidget::onSliderChanged(Korvo_SliderWidget *sender)
{
    if (m_settingRows || m_linking)
        return;
    if (m_controller && m_linkCheckBox->isChecked()) {
        Korvo_SliderWidget *power = m_rows[RowPower];
        Korvo_SliderWidget *thermal = m_rows[RowThermal];
        LinkResult result;
        int linked = 0;
        // The other row's echo comes back here: m_linking keeps the two from driving each other.
        m_linking = true;
        if (sender == power) {
            if (m_controller->linkPowerToThermal(
                    m_working.power.policyId, m_working.thermal.policyId, float(power->value()), result)
                && TuningRules::linkStep(result.linked, linked))
                thermal->setValue(linked);
        } else if (sender == thermal) {
            if (m_controller->linkThermalToPower(m_working.power.policyId, m_working.thermal.policyId,
                    float(thermal->value()), float(power->value()), result)
                && TuningRules::linkStep(result.given, linked))
                power->setValue(linked);
        }
        m_linking = false;
    }
    setEditButtonsVisible(true, true);
}

void Korvo_OverClockingWidget::onSliderMoved(Korvo_SliderWidget *sender, int move)
{
    const int reference = referenceValue(rowIndexOf(sender));
    emit adjustChanged(QString::number(reference), QString::number(move), move - reference);
}

void Korvo_OverClockingWidget::onSliderReleased(Korvo_SliderWidget *sender)
{
    Q_UNUSED(sender);
    emit closeDisplayAdjustInfo();
}

void Korvo_OverClockingWidget::onBtnApplyClick()
{
    Korvo_MessageBox1 box(MsgBoxYesNo, QString(), m_texts.applyQuestion, m_language, this,
        Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (box.exec() != MsgBoxResultYes)
        return;
    if (m_curveEditing == 1) {
        m_storedCurve = m_curveEditor->points();
        if (m_fanThread)
            m_fanThread->setTemperatureToFanSpeedData(m_storedCurve);
        m_curveEditing = 0;
        // A curve applied while its own mode is the chosen one runs at once, and that mode is now the
        // applied one: otherwise the page went back to the earlier mode and the curve did not run.
        // A curve thread that runs already has the new curve; one stuck in a driver call must not hold the
        // page.
        if (m_btnFanUserDefined->isChecked() && m_applied.fanSettable() && m_fanThread) {
            m_applied.fanMode = TuningState::FanUserDefined;
            if (m_fanThread->isStopped())
                m_fanThread->startWithin(FanThreadStopMs);
        }
        showPage();
        setEditButtonsVisible(false, false);
        return;
    }
    collectFromRows();
    const bool accepted = applyTuningState();
    setEditButtonsVisible(false, true);
    m_highPerformance = false;
    emit highPerformanceModeChanged(false);
    // The read-back already shows the card's own values; the user also hears why they came back.
    if (!accepted) {
        Korvo_MessageBox1 refused(MsgBoxOneButton, QString(), m_texts.applyRefused, m_language, this,
            Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        refused.exec();
    }
}

void Korvo_OverClockingWidget::onBtnCancleClick()
{
    if (m_curveEditing == 0) {
        setRowsFromState(m_applied);
        m_working = m_applied;
    } else {
        m_curveEditing = 0;
        showPage();
    }
    setEditButtonsVisible(false, true);
}

void Korvo_OverClockingWidget::onBtnDefaultClick()
{
    if (m_curveEditing) {
        m_curveEditor->resetToDefault();
        return;
    }
    if (!m_controller)
        return;
    stopFanThread();
    m_controller->restoreDefaults();
    pauseForReadBack();
    m_working.fanMode = TuningState::FanAutomatic;
    m_working.link = false;
    readTuningState();
    setRowsFromState(m_working);
    m_applied = m_working;
    setEditButtonsVisible(false, true);
    m_highPerformance = false;
    emit highPerformanceModeChanged(false);
}

void Korvo_OverClockingWidget::onBtnFanAutoClick()
{
    m_rows[RowFan]->setEnabled(false);
    setEditButtonsVisible(true, true);
}

void Korvo_OverClockingWidget::onBtnFanManualClick()
{
    m_rows[RowFan]->setEnabled(true);
    setEditButtonsVisible(true, true);
}

void Korvo_OverClockingWidget::onBtnFanUserDefinedClick()
{
    onBtnFanAutoClick();
}

void Korvo_OverClockingWidget::onLinkCheckBoxToggle(bool checked)
{
    Q_UNUSED(checked);
    onSliderChanged(m_rows[RowPower]);
}

void Korvo_OverClockingWidget::showSliders(bool visible)
{
    for (Korvo_SliderWidget *row : m_rows)
        row->setVisible(visible);
    for (QWidget *widget : std::initializer_list<QWidget *> {
             m_btnFanAuto, m_btnFanManual, m_btnFanUserDefined, m_btnUserDefineConfig, m_linkCheckBox })
        widget->setVisible(visible);
    m_curveEditor->setVisible(!visible);
}

void Korvo_OverClockingWidget::onBtnUserDefineConfigClick()
{
    m_curveEditing = 1;
    setEditButtonsVisible(true, true);
    m_curveEditor->setPoints(m_storedCurve);
    showSliders(false);
}

void Korvo_OverClockingWidget::showPage()
{
    if (m_curveEditing == 1) {
        m_curveEditor->setPoints(m_storedCurve);
        showSliders(false);
        return;
    }
    setRowsFromState(m_applied);
    m_working = m_applied;
    showSliders(true);
}

void Korvo_OverClockingWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Opened while the start-up talk runs: the rows keep what it put there, and the working state it is
    // writing must not fall back to a state that was never the card's.
    if (!m_cardStateReady)
        return;
    if (m_curveEditing == 1) {
        setEditButtonsVisible(true, true);
    } else {
        setRowsFromState(m_applied);
        m_working = m_applied;
        setEditButtonsVisible(false, true);
    }
    m_curveEditor->setPoints(m_storedCurve);
}

bool Korvo_OverClockingWidget::presetEligible(int &boostMhz) const
{
    PciIdentifiers ids;
    const bool eligible = m_controller && m_controller->readPciIdentifiers(ids)
        && TuningRules::mayRunHighPerformancePreset(ids.subSystemId, m_controller->readGpuName());
    boostMhz = eligible ? TuningRules::boostClockMhz(ids.subSystemId >> 16) : 0;
    return eligible;
}

bool Korvo_OverClockingWidget::setHighPerformanceMode(bool on)
{
    int boost = 0;
    const bool eligible = presetEligible(boost);
    if (!eligible || (on && boost == 0)) {
        m_highPerformance = false;
        emit highPerformanceModeChanged(false);
        return false;
    }
    if (on) {
        if (m_highPerformance)
            return true;
        m_highPerformanceBackup = m_working;
        m_working = TuningRules::highPerformanceState(m_working, boost);
        applyTuningState();
        setEditButtonsVisible(false, true);
        m_highPerformance = true;
        emit highPerformanceModeChanged(true);
        return true;
    }
    if (m_highPerformance) {
        m_working = m_highPerformanceBackup;
        applyTuningState();
        setEditButtonsVisible(false, true);
    }
    m_highPerformance = false;
    emit highPerformanceModeChanged(false);
    return true;
}

void Korvo_OverClockingWidget::saveAdjustRecord(AdjustRecord &record) const
{
    record.GpuFreClock = m_working.clocks.gpuMhz;
    record.FanSpeedLevel = m_working.cooler.currentLevelPercent;
    record.Voltage = m_working.voltage.currentMv;
    record.MemoryFreClock = m_working.clocks.memoryMhz;
    record.Power = m_working.power.currentTargetPercent;
    record.Temperature = m_working.thermal.currentC;
    record.LinkOfPowerWithTemperature = m_working.link;
    record.FanMode = m_working.fanMode;
    record.Nodes = m_storedCurve;
    record.EnableHighPerformance = m_highPerformance;
}

void Korvo_OverClockingWidget::setLanguageTexts(const Lang_OverClocking &texts, LanguageType language)
{
    m_texts = texts;
    m_language = language;
    const QStringList all = texts.texts();
    QFont rowFont = m_rows[0]->font();
    rowFont.setFamily(LookKit::fontFamily(language));
    for (int i = 0; i < RowCount; ++i) {
        m_rows[std::size_t(i)]->setText(all.at(i));
        m_rows[std::size_t(i)]->setFont(rowFont);
    }
    m_btnApply->setText(texts.apply);
    m_btnCancel->setText(texts.cancel);
    m_btnDefault->setText(texts.restoreDefault);
    QFont buttonFont = m_btnApply->font();
    buttonFont.setFamily(LookKit::fontFamily(language));
    for (QPushButton *button : { m_btnApply, m_btnCancel, m_btnDefault })
        button->setFont(buttonFont);
    m_background = QPixmap(); // drawn when next painted: a hidden page holds no pixels
    update();
}

void Korvo_OverClockingWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int W = width();
    const int H = height();
    const int h = static_cast<int>((H - 0.1 * H * 1.5) / 6);
    for (int k = 0; k < RowCount; ++k)
        m_rows[std::size_t(k)]->setGeometry(3, k * h, W, h);

    const int buttonY = static_cast<int>(0.9 * H + 0.025 * H);
    const int buttonHeight = static_cast<int>(0.05 * H);
    const int gap = W / 20;
    const int b = (W - 2 * gap) / 5;
    m_btnApply->setGeometry(b, buttonY, b, buttonHeight);
    m_btnCancel->setGeometry(2 * b + gap, buttonY, b, buttonHeight);
    m_btnDefault->setGeometry(3 * b + 2 * gap, buttonY, b, buttonHeight);
    QFont buttonFont = m_btnApply->font();
    buttonFont.setFamily(LookKit::fontFamily(m_language));
    buttonFont.setWeight(57);
    buttonFont.setPixelSize(qMax(1, buttonHeight - 3));
    for (QPushButton *button : { m_btnApply, m_btnCancel, m_btnDefault })
        button->setFont(buttonFont);

    const int e = W / 8;
    const int third = h / 3;
    m_btnFanAuto->setGeometry(W - 4 * e - third, h + 10, e, third);
    m_btnFanManual->setGeometry(W - 3 * e - third + 5, h + 10, e, third);
    m_btnFanUserDefined->setGeometry(W - 2 * e - third + 10, h + 10, e, third);
    QFont fanFont(QStringLiteral("Arial"));
    fanFont.setWeight(50);
    fanFont.setPixelSize(qMax(1, third - 1));
    for (QPushButton *button : { m_btnFanAuto, m_btnFanManual, m_btnFanUserDefined })
        button->setFont(fanFont);
    m_btnUserDefineConfig->setGeometry(W - third - e + 15, h + 10, third, third);
    m_linkCheckBox->setGeometry((W / 7) * 4, 5 * h, 26, 26);
    m_curveEditor->setGeometry(3, 3, W - 6, W - 6);
    m_background = QPixmap(); // drawn when next painted: a hidden page holds no pixels
}

void Korvo_OverClockingWidget::redrawBackground()
{
    const int W = width();
    const int H = height();
    if (W <= 0 || H <= 0) {
        m_background = QPixmap();
        return;
    }
    m_background = QPixmap(size());
    m_background.fill(Qt::transparent);
    QPainter painter(&m_background);
    painter.setRenderHint(QPainter::Antialiasing);
    // The notched page inside a 3 px margin, outlined.
    QPainterPath frame;
    frame.addRect(QRectF(3, 3, W - 6, H - 6));
    const QPainterPath shape = frame.intersected(NotchedPanel::shape(size()));
    painter.fillPath(shape, NotchedPanel::Fill);
    QPen pen(LookKit::accent());
    pen.setWidth(3);
    painter.setPen(pen);
    painter.drawPath(shape);
}

void Korvo_OverClockingWidget::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    if (m_background.isNull())
        redrawBackground();
    painter.drawPixmap(0, 0, m_background);
}

void Korvo_OverClockingWidget::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}
