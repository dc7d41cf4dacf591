#include "korvo_messagebox.h"

#include "korvo_windowposition.h"
#include "lookkit.h"
#include "lumetraresources.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

Korvo_MessageBox::AutoAnswer &autoAnswer()
{
    static Korvo_MessageBox::AutoAnswer answer;
    return answer;
}

const char *const CheckBoxStyle = "QCheckBox{background:transparent;color:white;}"
                                  "QCheckBox::indicator{width:18px;height:18px;}"
                                  "QCheckBox::indicator:unchecked{"
                                  "image:url(:/images/images/messageBox/unchecked.png);}"
                                  "QCheckBox::indicator:unchecked:hover{"
                                  "image:url(:/images/images/messageBox/hover_unchecked.png);}"
                                  "QCheckBox::indicator:checked{"
                                  "image:url(:/images/images/messageBox/checked.png);}"
                                  "QCheckBox::indicator:checked:hover{"
                                  "image:url(:/images/images/messageBox/hover_checked.png);}";

QString yesText(bool english, bool twoButtons)
{
    if (english)
        return twoButtons ? QStringLiteral("Yes") : QStringLiteral("Confirm");
    return twoButtons ? QStringLiteral("是") : QStringLiteral("确定");
}

} // namespace

void Korvo_MessageBox::setAutoAnswer(AutoAnswer answer)
{
    autoAnswer() = std::move(answer);
}

Korvo_MessageBox::Korvo_MessageBox(int type, const QString &title, const QString &text, LanguageType language,
    QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , m_type(type)
    , m_language(language)
{
    // The indicator and background images must be reachable even when start-up has not registered them yet.
    initLumetraResources();
    setStyleSheet(LookKit::dialogStyle() + QLatin1String(CheckBoxStyle));

    QFont boxFont = font();
    boxFont.setFamily(LookKit::fontFamily(language));
    boxFont.setWeight(75);
    boxFont.setPixelSize(15);
    setFont(boxFont);

    buildWidgets(text);
    buildLayout();

    setWindowTitle(title);
    resize(320, 160);
    setMinimumSize(0, 0);
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TranslucentBackground);
    Qt::WindowFlags shown = windowFlags() | Qt::FramelessWindowHint;
    if (!parent)
        shown |= Qt::WindowStaysOnTopHint;
    setWindowFlags(shown);
}

void Korvo_MessageBox::buildWidgets(const QString &text)
{
    const bool english = m_language == English;
    const bool twoButtons = m_type & MsgBoxYesNo;

    m_label = new QLabel(text, this);
    m_label->setObjectName(QStringLiteral("msgBoxInfoLabel"));
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A label styled by the sheet does not take the dialog's font from its parent: it gets its own.
    m_label->setFont(font());

    if (m_type & MsgBoxDontShowAgain) {
        m_checkBox = new QCheckBox(
            english ? QStringLiteral("Don't show again.") : QStringLiteral("不再提示。"), this);
    }

    m_yesButton = new QPushButton(yesText(english, twoButtons), this);
    m_yesButton->setObjectName(QStringLiteral("msgBoxYesBtn"));
    m_yesButton->setFixedSize(100, 30);
    m_yesButton->setFocusPolicy(Qt::NoFocus);
    connect(m_yesButton, &QPushButton::released, this, &Korvo_MessageBox::onBtnYesClicked);

    if (!twoButtons)
        return;
    m_noButton = new QPushButton(english ? QStringLiteral("No") : QStringLiteral("否"), this);
    m_noButton->setObjectName(QStringLiteral("msgBoxNoBtn"));
    m_noButton->setFixedSize(100, 30);
    m_noButton->setFocusPolicy(Qt::NoFocus);
    connect(m_noButton, &QPushButton::released, this, &Korvo_MessageBox::onBtnNoClicked);
}

void Korvo_MessageBox::buildLayout()
{
    auto *mainLayout = new QVBoxLayout(this);

    auto *labelRow = new QHBoxLayout;
    labelRow->setContentsMargins(10, 5, 0, 10);
    labelRow->addWidget(m_label);
    mainLayout->addLayout(labelRow);
    mainLayout->addSpacing(20);

    if (m_checkBox) {
        auto *checkRow = new QHBoxLayout;
        checkRow->setContentsMargins(10, 0, 0, 0);
        checkRow->addWidget(m_checkBox);
        mainLayout->addLayout(checkRow);
    }

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_yesButton, 2);
    if (m_noButton) {
        buttonRow->addStretch(1);
        buttonRow->addWidget(m_noButton, 2);
    }
    buttonRow->addStretch(1);
    mainLayout->addLayout(buttonRow);
}

int Korvo_MessageBox::exec()
{
    if (autoAnswer()) {
        AutoAnswer answer = autoAnswer();
        QTimer::singleShot(0, this, [this, answer]() { answer(this); });
    }
    return QDialog::exec();
}

void Korvo_MessageBox::setYesButtonText(const QString &text)
{
    m_yesButton->setText(text);
}

QString Korvo_MessageBox::text() const
{
    return m_label->text();
}

int Korvo_MessageBox::yesResult() const
{
    const bool ticked = m_checkBox && m_checkBox->isChecked();
    if (m_type & MsgBoxYesNo)
        return ticked ? MsgBoxResultYesDontShowAgain : MsgBoxResultYes;
    return ticked ? MsgBoxResultConfirmDontShowAgain : MsgBoxResultConfirm;
}

void Korvo_MessageBox::onBtnYesClicked()
{
    done(yesResult());
}

void Korvo_MessageBox::onBtnNoClicked()
{
    done(MsgBoxResultNo);
}

void Korvo_MessageBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    LookKit::paintDialogPanel(painter, rect());
}

void Korvo_MessageBox::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeOverParent();
}

void Korvo_MessageBox::placeOverParent()
{
    QWidget *window = parentWidget() ? parentWidget()->window() : nullptr;
    if (window) {
        Korvo_WindowPosition::syncWithWindowSystem(window);
        move(LookKit::centredOn(window->geometry(), size()) + QPoint(m_xOffset, m_yOffset));
        return;
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->geometry();
    move((desktop.width() - width()) / 2 + m_xOffset, (desktop.height() - height()) / 2 + m_yOffset);
}
