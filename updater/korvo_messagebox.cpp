#include "korvo_messagebox.h"

#include "lookkit.h"
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

} // namespace

void Korvo_MessageBox::setAutoAnswer(AutoAnswer answer)
{
    autoAnswer() = std::move(answer);
}

Korvo_MessageBox::Korvo_MessageBox(int type, const QString &title, const QString &text, QWidget *parent)
    : QDialog(parent)
    , m_type(type)
{
    setStyleSheet(LookKit::dialogStyle());
    QFont boxFont = font();
    boxFont.setFamily(QStringLiteral("微软雅黑"));
    boxFont.setPixelSize(15);
    boxFont.setWeight(75);
    setFont(boxFont);

    buildWidgets(text);
    buildLayout();

    setWindowTitle(title);
    setAttribute(Qt::WA_TranslucentBackground);
    Qt::WindowFlags flags = (parent ? parent->windowFlags() : Qt::Dialog) | Qt::FramelessWindowHint;
    if (!parent)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    resize(fittingSize());
}

QSize Korvo_MessageBox::fittingSize() const
{
    // 240 x 120 holds a short message; the failure texts run to several lines and would be cut off, so a
    // longer message gets a wider box, tall enough for every line.
    const QSize small(240, 120);
    if (layout()->heightForWidth(small.width()) <= small.height())
        return small;
    const int width = 440;
    return QSize(width, qMax(small.height(), layout()->heightForWidth(width)));
}

void Korvo_MessageBox::buildWidgets(const QString &text)
{
    m_iconLabel = new QLabel(this);
    m_iconLabel->setObjectName(QStringLiteral("msgBoxIconLabel"));
    m_iconLabel->setFixedSize(45, 45);

    m_label = new QLabel(text, this);
    m_label->setObjectName(QStringLiteral("msgBoxInfoLabel"));
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A label styled by the sheet does not take the dialog's font from its parent.
    m_label->setFont(font());

    const bool two = m_type == TwoButtons;
    m_yesButton = new QPushButton(two ? QStringLiteral("Yes") : QStringLiteral("Confirm"), this);
    m_yesButton->setObjectName(QStringLiteral("msgBoxYesBtn"));
    m_yesButton->setFixedSize(100, 30);
    m_yesButton->setFocusPolicy(Qt::NoFocus);
    m_yesButton->setFont(font());
    connect(m_yesButton, &QPushButton::released, this, &QDialog::accept);
    if (!two)
        return;
    m_noButton = new QPushButton(QStringLiteral("No"), this);
    m_noButton->setObjectName(QStringLiteral("msgBoxNoBtn"));
    m_noButton->setFixedSize(100, 30);
    m_noButton->setFocusPolicy(Qt::NoFocus);
    m_noButton->setFont(font());
    connect(m_noButton, &QPushButton::released, this, &QDialog::reject);
}

void Korvo_MessageBox::buildLayout()
{
    auto *mainLayout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(m_iconLabel);
    top->addWidget(m_label, 1);
    mainLayout->addLayout(top);
    mainLayout->addSpacing(20);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_yesButton);
    if (m_noButton) {
        bottom->addStretch();
        bottom->addWidget(m_noButton);
    }
    bottom->addStretch();
    mainLayout->addLayout(bottom);
}

int Korvo_MessageBox::exec()
{
    if (autoAnswer()) {
        AutoAnswer answer = autoAnswer();
        QTimer::singleShot(0, this, [this, answer]() { answer(this); });
    }
    return QDialog::exec();
}

void Korvo_MessageBox::setFirstButtonText(const QString &text)
{
    m_yesButton->setText(text);
}

void Korvo_MessageBox::setSecondButtonText(const QString &text)
{
    if (m_noButton)
        m_noButton->setText(text);
}

QString Korvo_MessageBox::text() const
{
    return m_label->text();
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
    const QWidget *window = parentWidget() ? parentWidget()->window() : nullptr;
    if (window) {
        move(LookKit::centredOn(window->geometry(), size()));
        return;
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(LookKit::centredOn(screen->availableGeometry(), size()));
}
