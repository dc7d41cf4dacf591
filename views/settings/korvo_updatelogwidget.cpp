#include "korvo_updatelogwidget.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTextCodec>
#include <QTextEdit>
#include <QVBoxLayout>

const char *const Korvo_UpdateLogWidget::EnglishLogPath = "updateLog/english.txt";
const char *const Korvo_UpdateLogWidget::ChineseLogPath = "updateLog/chinese.txt";

namespace {

const char *const StyleSheet
    = "QPushButton{background-color:white;color:black;border:1px solid white;border-radius:3px;"
      "font-size:12px;min-height:24px;min-width:80px;}"
      "QPushButton:hover{font-size:13px;}"
      "QPushButton:pressed{font-size:11px;}"
      "QTextEdit{background:transparent;color:white;border:none;}"
      "QScrollBar:vertical{width:8px;background:black;margin:0px;border:none;}"
      "QScrollBar::handle:vertical{background:rgb(50,50,50);min-height:20px;border-radius:4px;}"
      "QScrollBar::handle:vertical:hover{background:rgb(100,100,100);}"
      "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;border:none;background:none;}"
      "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}";

// Big enough that a log file cannot take the memory with it; a real log is a few kilobytes.
constexpr qint64 MaxLogBytes = 4 * 1024 * 1024;
constexpr int DialogWidth = 480;
constexpr int DialogHeight = 360;

} // namespace

Korvo_UpdateLogWidget::Korvo_UpdateLogWidget(LanguageType language, QWidget *parent)
    : QDialog(parent)
{
    buildForm();
    setStyleSheet(QLatin1String(StyleSheet));
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    // Nobody holds a dialog without a parent: it goes when it is closed.
    if (!parent)
        setAttribute(Qt::WA_DeleteOnClose);
    connect(m_closeButton, &QPushButton::released, this, &Korvo_UpdateLogWidget::onBtnCloseClick);
    m_closeButton->setText(language == English ? QStringLiteral("Close") : QStringLiteral("关闭"));
    loadLog(language);
}

void Korvo_UpdateLogWidget::buildForm()
{
    setObjectName(QStringLiteral("Korvo_UpdateLogWidget"));
    resize(DialogWidth, DialogHeight);
    setWindowTitle(QCoreApplication::translate("Korvo_UpdateLogWidget", "Korvo_UpdateLogWidget"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    m_textEdit = new QTextEdit(this);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setReadOnly(true);
    m_closeButton = new QPushButton(this);
    m_closeButton->setObjectName(QStringLiteral("pushButton"));
    layout->addWidget(m_textEdit);
    layout->addWidget(m_closeButton, 0, Qt::AlignHCenter);
}

QString Korvo_UpdateLogWidget::logPathFor(LanguageType language)
{
    return QLatin1String(language == English ? EnglishLogPath : ChineseLogPath);
}

QString Korvo_UpdateLogWidget::decodeLogText(const QByteArray &bytes)
{
    static const QByteArray Bom("\xEF\xBB\xBF");
    if (bytes.startsWith(Bom))
        return QString::fromUtf8(bytes.mid(Bom.size()));
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state;
    const QString text = utf8->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return text;
    return QTextCodec::codecForLocale()->toUnicode(bytes);
}

void Korvo_UpdateLogWidget::loadLog(LanguageType language)
{
    QFile file(logPathFor(language));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.read(MaxLogBytes);
    // Text with tags is shown as rich text, anything else as it is.
    m_textEdit->setText(decodeLogText(bytes));
}

void Korvo_UpdateLogWidget::onBtnCloseClick()
{
    close();
}

void Korvo_UpdateLogWidget::centre()
{
    QRect area;
    if (QWidget *owner = parentWidget())
        area = owner->window()->frameGeometry();
    else if (QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void Korvo_UpdateLogWidget::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    centre();
}

void Korvo_UpdateLogWidget::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(252, 10, 53));
    pen.setWidthF(2.5);
    painter.setPen(pen);
    painter.setBrush(QColor(0, 0, 0, 220));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1.25, 1.25, -1.25, -1.25), 10, 10);
}

void Korvo_UpdateLogWidget::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    m_dragging = true;
    m_dragGrip = event->pos();
    QDialog::mousePressEvent(event);
}

void Korvo_UpdateLogWidget::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}

void Korvo_UpdateLogWidget::mouseMoveEvent(QMouseEvent *event)
{
    // From the pointer event alone: pos() can be stale for a window the window manager has just placed.
    if (m_dragging && event->buttons() != Qt::NoButton && event->pos() != m_dragGrip)
        move(event->globalPos() - m_dragGrip);
    QDialog::mouseMoveEvent(event);
}
