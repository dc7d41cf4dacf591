#pragma once

#include "gpurecords.h"
#include "korvo_inforowlist.h"
#include "monitorpagetexts.h"

/// The GPU monitor page's list face: six check rows (core clock, fan speed, temperature, memory clock,
/// memory usage, GPU usage) with current, highest and lowest value.
class Korvo_GPUInfoWidget : public Korvo_InfoRowList
{
    Q_OBJECT

public:
    explicit Korvo_GPUInfoWidget(QWidget *parent = nullptr);

    void setLanguageTexts(MonitorPageTexts texts);
    NvCardBaseInfo lastRecord() const { return m_record; }

public slots:
    void receiveNvCardBaseInfo(NvCardBaseInfo nvCardBaseInfo);

private:
    NvCardBaseInfo m_record;
    MonitorPageTexts m_texts;
};
