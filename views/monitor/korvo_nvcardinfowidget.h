#pragma once

#include "gpurecords.h"
#include "korvo_twofacepage.h"
#include "languagetype.h"
#include "monitorpagetexts.h"

class GpuController;
class Korvo_GPUInfoMonitorWidget;
class Korvo_GPUInfoWidget;

/// The GPU monitor page: the six live quantities as check rows or as history graphs of the checked rows,
/// under a title band with the driver version.
class Korvo_NvCardInfoWidget : public Korvo_TwoFacePage
{
    Q_OBJECT

public:
    /// Shown when the driver does not tell its version.
    static const char *const UnknownDriverVersion;

    /// Reads the driver version through the card's controller (null: unknown). The rows of the selection
    /// mask are checked; bits without a row are ignored.
    explicit Korvo_NvCardInfoWidget(
        GpuController *controller, int selectionMask = 0, QWidget *parent = nullptr);

    void setLanguageTexts(MonitorPageTexts texts, LanguageType language);
    QString driverVersionText() const { return m_driverVersion; }
    Korvo_GPUInfoWidget *rowList() const { return m_rowList; }
    Korvo_GPUInfoMonitorWidget *graphStack() const { return m_graphStack; }

public slots:
    void recvNvCardInfo(NvCardBaseInfo nvCardBaseInfo);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Korvo_GPUInfoWidget *m_rowList = nullptr;
    Korvo_GPUInfoMonitorWidget *m_graphStack = nullptr;
    MonitorPageTexts m_texts;
    QString m_driverVersion;
};
