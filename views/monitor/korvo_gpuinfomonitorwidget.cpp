#include "korvo_gpuinfomonitorwidget.h"

#include "monitorquantities.h"

Korvo_GPUInfoMonitorWidget::Korvo_GPUInfoMonitorWidget(QWidget *parent)
    : Korvo_MonitorBoxStack(MonitorQuantities::GpuCount, InitialMask, parent)
{
    setLanguageTexts(MonitorPageTexts());
}

void Korvo_GPUInfoMonitorWidget::setLanguageTexts(MonitorPageTexts texts)
{
    m_texts = texts;
    setGraphTitles(texts.texts().mid(1));
}

void Korvo_GPUInfoMonitorWidget::receiveNvCardBaseInfo(NvCardBaseInfo nvCardBaseInfo)
{
    m_record = nvCardBaseInfo;
    for (int i = 0; i < graphCount(); ++i) {
        const MonitorValue &value = MonitorQuantities::gpu(m_record, i);
        const QString unit = MonitorQuantities::gpuUnit(i);
        feed(i, value.rangeBottom, value.rangeTop, value.current, QString::number(value.current) + unit,
            QString::number(value.minimum) + unit, QString::number(value.maximum) + unit);
    }
    update();
}
