#pragma once

#include <QMetaType>

#include <cstdint>

/// The page the card's LCD shows. Other values can be stored (the firmware
/// decides what it makes of them); the switching cycle treats them as 0x20.
enum LCDDisplayMode : std::uint8_t {
    LcdPage10 = 0x10,
    LcdPage20 = 0x20,
    LcdPage40 = 0x40,
    LcdPage80 = 0x80,
};

Q_DECLARE_METATYPE(LCDDisplayMode)
