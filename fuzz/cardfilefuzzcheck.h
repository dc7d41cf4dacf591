#pragma once

#include <QByteArray>
#include <QString>

/// One card file through the simulated driver: the reader, and every card it
/// gives run for a few steps with tuning writes at both ends of their ranges
/// and every record read. Used by the fuzz target and by the test that
/// replays the committed inputs.
class CardFileFuzzCheck
{
public:
    /// What went wrong, or an empty text.
    static QString run(const QByteArray &input);
};
