#pragma once

#include "gpurecords.h"
#include "korvo_monitorboxstack.h"
#include "monitorpagetexts.h"

/// The GPU monitor page's graph face: six history graphs in row order, temperature alone until the page
/// hands over the checked rows.
class Korvo_GPUInfoMonitorWidget : public Korvo_MonitorBoxStack
{
    Q_OBJECT

public:
    static constexpr int InitialMask = 0x4;

    explicit Korvo_GPUInfoMonitorWidget(QWidget *parent = nullptr);

    void setLanguageTexts(MonitorPageTexts texts);
    NvCardBaseInfo lastRecord() const { return m_record; }

public slots:
    void receiveNvCardBaseInfo(NvCardBaseInfo nvCardBaseInfo);

private:
    NvCardBaseInfo m_record;
    MonitorPageTexts m_texts;
};
