#include "korvo_ledcontrolwidget.h"

#include "notchedpanel.h"

#include "cardcommandsequence.h"
#include "gpucontroller.h"
#include "korvo_colorbutton.h"
#include "korvo_colorbuttongroup.h"
#include "korvo_sendcolortoled.h"
#include "modifyspinbox.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QThread>

#include <vector>

namespace {

// Commands and parameters the lighting controller takes for each effect.
constexpr std::uint8_t SteadyCommand = 0;
constexpr std::uint8_t BreathCommand = 1;
constexpr std::uint8_t MultipleSteadyCommand = 2;
constexpr std::uint8_t GradientCommand = 4;
constexpr std::uint8_t EffectParameterA = 50;
constexpr std::uint8_t SteadyParameterB = 2;
constexpr std::uint8_t OffParameterB = 10;

// The controller needs a moment after the state read, and before the off command.
constexpr int AfterStateReadPauseMs = 100;
constexpr int DefaultStatePauseMs = 50;
constexpr unsigned long BeforeOffPauseMs = 100;

const QColor PresetColors[Korvo_LEDControlWidget::PresetCount] = {
    QColor(255, 0, 0), // red
    QColor(255, 165, 0), // orange
    QColor(255, 255, 0), // yellow
    QColor(0, 255, 0), // green
    QColor(0, 127, 255), // azure
    QColor(0, 0, 255), // blue
    QColor(139, 0, 255), // violet
};

const char *const RadioNames[Korvo_LEDControlWidget::ModeCount] = { "rdb_singleBreath", "rdb_singleBright",
    "rdb_multipleBreath", "rdb_multipleBright", "rdb_stateDisplay", "rdb_gradient", "rdb_ledOff" };

void appendRgb(std::vector<std::uint8_t> &bytes, const QColor &color)
{
    bytes.push_back(static_cast<std::uint8_t>(color.red()));
    bytes.push_back(static_cast<std::uint8_t>(color.green()));
    bytes.push_back(static_cast<std::uint8_t>(color.blue()));
}

} // namespace

Korvo_LEDControlWidget::Korvo_LEDControlWidget(
    GpuController *controller, Korvo_SendColorToLed *sender, QWidget *parent, CardCommandSequence *startUp)
    : QWidget(parent)
    , m_controller(controller)
    , m_sender(sender)
{
    createWidgets();
    radio(SingleBreath)->setChecked(true);
    m_group->requestCheck(colorButton(0), true);
    queueStartUp(startUp, DefaultStatePauseMs);
}

Korvo_LEDControlWidget::Korvo_LEDControlWidget(GpuController *controller, Korvo_SendColorToLed *sender,
    const LedRecord &record, QWidget *parent, CardCommandSequence *startUp)
    : QWidget(parent)
    , m_controller(controller)
    , m_sender(sender)
{
    createWidgets();
    applyRecord(record);
    queueStartUp(startUp, 0);
}

Korvo_LEDControlWidget::~Korvo_LEDControlWidget()
{
    // A palette change still waiting goes out now rather than being lost.
    const bool pending = m_colorTimer.isActive();
    m_colorTimer.stop();
    // Kind 3 keeps the current effect when the command carries the store flag. In "State-Display" there is
    // no command of the page's own: starting the sender here would start a thread only to stop it again.
    if (m_kind == FeatureKind && !radio(StateDisplay)->isChecked())
        sendToCard(true);
    else if (pending)
        sendToCard(false);
}

QColor Korvo_LEDControlWidget::presetColor(int index)
{
    return index >= 0 && index < PresetCount ? PresetColors[index] : QColor();
}

void Korvo_LEDControlWidget::createWidgets()
{
    m_colorTimer.setInterval(ColorSendDelayMs);
    m_intervalBox = new ModifySpinBox(this);
    m_intervalBox->setObjectName(QStringLiteral("let_interval"));
    m_intervalBox->setRange(MinInterval, MaxInterval);
    m_intervalLabel = new QLabel(m_texts.interval, this);
    m_intervalLabel->setObjectName(QStringLiteral("lbl_interval"));
    for (int i = 0; i < ModeCount; ++i) {
        auto *button = new QRadioButton(this);
        button->setObjectName(QLatin1String(RadioNames[i]));
        m_radios[static_cast<std::size_t>(i)] = button;
    }
    m_resetButton = new QPushButton(this);
    m_resetButton->setObjectName(QStringLiteral("ResetDynamicColors"));
    for (int i = 0; i < PresetCount + CustomCount; ++i) {
        const QColor color = i < PresetCount ? PresetColors[i] : QColor(255, 255, 255);
        auto *button = new Korvo_ColorButton(color, this);
        button->setObjectName(QStringLiteral("btnColor%1").arg(i));
        m_buttons[static_cast<std::size_t>(i)] = button;
    }
    m_group = new Korvo_ColorButtonGroup(this);
    for (Korvo_ColorButton *button : m_buttons)
        m_group->addButton(button);
    m_group->setMaxChecked(MaxColors);
    radio(SingleBreath)->hide();
    radio(SingleBright)->hide();
    setLanguageTexts(m_texts, m_language);
}

void Korvo_LEDControlWidget::applyRecord(const LedRecord &record)
{
    // Compared as unsigned, so a negative interval counts as too large.
    const quint32 stored = static_cast<quint32>(record.Interval);
    m_interval = stored < MinInterval ? MinInterval : (stored > MaxInterval ? MaxInterval : int(stored));
    m_intervalBox->setValue(m_interval);

    const int mode = record.LedMode;
    if (mode == SingleBreath || mode == SingleBright) {
        if (m_group->mode() == Korvo_ColorButtonGroup::Multiple)
            m_group->setMode(Korvo_ColorButtonGroup::Exclusive);
        radio(Mode(mode))->setChecked(true);
    } else if (mode == MultipleBreath || mode == MultipleBright) {
        if (m_group->mode() != Korvo_ColorButtonGroup::Multiple)
            m_group->setMode(Korvo_ColorButtonGroup::Multiple);
        radio(Mode(mode))->setChecked(true);
    } else {
        radio(mode == StateDisplay ? StateDisplay : (mode == Gradient ? Gradient : LedOff))->setChecked(true);
        setControlsEnabled(false);
    }

    const quint32 colors[CustomCount] = { record.Color1, record.Color2, record.Color3, record.Color4,
        record.Color5, record.Color6, record.Color7 };
    for (int i = 0; i < CustomCount; ++i) {
        QColor color = QColor::fromRgba(colors[i]);
        color.setAlpha(255);
        customButton(i)->setColor(color);
    }
    for (int i = 0; i < CustomCount; ++i)
        m_group->requestCheck(customButton(i), (record.CheckedColorButtonDynamic >> i) & 1);
    for (int i = 0; i < PresetCount; ++i)
        m_group->requestCheck(colorButton(i), (record.CheckedColorButtonStatic >> i) & 1);
}

void Korvo_LEDControlWidget::connectSignals()
{
    connect(radio(StateDisplay), &QRadioButton::toggled, this, &Korvo_LEDControlWidget::onRdbStateToggled);
    for (Mode mode : { SingleBreath, SingleBright }) {
        connect(radio(mode), &QRadioButton::toggled, this, &Korvo_LEDControlWidget::onRdbSingleToggled);
        connect(
            radio(mode), &QRadioButton::toggled, this, &Korvo_LEDControlWidget::showSingleModesOnTheirTwins);
    }
    for (Mode mode : { MultipleBreath, MultipleBright })
        connect(radio(mode), &QRadioButton::toggled, this, &Korvo_LEDControlWidget::onRdbMultipleToggled);
    connect(radio(LedOff), &QRadioButton::toggled, this, &Korvo_LEDControlWidget::onRdbSleepToggled);
    connect(radio(Gradient), &QRadioButton::toggled, this, &Korvo_LEDControlWidget::onRdbGradientToggled);
    for (Korvo_ColorButton *button : m_buttons)
        connect(button, &Korvo_ColorButton::onMouseClick, this, &Korvo_LEDControlWidget::onColorButtonClick);
    connect(&m_colorTimer, &QTimer::timeout, this, &Korvo_LEDControlWidget::onColorChangedTimerout);
    connect(m_resetButton, &QPushButton::pressed, this, &Korvo_LEDControlWidget::onResetButtonClick);
    connect(m_intervalBox, QOverload<int>::of(&QSpinBox::valueChanged), this,
        &Korvo_LEDControlWidget::onSpinBoxIntervalValueChanged);
}

void Korvo_LEDControlWidget::queueStartUp(CardCommandSequence *startUp, int pauseBeforeReadMs)
{
    // Nothing set up so far reaches the card: the card keeps its lighting until the user changes something.
    connectSignals();
    // Until the controller's kind is known the page cannot say which effects the card has; it takes no
    // input, and the palette beside it follows.
    setEnabled(false);
    emit colourControlsEnabledChanged(false);
    CardCommandSequence::queueOrRunNow(startUp, [this, pauseBeforeReadMs](CardCommandSequence &sequence) {
        sequence.addPause(pauseBeforeReadMs);
        sequence.add(this, [this] { readControllerKind(); });
        sequence.addPause(AfterStateReadPauseMs);
        sequence.add(this, [this] { becomeReady(); });
    });
}

void Korvo_LEDControlWidget::readControllerKind()
{
    LedStateReading state;
    for (auto &rgb : state.colors)
        rgb = { 255, 0, 0 };
    state.kind = 0;
    if (m_controller && m_controller->readLedState(state))
        m_kind = state.kind;
    if (m_kind != FeatureKind) {
        radio(Gradient)->hide();
        // The connections exist now, so this enables the colour controls again and sends.
        if (radio(Gradient)->isChecked())
            radio(SingleBreath)->setChecked(true);
    }
    showSingleModesOnTheirTwins();
}

void Korvo_LEDControlWidget::becomeReady()
{
    m_cardStateReady = true;
    setEnabled(true);
    emit colourControlsEnabledChanged(colourControlsEnabled());
    // A page that shows "State-Display" must also run it, or the lights stop following the temperature
    // after a restart.
    if (radio(StateDisplay)->isChecked() && m_controller && m_sender)
        m_sender->startSampling();
    emit cardStateReady();
}

void Korvo_LEDControlWidget::showSingleModesOnTheirTwins()
{
    // The single-colour modes have no radio on screen: the several-colour radio of the same effect, in the
    // same place, looks chosen for them, so the page never looks as if no mode ran while the card breathes.
    const std::pair<Mode, Mode> twins[]
        = { { SingleBreath, MultipleBreath }, { SingleBright, MultipleBright } };
    for (const auto &twin : twins) {
        QRadioButton *shown = radio(twin.second);
        const bool chosen = radio(twin.first)->isChecked();
        if (shown->property(TwinChosenProperty).toBool() == chosen)
            continue;
        shown->setProperty(TwinChosenProperty, chosen);
        shown->style()->unpolish(shown);
        shown->style()->polish(shown);
        shown->update();
    }
}

void Korvo_LEDControlWidget::setControlsEnabled(bool enabled)
{
    for (Korvo_ColorButton *button : m_buttons)
        button->setEnabled(enabled);
    m_resetButton->setEnabled(enabled);
    m_intervalBox->setEnabled(enabled);
    // A page still waiting for its card keeps the palette off as well.
    emit colourControlsEnabledChanged(colourControlsEnabled());
}

bool Korvo_LEDControlWidget::colourControlsEnabled() const
{
    return m_intervalBox->isEnabled();
}

bool Korvo_LEDControlWidget::isCustom(const Korvo_ColorButton *button) const
{
    for (int i = 0; i < CustomCount; ++i) {
        if (customButton(i) == button)
            return true;
    }
    return false;
}

bool Korvo_LEDControlWidget::releaseCardFromSender()
{
    if (!m_sender || !m_sender->isRunning())
        return true;
    // The sender and the page must never write to the card at once; a sender stuck in a driver call
    // costs this one command, not a frozen window.
    return m_sender->stopWithin(SenderStopWaitMs);
}

void Korvo_LEDControlWidget::sendToCard(bool store)
{
    if (!m_controller)
        return;
    if (!radio(StateDisplay)->isChecked() && !releaseCardFromSender())
        return;

    std::vector<std::uint8_t> all;
    for (Korvo_ColorButton *button : m_group->checkedButtons()) {
        if (all.size() >= 3 * MaxColors)
            break;
        appendRgb(all, button->color());
    }
    if (all.empty())
        appendRgb(all, QColor(255, 0, 0));
    const std::vector<std::uint8_t> last(all.end() - 3, all.end());
    const auto interval = static_cast<std::uint8_t>(m_interval);
    auto send = [this, store](const std::vector<std::uint8_t> &payload, std::uint8_t command, std::uint8_t a,
                    std::uint8_t b) {
        m_controller->sendLedCommand(payload.empty() ? nullptr : payload.data(),
            static_cast<int>(payload.size()), command, a, b, store);
    };

    if (radio(SingleBright)->isChecked()) {
        send(last, SteadyCommand, EffectParameterA, SteadyParameterB);
    } else if (radio(SingleBreath)->isChecked()) {
        send(last, BreathCommand, EffectParameterA, interval);
    } else if (radio(MultipleBreath)->isChecked()) {
        send(all, BreathCommand, EffectParameterA, interval);
    } else if (radio(MultipleBright)->isChecked()) {
        send(all, MultipleSteadyCommand, EffectParameterA, interval);
    } else if (radio(StateDisplay)->isChecked()) {
        if (m_sender)
            m_sender->startSampling();
    } else if (radio(LedOff)->isChecked()) {
        QThread::msleep(BeforeOffPauseMs);
        send({}, SteadyCommand, 0, OffParameterB);
    } else if (radio(Gradient)->isChecked()) {
        send({}, GradientCommand, EffectParameterA, SteadyParameterB);
    }
}

void Korvo_LEDControlWidget::sendPreview(const QColor &color)
{
    std::vector<std::uint8_t> payload;
    appendRgb(payload, color);
    m_controller->sendLedCommand(payload.data(), 3, SteadyCommand, EffectParameterA, SteadyParameterB, false);
}

void Korvo_LEDControlWidget::askPalette(const QColor &color)
{
    // The palette answers with the full colour of the hue, which is not the button's colour (white would
    // become hue 359): that answer is not a pick and must not recolour the button.
    m_ignorePaletteAnswer = true;
    emit colorButtonHasDoubleClick(color);
    m_ignorePaletteAnswer = false;
}

void Korvo_LEDControlWidget::onColorButtonClick(Korvo_ColorButton *button)
{
    if (isCustom(button)) {
        m_bound = button;
        askPalette(button->color());
        if (m_colorTimer.isActive())
            return;
    }
    sendToCard(false);
}

void Korvo_LEDControlWidget::onColorButtonDuobleClick(Korvo_ColorButton *) { }

void Korvo_LEDControlWidget::setCurrentBindColorCircleButtonColor(const QColor &color)
{
    if (!m_controller || !m_bound || !m_bound->isEnabled() || m_ignorePaletteAnswer)
        return;
    // The palette computes in HSV; the button and the card take red, green and blue.
    const QColor rgb = color.toRgb();
    if (rgb != m_bound->color())
        m_bound->setColor(rgb);
    if (m_kind == FeatureKind && radio(SingleBright)->isChecked()) {
        sendPreview(rgb);
        return;
    }
    if (!radio(StateDisplay)->isChecked() && m_bound->isChecked())
        m_colorTimer.start();
}

void Korvo_LEDControlWidget::onColorChangedTimerout()
{
    m_colorTimer.stop();
    sendToCard(false);
}

void Korvo_LEDControlWidget::onRdbSingleToggled(bool checked)
{
    if (!checked)
        return;
    if (m_group->mode() == Korvo_ColorButtonGroup::Multiple)
        m_group->setMode(Korvo_ColorButtonGroup::Exclusive);
    sendToCard(false);
}

void Korvo_LEDControlWidget::onRdbMultipleToggled(bool checked)
{
    if (!checked)
        return;
    if (m_group->mode() == Korvo_ColorButtonGroup::Exclusive)
        m_group->setMode(Korvo_ColorButtonGroup::Multiple);
    sendToCard(false);
}

void Korvo_LEDControlWidget::onRdbStateToggled(bool checked)
{
    setControlsEnabled(!checked);
    if (checked) {
        sendToCard(false);
        return;
    }
    if (m_sender)
        m_sender->stopSampling();
}

void Korvo_LEDControlWidget::onRdbSleepToggled(bool checked)
{
    setControlsEnabled(!checked);
    if (checked)
        sendToCard(false);
}

void Korvo_LEDControlWidget::onRdbGradientToggled(bool checked)
{
    onRdbSleepToggled(checked);
}

void Korvo_LEDControlWidget::onSpinBoxIntervalValueChanged(int value)
{
    m_interval = qBound(MinInterval, value, MaxInterval);
    sendToCard(false);
}

void Korvo_LEDControlWidget::onResetButtonClick()
{
    bool customChecked = false;
    for (int i = 0; i < CustomCount; ++i)
        customChecked = customChecked || customButton(i)->isChecked();
    for (int i = 0; i < CustomCount; ++i)
        customButton(i)->setColor(QColor(255, 255, 255));
    if (customChecked) {
        m_group->setMode(Korvo_ColorButtonGroup::Exclusive);
        m_group->requestCheck(colorButton(0), true);
    }
    m_bound = nullptr;
    askPalette(PresetColors[0]);
    // The radio's toggle sends; when it is already checked nothing is sent.
    if (customChecked)
        radio(SingleBreath)->setChecked(true);
}

LedRecord Korvo_LEDControlWidget::currentLedRecord() const
{
    LedRecord record;
    record.LedMode = LedOff;
    for (int mode = SingleBreath; mode <= Gradient; ++mode) {
        if (m_radios[static_cast<std::size_t>(mode)]->isChecked()) {
            record.LedMode = mode;
            break;
        }
    }
    record.CheckedColorButtonStatic = 0;
    record.CheckedColorButtonDynamic = 0;
    for (int i = 0; i < PresetCount; ++i) {
        if (colorButton(i)->isChecked())
            record.CheckedColorButtonStatic |= quint8(1u << i);
        if (customButton(i)->isChecked())
            record.CheckedColorButtonDynamic |= quint8(1u << i);
    }
    record.Interval = m_interval;
    quint32 *colors[CustomCount] = { &record.Color1, &record.Color2, &record.Color3, &record.Color4,
        &record.Color5, &record.Color6, &record.Color7 };
    for (int i = 0; i < CustomCount; ++i)
        *colors[i] = 0xFF000000u | (customButton(i)->color().rgb() & 0x00FFFFFFu);
    return record;
}

void Korvo_LEDControlWidget::setLanguageTexts(const Lang_LedControl &texts, LanguageType language)
{
    m_texts = texts;
    m_language = language;
    radio(SingleBreath)->setText(texts.singleBreath);
    radio(SingleBright)->setText(texts.singleBright);
    radio(MultipleBreath)->setText(texts.multipleBreath);
    radio(MultipleBright)->setText(texts.multipleBright);
    radio(StateDisplay)->setText(texts.stateDisplay);
    radio(LedOff)->setText(texts.ledOff);
    radio(Gradient)->setText(texts.gradient);
    m_intervalLabel->setText(texts.interval);
    m_resetButton->setToolTip(texts.reset);
    m_background = QPixmap(); // drawn when next painted: a hidden page holds no pixels
    update();
}

void Korvo_LEDControlWidget::hideEvent(QHideEvent *event)
{
    // No timer runs for a hidden page; a palette change still waiting goes out now.
    if (m_colorTimer.isActive())
        onColorChangedTimerout();
    QWidget::hideEvent(event);
}

void Korvo_LEDControlWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
    m_background = QPixmap(); // drawn when next painted: a hidden page holds no pixels
}

void Korvo_LEDControlWidget::layoutChildren()
{
    const int w = width();
    const int h = height();
    const int top = h / 10;
    const int row = (h - 2 * top) / 6;
    const int margin = w / 20;
    const int contentWidth = w - 2 * margin;
    const int half = contentWidth / 2;
    const int side = static_cast<int>(contentWidth / 9 * 3 * 0.25);
    const int gap = side / 3;
    const int step = side + gap;
    const int x0 = static_cast<int>(side + margin + gap);
    const int y0 = static_cast<int>(row * 2.5 + top);

    QFont textFont = font();
    textFont.setPixelSize(16);
    for (QRadioButton *button : m_radios)
        button->setFont(textFont);
    m_intervalLabel->setFont(textFont);

    const QRect left(margin, row / 4 + top, half, row);
    const QRect right(margin + half, row / 4 + top, half, row);
    radio(MultipleBreath)->setGeometry(left);
    radio(SingleBreath)->setGeometry(left);
    radio(MultipleBright)->setGeometry(right);
    radio(SingleBright)->setGeometry(right);
    m_intervalLabel->setGeometry(margin, row + row / 4 + top, half, row);
    m_intervalBox->setGeometry(margin + half, row / 2 + row + top, half / 2, row / 2);
    radio(StateDisplay)->setGeometry(margin, top + 4 * row, half, row);
    radio(LedOff)->setGeometry(margin + half, top + 4 * row, half, row);
    radio(Gradient)->setGeometry(margin, top + 5 * row, half, row);
    for (int i = 0; i < PresetCount; ++i) {
        colorButton(i)->setGeometry(x0 + i * step, y0, side, side);
        customButton(i)->setGeometry(x0 + i * step, y0 + step, side, side);
    }
    m_resetButton->setGeometry(x0 + 7 * step, y0 + step, side, side);
}

void Korvo_LEDControlWidget::drawBackground()
{
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0)
        return;
    m_background = QPixmap(size());
    m_background.fill(Qt::transparent);
    QPainter painter(&m_background);
    const int top = h / 10;
    NotchedPanel::paint(painter, size(), top);
    const int margin = w / 20;
    const int titleWidth = (w - 2 * margin) / 3;
    QFont titleFont = font();
    titleFont.setPixelSize(qMax(1, static_cast<int>(qMin(titleWidth * 0.25, top / 1.5))));
    titleFont.setWeight(63);
    painter.setFont(titleFont);
    painter.setPen(Qt::white);
    painter.drawText(QRect(margin, 0, titleWidth, top), Qt::AlignLeft | Qt::AlignVCenter, m_texts.light);
}

void Korvo_LEDControlWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_background.isNull())
        drawBackground();
    painter.drawPixmap(0, 0, m_background);
}
