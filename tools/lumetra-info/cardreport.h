#pragma once

#include "cardmetrics.h"
#include "cardsampler.h"
#include "gpucontroller.h"
#include "gpurecords.h"
#include "tuningrecords.h"

#include <QJsonObject>
#include <QString>

#include <memory>
#include <vector>

/// Everything lumetra-info prints about the cards: one controller per card
/// (so each card keeps its own extremes), a sample on request, and the two
/// ways of printing it.
class CardReport
{
public:
    struct Card
    {
        int index = 0;
        QString name;
        PciIdentifiers pci;
        NvInfo fixedInfo;
        NvCardBaseInfo baseInfo;
        BoardTempCompleteInfo boardInfo;
        bool ledStateRead = false;
        LedStateReading ledState;
        bool probed = false;
        bool hasLed = false;
        bool hasLcd = false;
        QString pciBus;
        std::array<bool, 4> boardSensors = {};
        CardMetrics metrics;
    };

    /// Finds the cards; `probe` also sends the LED and LCD start-up probes.
    explicit CardReport(bool probe);

    int cardCount() const { return static_cast<int>(m_cards.size()); }
    /// Takes one sample of every card: the program's sampling cycle, and with
    /// `setExporting(true)` also what the exporter reports beyond it (the
    /// tachometer alone, the power draw, the temperature target, the lighting state).
    void sample();
    void setExporting(bool exporting) { m_exporting = exporting; }

    QString text() const;
    QJsonObject json() const;
    /// The last sample of every card, for the exporter and the logs.
    QList<CardMetrics> metrics() const;

private:
    struct Slot
    {
        explicit Slot(std::unique_ptr<GpuController> gpu)
            : controller(std::move(gpu))
            , sampler(controller.get())
        {
        }

        std::unique_ptr<GpuController> controller;
        CardSampler sampler;
        Card card;
    };

    void sampleCard(Slot &slot);
    static void fillIdentity(Card &card);

    std::vector<std::unique_ptr<Slot>> m_cards;
    bool m_exporting = false;
};
