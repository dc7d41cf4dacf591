#include "korvo_gpuinfowidget.h"

#include "korvo_baseinforow.h"
#include "monitorquantities.h"

Korvo_GPUInfoWidget::Korvo_GPUInfoWidget(QWidget *parent)
    : Korvo_InfoRowList(MonitorQuantities::GpuCount, parent)
{
    setLanguageTexts(MonitorPageTexts());
}

void Korvo_GPUInfoWidget::setLanguageTexts(MonitorPageTexts texts)
{
    m_texts = texts;
    setRowTitles(texts.texts().mid(1));
}

void Korvo_GPUInfoWidget::receiveNvCardBaseInfo(NvCardBaseInfo nvCardBaseInfo)
{
    m_record = nvCardBaseInfo;
    for (int i = 0; i < rowCount(); ++i) {
        const MonitorValue &value = MonitorQuantities::gpu(m_record, i);
        const QString unit = MonitorQuantities::gpuUnit(i);
        row(i)->setValues(QString::number(value.current) + unit, QString::number(value.maximum) + unit,
            QString::number(value.minimum) + unit);
    }
    update();
}
