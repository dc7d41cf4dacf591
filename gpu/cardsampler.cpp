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
    gpu.readMemoryInfo(readings.memory);
    gpu.readThermal(readings.thermal);
    gpu.readCurrentClocks(readings.clocks);
    gpu.readCooler(readings.cooler);
    gpu.readUsage(readings.usage);
    ExtremesTable extremes;
    gpu.readExtremes(extremes);
    sample.live = m_assembler.assemble(readings, extremes);
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
