#include "korvo_nvcardinfowidget.h"

#include "gpucontroller.h"
#include "korvo_gpuinfomonitorwidget.h"
#include "korvo_gpuinfowidget.h"

#include <QPainter>

const char *const Korvo_NvCardInfoWidget::UnknownDriverVersion = "XXX.XX";

Korvo_NvCardInfoWidget::Korvo_NvCardInfoWidget(GpuController *controller, int selectionMask, QWidget *parent)
    : Korvo_TwoFacePage(parent)
    , m_rowList(new Korvo_GPUInfoWidget(this))
    , m_graphStack(new Korvo_GPUInfoMonitorWidget(this))
{
    m_rowList->setObjectName(QStringLiteral("gpuInfoWidget"));
    m_graphStack->setObjectName(QStringLiteral("gpuInfoMonitorWidget"));
    setFaces(m_rowList, m_graphStack, selectionMask);
    if (!controller || !controller->readDriverVersion(m_driverVersion))
        m_driverVersion = QLatin1String(UnknownDriverVersion);
    setTitle(m_texts.driverVersion, Chinese);
}

void Korvo_NvCardInfoWidget::setLanguageTexts(MonitorPageTexts texts, LanguageType language)
{
    m_texts = texts;
    m_rowList->setLanguageTexts(texts);
    m_graphStack->setLanguageTexts(texts);
    setTitle(texts.driverVersion, language);
}

void Korvo_NvCardInfoWidget::recvNvCardInfo(NvCardBaseInfo nvCardBaseInfo)
{
    m_rowList->receiveNvCardBaseInfo(nvCardBaseInfo);
    m_graphStack->receiveNvCardBaseInfo(nvCardBaseInfo);
}

void Korvo_NvCardInfoWidget::paintEvent(QPaintEvent *event)
{
    Korvo_TwoFacePage::paintEvent(event);
    const int w = width();
    const int band = bandHeight(height());
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont versionFont = font();
    versionFont.setPixelSize(std::max(1, band / 2));
    painter.setFont(versionFont);
    painter.setPen(Qt::white);
    painter.drawText(QRect((w / 3) * 2, 0, w / 3, band), Qt::AlignLeft | Qt::AlignVCenter, m_driverVersion);
}
