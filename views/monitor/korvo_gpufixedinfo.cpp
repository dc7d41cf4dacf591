#include "korvo_gpufixedinfo.h"

#include "notchedpanel.h"
#include "programversion.h"
#include "readonlylineedit.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace {

const char *const PanelStyle
    = "QLabel{font-family: \"Arial\";font-size: 12px;}ReadonlyLineEdit{font-size: 10px;}";

// Writing an unchanged text would reset the cursor and drop the user's selection. A new text is shown
// from its start, and its field asks the row for room for all of it.
void setTextIfChanged(QLineEdit *field, const QString &text)
{
    if (field->text() == text)
        return;
    field->setText(text);
    field->setCursorPosition(0);
    field->ensurePolished();
    // The style sheet's 1 px border and the line edit's own 2 px margin, on each side.
    constexpr int FrameAndMargins = 6;
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(text) + FrameAndMargins);
}

void setTextIfChanged(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text = QString())
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

ReadonlyLineEdit *makeField(QWidget *parent, const char *name, const QString &text = QString())
{
    auto *field = new ReadonlyLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setText(text);
    return field;
}

QHBoxLayout *makeRow(const char *name, const QList<QPair<QWidget *, int>> &widgets)
{
    auto *row = new QHBoxLayout;
    row->setObjectName(QLatin1String(name));
    row->setSpacing(6);
    for (const auto &entry : widgets)
        row->addWidget(entry.first, entry.second);
    return row;
}

} // namespace

Korvo_GpuFixedInfo::Korvo_GpuFixedInfo(QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Korvo_GpuFixedInfoWidget"));
    QFont base = font();
    base.setPointSize(9);
    setFont(base);
    buildForm();
    setStyleSheet(QLatin1String(PanelStyle));
    resize(441, 433);
    applyLabelTexts();
}

QString Korvo_GpuFixedInfo::versionText()
{
    return QStringLiteral("V ") + QLatin1String(ProgramVersion);
}

void Korvo_GpuFixedInfo::buildForm()
{
    m_form = new QWidget(this);
    m_form->setObjectName(QStringLiteral("verticalLayoutWidget"));
    QWidget *f = m_form;
    m_lblMemType = makeLabel(f, "lbl_MemType");
    m_letMemType = makeField(f, "let_MemType");
    m_lblMemSize = makeLabel(f, "lbl_MemSize");
    m_letMemSize = makeField(f, "let_MemSize");
    m_lblMemBitWidth = makeLabel(f, "lbl_MemBitWidth");
    m_letMemBitWidth = makeField(f, "let_MemBitWidth", QStringLiteral("1234"));
    m_lblMemBandWidth = makeLabel(f, "lbl_MemBandWidth");
    m_letMemBandWidth = makeField(f, "let_MemBandWidth");
    m_lblGpuFreClock = makeLabel(f, "lbl_GpuFreClock");
    m_letGpuFreClock = makeField(f, "let_GpuFreClock");
    m_lblMemFreClock = makeLabel(f, "lbl_MemFreClock");
    m_letMemFreClock = makeField(f, "let_MemFreClock");
    m_lblCustomGpuFreClock = makeLabel(f, "lbl_CustomGpuFreClock");
    m_letCustomGpuFreClock = makeField(f, "let_CustomGpuFreClock");
    m_lblGpuFreClockChanged = makeLabel(f, "lbl_GpuFreClockChanged");
    m_lblGpuFreClockChangedValue = makeLabel(f, "lbl_GpuFreClockChangedValue", QStringLiteral("0"));
    m_lblCustomMemFreClock = makeLabel(f, "lbl_CustomMemFreClock");
    m_letCustomMemFreClock = makeField(f, "let_CustomMemFreClock");
    m_lblMemFreClockChanged = makeLabel(f, "lbl_MemFreClockChanged");
    m_lblMemFreClockChangedValue = makeLabel(f, "lbl_MemFreClockChangedValue", QStringLiteral("0"));
    m_lblBiosVersion = makeLabel(f, "lbl_BiosVersion");
    m_lblBiosVersionValue = makeLabel(f, "lbl_BiosVersionValue", QStringLiteral("0"));

    for (QLabel *name : { m_lblMemType, m_lblMemSize, m_lblMemBitWidth, m_lblMemBandWidth, m_lblGpuFreClock,
             m_lblMemFreClock })
        name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *main = new QVBoxLayout(f);
    main->setObjectName(QStringLiteral("mainLayout"));
    main->setSpacing(6);
    main->setContentsMargins(0, 0, 0, 0);
    const QList<QHBoxLayout *> rows = {
        makeRow("horizontalLayout_4",
            { { m_lblMemType, 1 }, { m_letMemType, 3 }, { m_lblMemSize, 1 }, { m_letMemSize, 3 } }),
        makeRow("horizontalLayout_5",
            { { m_lblMemBitWidth, 1 }, { m_letMemBitWidth, 3 }, { m_lblMemBandWidth, 1 },
                { m_letMemBandWidth, 3 } }),
        makeRow("horizontalLayout",
            { { m_lblGpuFreClock, 1 }, { m_letGpuFreClock, 3 }, { m_lblMemFreClock, 1 },
                { m_letMemFreClock, 3 } }),
        makeRow("horizontalLayout_2",
            { { m_lblCustomGpuFreClock, 2 }, { m_letCustomGpuFreClock, 2 }, { m_lblGpuFreClockChanged, 1 },
                { m_lblGpuFreClockChangedValue, 1 } }),
        makeRow("horizontalLayout_3",
            { { m_lblCustomMemFreClock, 2 }, { m_letCustomMemFreClock, 2 }, { m_lblMemFreClockChanged, 1 },
                { m_lblMemFreClockChangedValue, 1 } }),
        makeRow("horizontalLayout_6", { { m_lblBiosVersion, 0 }, { m_lblBiosVersionValue, 0 } }),
    };
    main->addSpacerItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    main->setStretch(0, 2);
    for (QHBoxLayout *row : rows) {
        main->addLayout(row, 1);
        main->addSpacerItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
        main->setStretch(main->count() - 1, 2);
    }
}

void Korvo_GpuFixedInfo::setLanguageTexts(Lang_FixedInfo texts, LanguageType language)
{
    m_texts = texts;
    m_language = language;
    applyLabelTexts();
    m_background = QImage(); // drawn when next painted: a hidden page holds no pixels
    update();
}

void Korvo_GpuFixedInfo::applyLabelTexts()
{
    setTextIfChanged(m_lblMemBitWidth, m_texts.busWidth);
    setTextIfChanged(m_lblMemBandWidth, m_texts.bandWidth);
    setTextIfChanged(m_lblMemType, m_texts.memType);
    setTextIfChanged(m_lblMemSize, m_texts.memSize);
    setTextIfChanged(m_lblGpuFreClock, m_texts.gpuClock);
    setTextIfChanged(m_lblMemFreClock, m_texts.memClock);
    setTextIfChanged(m_lblCustomGpuFreClock, m_texts.customizedGpuClock);
    setTextIfChanged(m_lblCustomMemFreClock, m_texts.customizedMemClock);
    setTextIfChanged(m_lblBiosVersion, m_texts.biosVersion);
    // Until a record says otherwise the change is an increase; after one, the new language's word for the
    // same direction.
    setTextIfChanged(m_lblGpuFreClockChanged, m_gpuOffset < 0 ? m_texts.decrease : m_texts.increase);
    setTextIfChanged(m_lblMemFreClockChanged, m_memoryOffset < 0 ? m_texts.decrease : m_texts.increase);
}

void Korvo_GpuFixedInfo::showOffset(QLabel *direction, QLabel *value, std::int32_t offsetMhz)
{
    setTextIfChanged(direction, offsetMhz < 0 ? m_texts.decrease : m_texts.increase);
    setTextIfChanged(value, QString::number(offsetMhz));
}

void Korvo_GpuFixedInfo::recvGpuFixedInfo(NvInfo nvInfo)
{
    setTextIfChanged(m_letMemSize, nvInfo.memorySize);
    setTextIfChanged(m_letMemType, nvInfo.memoryType);
    setTextIfChanged(m_letMemBitWidth, nvInfo.memoryBusWidth);
    setTextIfChanged(m_letMemBandWidth, nvInfo.memoryBandwidth);
    setTextIfChanged(m_letGpuFreClock, nvInfo.defaultGpuClock);
    setTextIfChanged(m_letMemFreClock, nvInfo.defaultMemoryClock);
    setTextIfChanged(m_letCustomGpuFreClock, nvInfo.gpuClock);
    setTextIfChanged(m_letCustomMemFreClock, nvInfo.memoryClock);
    setTextIfChanged(m_lblBiosVersionValue, nvInfo.biosVersion);
    m_gpuOffset = nvInfo.gpuClockOffset;
    m_memoryOffset = nvInfo.memoryClockOffset;
    showOffset(m_lblGpuFreClockChanged, m_lblGpuFreClockChangedValue, m_gpuOffset);
    showOffset(m_lblMemFreClockChanged, m_lblMemFreClockChangedValue, m_memoryOffset);
}

void Korvo_GpuFixedInfo::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int band = h / 10;
    const int margin = w / 15;
    m_form->setGeometry(margin, band, w - 2 * margin, h - 2 * band);
    m_background = QImage(); // drawn when next painted: a hidden page holds no pixels
}

void Korvo_GpuFixedInfo::drawBackground()
{
    const int w = width();
    const int h = height();
    const int band = h / 10;
    const int margin = w / 15;
    m_background = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    m_background.fill(Qt::transparent);
    QPainter painter(&m_background);
    NotchedPanel::paint(painter, size(), band);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::white);

    QFont titleFont = font();
    titleFont.setWeight(63);
    titleFont.setPixelSize(std::max(1, std::min(w / 4, int(band / 1.5))));
    painter.setFont(titleFont);
    painter.drawText(QRect(margin, 0, w, band), Qt::AlignLeft | Qt::AlignVCenter, m_texts.cardInfo);

    QFont versionFont(QStringLiteral("Arial"));
    versionFont.setWeight(50);
    versionFont.setPixelSize(std::max(1, int(band / 2.5)));
    painter.setFont(versionFont);
    const QString version = versionText();
    const int textWidth = QFontMetrics(versionFont).horizontalAdvance(version);
    painter.drawText(
        QRect(w - margin - textWidth, 0, textWidth, band), Qt::AlignLeft | Qt::AlignVCenter, version);
}

void Korvo_GpuFixedInfo::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    if (m_background.isNull())
        drawBackground();
    painter.drawImage(0, 0, m_background);
}
