#include "korvo_updatelogwidget.h"

#include "lookkit.h"
#include "windowdrag.h"
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTextCodec>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
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

// Big enough for years of logs; a real log is a few kilobytes. Larger logs are cut here.
constexpr qint64 MaxLogBytes = 1024 * 1024;
// Rich text is laid out in one go on the GUI thread: only a small log with few tables gets it.
constexpr qint64 MaxRichTextBytes = 64 * 1024;
constexpr int MaxRichTextTables = 16;
// One line longer than this is cut: the text edit lays out a 4 MB line for minutes.
constexpr int MaxLineChars = 2000;

/// A document that loads nothing a log names (images, style sheets): a log's `<img src>` could name a FIFO,
/// which blocks the GUI for good, or /dev/zero. Each image is a transparent pixel: on an empty or null
/// answer Qt reads the file itself.
class NoResourceDocument : public QTextDocument
{
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int type, const QUrl &) override
    {
        if (type != QTextDocument::ImageResource)
            return QByteArray("");
        QImage pixel(1, 1, QImage::Format_ARGB32);
        pixel.fill(Qt::transparent);
        return pixel;
    }
};

QString cutLongLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.size() > MaxLineChars)
            line = line.left(MaxLineChars) + QChar(0x2026);
    }
    return lines.join(QLatin1Char('\n'));
}
constexpr int DialogWidth = 480;
constexpr int DialogHeight = 360;

} // namespace

void Korvo_UpdateLogWidget::showOnItsOwn(LanguageType language)
{
    auto *log = new Korvo_UpdateLogWidget(language);
    log->setAttribute(Qt::WA_QuitOnClose, false);
    QTimer::singleShot(0, log, [log] {
        log->show();
        log->raise();
        log->activateWindow();
    });
}

Korvo_UpdateLogWidget::Korvo_UpdateLogWidget(LanguageType language, QWidget *parent)
    : QDialog(parent)
{
    buildForm();
    setStyleSheet(QLatin1String(StyleSheet));
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    new WindowDrag(this);
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
    m_textEdit->setDocument(new NoResourceDocument(m_textEdit));
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

bool Korvo_UpdateLogWidget::showsAsRichText(const QString &text, qint64 bytes)
{
    return bytes <= MaxRichTextBytes
        && text.count(QLatin1String("<table"), Qt::CaseInsensitive) <= MaxRichTextTables
        && Qt::mightBeRichText(text);
}

void Korvo_UpdateLogWidget::loadLog(LanguageType language)
{
    const QString empty
        = language == English ? QStringLiteral("No update history yet.") : QStringLiteral("暂无更新记录。");
    // Only a regular file: a FIFO or a device would block the GUI thread on open or read.
    const QString path = logPathFor(language);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        m_textEdit->setPlainText(empty);
        return;
    }
    const QByteArray bytes = file.read(MaxLogBytes);
    const QString text = decodeLogText(bytes);
    if (text.trimmed().isEmpty())
        m_textEdit->setPlainText(empty);
    else if (showsAsRichText(text, bytes.size()))
        m_textEdit->setHtml(text);
    else
        m_textEdit->setPlainText(cutLongLines(text));
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
    QPen pen(LookKit::accent());
    pen.setWidthF(2.5);
    painter.setPen(pen);
    painter.setBrush(QColor(0, 0, 0, 220));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1.25, 1.25, -1.25, -1.25), 10, 10);
}
