#include "cardsampler.h"

#include "gpucontroller.h"

CardSampler::CardSampler(GpuController *controller)
    : m_controller(controller)
{
}

CardSample CardSampler::sample(const Handlers &handlers)
{
    CardSample sample;
    if (!m_controller)
        return sample;
    GpuController &gpu = *m_controller;

    CardInfoAssembler::Readings readings;
    sample.valid.memory = gpu.readMemoryInfo(readings.memory);
    sample.valid.thermal = gpu.readThermal(readings.thermal);
    gpu.readCurrentClocks(readings.clocks);
    // A card that answers never runs both clocks at 0 MHz: zeros are a failed reading.
    sample.valid.clocks = readings.clocks.gpuMhz > 0 || readings.clocks.memoryMhz > 0;
    sample.valid.cooler = gpu.readCooler(readings.cooler);
    sample.valid.usage = gpu.readUsage(readings.usage);
    ExtremesTable extremes;
    gpu.readExtremes(extremes);
    sample.live = m_assembler.assemble(readings, extremes);
    sample.cooler = readings.cooler;
    sample.usage = readings.usage;
    if (handlers.live)
        handlers.live(sample.live);

    gpu.readFixedInfo(sample.fixed);
    if (handlers.fixed)
        handlers.fixed(sample.fixed);

    BoardTemperatures board;
    gpu.readBoardTemperatures(board);
    gpu.readExtremes(extremes);
    sample.board = CardInfoAssembler::assembleBoard(board, extremes);
    if (handlers.board)
        handlers.board(sample.board);
    return sample;
}
