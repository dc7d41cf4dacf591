#include "korvo_lcdcontrollorwidget.h"

#include "lookkit.h"
#include "notchedpanel.h"

#include "hotkeytable.h"
#include "korvo_globalshortcut.h"
#include "korvo_hotkeyedit.h"
#include "korvo_messagebox.h"
#include "korvo_messagebox1.h"
#include "korvo_sendnvinfotolcdthread.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>

namespace {

const char *const PageStyle = "Korvo_HotKeyEdit{font-size:13px;}\t\t\t\t\t\tModifySpinBox{font-size:13px;}";
constexpr int EditWidth = 50;
constexpr int EditHeight = 16;
constexpr int EditGap = 15;
constexpr int RadioPixelSize = 18;
constexpr int LabelPixelSize = 15;
constexpr int TitleWeight = 63;

QFont pixelFont(const QString &family, int pixelSize, int weight = QFont::Normal)
{
    QFont font(family);
    font.setPixelSize(std::max(1, pixelSize));
    font.setWeight(weight);
    return font;
}

} // namespace

Korvo_LCDControllorWidget::Korvo_LCDControllorWidget(Korvo_SendNvInfoToLCDThread *feeder, QWidget *parent)
    : Korvo_LCDControllorWidget(feeder, LcdRecord(), parent)
{
}

Korvo_LCDControllorWidget::Korvo_LCDControllorWidget(
    Korvo_SendNvInfoToLCDThread *feeder, const LcdRecord &record, QWidget *parent)
    : QWidget(parent)
    , m_feeder(feeder)
    , m_applied(record)
{
    setStyleSheet(QLatin1String(PageStyle));
    initWidget();
}

void Korvo_LCDControllorWidget::initWidget()
{
    if (m_automaticRadio)
        return; // built once, by the constructor
    m_automaticRadio = new QRadioButton(m_texts.switchAutomatically, this);
    m_automaticRadio->setObjectName(QStringLiteral("rdb_AutoSwitch"));
    m_manualRadio = new QRadioButton(m_texts.switchManually, this);
    m_manualRadio->setObjectName(QStringLiteral("rdb_ManualSwitch"));
    m_lcdSwitch = new QCheckBox(this);
    m_lcdSwitch->setObjectName(QStringLiteral("CbLCD"));
    m_lcdSwitch->setToolTip(m_texts.switchLcd);
    m_modifierEdit = new Korvo_HotKeyEdit(true, this);
    m_modifierEdit->setObjectName(QStringLiteral("let_ModifierKey"));
    m_keyEdit = new Korvo_HotKeyEdit(false, this);
    m_keyEdit->setObjectName(QStringLiteral("let_NormalKey"));
    m_timeBox = new QSpinBox(this);
    m_timeBox->setObjectName(QStringLiteral("spb_SwitchTime"));
    m_timeBox->setRange(MinSwitchSeconds, MaxSwitchSeconds);
    m_timeBox->setButtonSymbols(QAbstractSpinBox::NoButtons);
    // The fields keep the Chinese family in both languages.
    const QString editFamily = LookKit::fontFamily(Chinese);
    m_modifierEdit->setFont(QFont(editFamily));
    m_keyEdit->setFont(QFont(editFamily));
    // The page's style sheet sizes the tuning pages' spin box class; this plain spin box gets the same size.
    m_timeBox->setFont(pixelFont(editFamily, 13));
    m_applyButton = new QPushButton(m_texts.apply, this);
    m_applyButton->setObjectName(QStringLiteral("btnApply"));
    m_cancelButton = new QPushButton(m_texts.cancel, this);
    m_cancelButton->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton *button : { m_applyButton, m_cancelButton })
        button->setFocusPolicy(Qt::NoFocus);

    connect(m_automaticRadio, &QRadioButton::toggled, this, &Korvo_LCDControllorWidget::onAutoSwitchToggled);
    connect(m_lcdSwitch, &QCheckBox::toggled, this, &Korvo_LCDControllorWidget::onEnableLCDToggled);
    connect(m_applyButton, &QPushButton::pressed, this, &Korvo_LCDControllorWidget::onConfirmClick);
    connect(m_cancelButton, &QPushButton::pressed, this, &Korvo_LCDControllorWidget::onCancelClick);
    if (m_feeder) {
        // Queued: the feeder emits from its own thread with its cycle lock held.
        connect(m_feeder, &Korvo_SendNvInfoToLCDThread::sendDataToLCDResult, this,
            &Korvo_LCDControllorWidget::onSendNvDataToLCDSuccess, Qt::QueuedConnection);
    }
    for (Korvo_HotKeyEdit *edit : { m_modifierEdit, m_keyEdit })
        connect(edit, &QLineEdit::textChanged, this, &Korvo_LCDControllorWidget::onLineEditTextChanged);
    connect(m_timeBox, QOverload<int>::of(&QSpinBox::valueChanged), this,
        &Korvo_LCDControllorWidget::onSpinBoxValueChanged);

    if (m_feeder) {
        m_feeder->setAutoSwitch(m_applied.AutoSwitch, m_applied.SwitchTime);
        m_feeder->setEnableLCD(m_applied.EnableLcd);
        m_feeder->startSampling();
    }

    m_hotkey = new Korvo_GlobalShortCut(this);
    connect(m_hotkey, &Korvo_GlobalShortCut::activated, this, &Korvo_LCDControllorWidget::onHotKeyActivated);
    // A stored key outside the table (0 from a missing attribute, say) is never registered: on X11 a grab of
    // key 0 would take every key.
    if (!m_applied.AutoSwitch && HotKeyTable::isKey(m_applied.NormalKey)) {
        if (m_hotkey->setShortcut(m_applied.ModifierKey, m_applied.NormalKey)) {
            m_hotkeyRegistered = true;
            m_registeredModifier = m_applied.ModifierKey;
            m_registeredKey = m_applied.NormalKey;
        } else {
            m_hotkey->unsetShortcut();
        }
    }

    showAppliedValues();
}

void Korvo_LCDControllorWidget::showAppliedValues()
{
    m_timeBox->setValue(int(std::min<quint32>(m_applied.SwitchTime, MaxSwitchSeconds)));
    m_lcdSwitch->setChecked(m_applied.EnableLcd);
    if (m_applied.AutoSwitch)
        m_automaticRadio->setChecked(true);
    else
        m_manualRadio->setChecked(true);
    m_modifierEdit->setKey(m_applied.ModifierKey);
    m_keyEdit->setKey(m_applied.NormalKey);
    updateEnabledStates();
}

void Korvo_LCDControllorWidget::updateEnabledStates()
{
    // One rule for both slots, so that the order in which Cancel restores the widgets cannot leave the
    // radios enabled under a switched-off LCD.
    const bool on = m_lcdSwitch->isChecked();
    const bool automatic = m_automaticRadio->isChecked();
    m_automaticRadio->setEnabled(on);
    m_manualRadio->setEnabled(on);
    m_timeBox->setEnabled(on && automatic);
    m_modifierEdit->setEnabled(on && !automatic);
    m_keyEdit->setEnabled(on && !automatic);
}

void Korvo_LCDControllorWidget::showEditButtons(bool visible)
{
    m_applyButton->setVisible(visible);
    m_cancelButton->setVisible(visible);
}

void Korvo_LCDControllorWidget::onAutoSwitchToggled(bool checked)
{
    Q_UNUSED(checked);
    updateEnabledStates();
    showEditButtons(true);
}

void Korvo_LCDControllorWidget::onEnableLCDToggled(bool checked)
{
    Q_UNUSED(checked);
    updateEnabledStates();
    showEditButtons(true);
}

void Korvo_LCDControllorWidget::onLineEditTextChanged(const QString &text)
{
    Q_UNUSED(text);
    showEditButtons(true);
}

void Korvo_LCDControllorWidget::onSpinBoxValueChanged(int value)
{
    Q_UNUSED(value);
    showEditButtons(true);
}

bool Korvo_LCDControllorWidget::registerHotKey(quint32 modifierKey, quint32 key)
{
    if (!HotKeyTable::isKey(key))
        return false;
    const bool hadPrevious = m_hotkeyRegistered;
    const quint32 previousModifier = m_registeredModifier;
    const quint32 previousKey = m_registeredKey;
    // setShortcut releases the combination registered before, so a refusal must take that one back.
    if (m_hotkey->setShortcut(modifierKey, key)) {
        m_hotkeyRegistered = true;
        m_registeredModifier = modifierKey;
        m_registeredKey = key;
        return true;
    }
    m_hotkey->unsetShortcut();
    m_hotkeyRegistered = false;
    if (hadPrevious && m_hotkey->setShortcut(previousModifier, previousKey))
        m_hotkeyRegistered = true;
    else if (hadPrevious)
        m_hotkey->unsetShortcut();
    return false;
}

void Korvo_LCDControllorWidget::releaseHotKey()
{
    if (!m_hotkeyRegistered)
        return;
    m_hotkey->unsetShortcut();
    m_hotkeyRegistered = false;
}

void Korvo_LCDControllorWidget::onConfirmClick()
{
    // Apply acts on its press, and the question box takes the release: the button would stay drawn pressed.
    m_applyButton->setDown(false);
    Korvo_MessageBox1 question(MsgBoxYesNo, QString(), m_texts.applyQuestion, m_language, this,
        Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    question.setModal(true);
    if (question.exec() != MsgBoxResultYes)
        return;

    const bool automatic = m_automaticRadio->isChecked();
    const quint32 seconds = quint32(m_timeBox->value());
    if (automatic) {
        releaseHotKey();
    } else if (!registerHotKey(m_modifierEdit->currentKey(), m_keyEdit->currentKey())) {
        // Another program holds the combination: nothing is applied, the previous hotkey stays, and the
        // buttons stay so that the user can pick another key.
        Korvo_MessageBox refused(MsgBoxOneButton, QString(), m_texts.hotkeyUnavailable, m_language, this);
        refused.exec();
        return;
    }
    if (m_feeder) {
        m_feeder->setAutoSwitch(automatic, seconds);
        m_feeder->setEnableLCD(m_lcdSwitch->isChecked());
        m_feeder->startSampling();
    }
    m_applied.SwitchTime = seconds;
    m_applied.EnableLcd = m_lcdSwitch->isChecked();
    m_applied.AutoSwitch = automatic;
    m_applied.ModifierKey = m_modifierEdit->currentKey();
    m_applied.NormalKey = m_keyEdit->currentKey();
    showEditButtons(false);
}

void Korvo_LCDControllorWidget::onCancelClick()
{
    showAppliedValues();
    showEditButtons(false);
}

void Korvo_LCDControllorWidget::onSendNvDataToLCDSuccess(bool success)
{
    // A lost frame is followed by the next one within a second; nothing to show.
    Q_UNUSED(success);
}

void Korvo_LCDControllorWidget::onHotKeyActivated()
{
    if (m_feeder)
        m_feeder->manualSwitch();
}

void Korvo_LCDControllorWidget::setLCDCurrentDisplayMode(LCDDisplayMode mode)
{
    if (m_feeder)
        m_feeder->setLCDCurrentDisplayMode(mode);
}

LcdRecord Korvo_LCDControllorWidget::currentLcdRecord() const
{
    return m_applied;
}

void Korvo_LCDControllorWidget::setLanguageTexts(const Lang_LcdControl &texts, LanguageType language)
{
    m_texts = texts;
    m_language = language;
    m_lcdSwitch->setToolTip(m_texts.switchLcd);
    m_automaticRadio->setText(m_texts.switchAutomatically);
    m_manualRadio->setText(m_texts.switchManually);
    m_applyButton->setText(m_texts.apply);
    m_cancelButton->setText(m_texts.cancel);
    layoutWidgets();
    m_background = QPixmap(); // drawn when next painted: a hidden page holds no pixels
    update();
}

Korvo_LCDControllorWidget::Metrics Korvo_LCDControllorWidget::metrics() const
{
    Metrics m;
    m.titleHeight = height() / 10;
    m.margin = width() / 15;
    m.rowHeight = (height() - 2 * m.titleHeight) / 8;
    m.labelX = m.margin + 30;
    const QFontMetrics labels(pixelFont(LookKit::fontFamily(m_language), LabelPixelSize));
    m.timeLabelWidth = labels.horizontalAdvance(m_texts.time);
    m.hotkeyLabelWidth = labels.horizontalAdvance(m_texts.hotkey);
    return m;
}

void Korvo_LCDControllorWidget::layoutWidgets()
{
    const int w = width();
    const int h = height();
    const Metrics m = metrics();
    const int T = m.titleHeight;
    const int R = m.rowHeight;

    const QFont radioFont = pixelFont(LookKit::fontFamily(m_language), RadioPixelSize);
    const QFontMetrics radioMetrics(radioFont);
    m_automaticRadio->setFont(radioFont);
    m_manualRadio->setFont(radioFont);
    m_lcdSwitch->setFont(radioFont);
    m_automaticRadio->setGeometry(
        m.margin, T + R, radioMetrics.horizontalAdvance(m_automaticRadio->text()) + 30, R);
    m_manualRadio->setGeometry(
        m.margin, T + 3 * R, radioMetrics.horizontalAdvance(m_manualRadio->text()) + 30, R);
    m_lcdSwitch->setGeometry(m.margin, T + 5 * R, w, R);

    const int editInset = (R - EditHeight) / 2;
    m_timeBox->setGeometry(m.labelX + m.timeLabelWidth, T + 2 * R + editInset, EditWidth, EditHeight);
    m_modifierEdit->setGeometry(m.labelX + m.hotkeyLabelWidth, T + 4 * R + editInset, EditWidth, EditHeight);
    m_keyEdit->setGeometry(
        m.labelX + m.hotkeyLabelWidth + EditWidth + EditGap, T + 4 * R + editInset, EditWidth, EditHeight);

    const QFont buttonFont = pixelFont(font().family(), R / 2);
    m_applyButton->setGeometry(w / 4, h - T, w / 5, R / 3 * 2);
    m_cancelButton->setGeometry(w / 2, h - T, w / 5, R / 3 * 2);
    m_applyButton->setFont(buttonFont);
    m_cancelButton->setFont(buttonFont);
}

void Korvo_LCDControllorWidget::drawBackground()
{
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0) {
        m_background = QPixmap();
        return;
    }
    const Metrics m = metrics();
    const int T = m.titleHeight;
    const int R = m.rowHeight;
    m_background = QPixmap(w, h);
    m_background.fill(Qt::transparent);
    QPainter painter(&m_background);
    NotchedPanel::paint(painter, size(), T);

    painter.setPen(Qt::white);
    painter.setFont(pixelFont(LookKit::fontFamily(m_language), int(std::min(w / 4.0, T / 1.5)), TitleWeight));
    painter.drawText(QRect(m.margin, 0, w, T), Qt::AlignLeft | Qt::AlignVCenter, m_texts.lcdControl);
    painter.setFont(pixelFont(LookKit::fontFamily(m_language), LabelPixelSize));
    painter.drawText(QRect(m.labelX, T + 2 * R, w, R), Qt::AlignLeft | Qt::AlignVCenter, m_texts.time);
    painter.drawText(QRect(m.labelX, T + 4 * R, w, R), Qt::AlignLeft | Qt::AlignVCenter, m_texts.hotkey);
    painter.setFont(pixelFont(QStringLiteral("Arial"), LabelPixelSize));
    painter.drawText(QRect(m.labelX + m.hotkeyLabelWidth + EditWidth, T + 4 * R, EditGap, R), Qt::AlignCenter,
        QStringLiteral("+"));
}

void Korvo_LCDControllorWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutWidgets();
    m_background = QPixmap(); // drawn when next painted: a hidden page holds no pixels
}

void Korvo_LCDControllorWidget::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    if (m_background.isNull())
        drawBackground();
    painter.drawPixmap(0, 0, m_background);
}
