#pragma once

#include "cardinfoassembler.h"
#include "gpurecords.h"

#include <functional>

class GpuController;

/// Which readings of a cycle the card answered; the records hold 0 for the others.
struct CardSampleValidity
{
    bool memory = false;
    bool thermal = false;
    bool clocks = false;
    bool cooler = false;
    bool usage = false;
};

/// The three records one sampling cycle yields.
struct CardSample
{
    NvCardBaseInfo live;
    NvInfo fixed;
    BoardTempCompleteInfo board;
    CardSampleValidity valid;
    /// The cooler and usage readings as read, for what the records leave out (fan level, engines).
    CoolerReading cooler;
    UsageReading usage;
};

/// One sampling cycle of a card, the same for every program that samples:
/// the readings in their fixed order (extremes are recorded in reading order,
/// so the order is part of what the views show) and the records built from
/// them. Keeps the sticky range flags between cycles. Not thread-safe: its
/// owner serialises the cycles.
class CardSampler
{
public:
    /// Told about each record as soon as it is complete: live, fixed, board.
    struct Handlers
    {
        std::function<void(const NvCardBaseInfo &)> live;
        std::function<void(const NvInfo &)> fixed;
        std::function<void(const BoardTempCompleteInfo &)> board;
    };

    /// `controller` is shared, not owned; without one a cycle yields empty records.
    explicit CardSampler(GpuController *controller);

    /// Takes one cycle of readings and returns its three records.
    CardSample sample(const Handlers &handlers = Handlers());

    const CardInfoAssembler &assembler() const { return m_assembler; }

private:
    GpuController *const m_controller;
    CardInfoAssembler m_assembler;
};
