#pragma once

#include "gpurecords.h"
#include "lang_fixedinfo.h"
#include "languagetype.h"

#include <QImage>
#include <QWidget>

class QLabel;
class QLineEdit;
class ReadonlyLineEdit;

/// The card's fixed facts (memory type, size, bus width and bandwidth, stock and current clocks with their
/// change against stock, BIOS version) in read-only fields under a notched title band that carries the
/// program's version. Filled from the sampler's fixed record, which comes every cycle: a field is written
/// only when its text changes, so that a selection the user is making survives.
class Korvo_GpuFixedInfo : public QWidget
{
    Q_OBJECT

public:
    explicit Korvo_GpuFixedInfo(QWidget *parent = nullptr);

    void setLanguageTexts(Lang_FixedInfo texts, LanguageType language);
    /// "V " and the program's version.
    static QString versionText();
    QImage backgroundImage()
    {
        if (m_background.isNull())
            drawBackground();
        return m_background;
    }
    QWidget *formWidget() const { return m_form; }

public slots:
    void recvGpuFixedInfo(NvInfo nvInfo);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildForm();
    void applyLabelTexts();
    void showOffset(QLabel *direction, QLabel *value, std::int32_t offsetMhz);
    void drawBackground();

    Lang_FixedInfo m_texts;
    LanguageType m_language = Chinese;
    std::int32_t m_gpuOffset = 0;
    std::int32_t m_memoryOffset = 0;
    QImage m_background;
    QWidget *m_form = nullptr;
    QLabel *m_lblMemType = nullptr;
    QLabel *m_lblMemSize = nullptr;
    QLabel *m_lblMemBitWidth = nullptr;
    QLabel *m_lblMemBandWidth = nullptr;
    QLabel *m_lblGpuFreClock = nullptr;
    QLabel *m_lblMemFreClock = nullptr;
    QLabel *m_lblCustomGpuFreClock = nullptr;
    QLabel *m_lblGpuFreClockChanged = nullptr;
    QLabel *m_lblGpuFreClockChangedValue = nullptr;
    QLabel *m_lblCustomMemFreClock = nullptr;
    QLabel *m_lblMemFreClockChanged = nullptr;
    QLabel *m_lblMemFreClockChangedValue = nullptr;
    QLabel *m_lblBiosVersion = nullptr;
    QLabel *m_lblBiosVersionValue = nullptr;
    ReadonlyLineEdit *m_letMemType = nullptr;
    ReadonlyLineEdit *m_letMemSize = nullptr;
    ReadonlyLineEdit *m_letMemBitWidth = nullptr;
    ReadonlyLineEdit *m_letMemBandWidth = nullptr;
    ReadonlyLineEdit *m_letGpuFreClock = nullptr;
    ReadonlyLineEdit *m_letMemFreClock = nullptr;
    ReadonlyLineEdit *m_letCustomGpuFreClock = nullptr;
    ReadonlyLineEdit *m_letCustomMemFreClock = nullptr;
};
