#pragma once

#include <QList>
#include <QString>

#include <cstdint>

/// What the main window knows of one card: the names it is shown and stored under, what its subsystem id says
/// about it, and which of its devices answered the start-up probes. The name and model rules are pure so that
/// tests can hold them against tables.
struct CardIdentity
{
    /// Series of a card whose subsystem vendor is not the maker's.
    static constexpr int ForeignSeries = 0xFFFF;
    static constexpr int KorvoSeries = 0x1000;
    static constexpr int ThornaxSeries = 0x2000;
    /// The one model the high-performance preset is made for.
    static const char *const HighPerformanceModel;

    QString fullName;
    QString shortName;
    std::uint32_t subsystemId = 0;
    int series = 0;
    int modelCode = 0;
    int index = 0;
    bool hasLcd = false;
    bool hasLed = false;
    /// At least one board temperature sensor answered at start-up: only then can the board page be opened.
    bool hasBoardSensors = false;

    /// Names, series and model code from the driver's full name and PCI subsystem id, without duplicate
    /// suffixes.
    static CardIdentity fromDriver(const QString &driverName, std::uint32_t subsystemId, int index);
    /// The text from the first "GeForce " on, or the whole name without one.
    static QString geforceName(const QString &driverName);

    /// Appends the card to the list, first giving it " n" suffixes for the n earlier cards with the same
    /// plain short name (short name) or the same plain full name and subsystem id (full name).
    static void appendWithSuffixes(QList<CardIdentity> &cards, CardIdentity card);

    /// Whether the window shows the high-performance switch for the card: the maker's Korvo GeForce GTX 1070
    /// Ti of a model code above 7; a suffixed full name does not qualify. Whether the preset may run at all
    /// is the overclocking page's own, wider rule (TuningRules::mayRunHighPerformancePreset).
    bool showsHighPerformanceSwitch() const;

    /// Names as the driver gave them, before appendWithSuffixes added anything.
    QString plainFullName;
    QString plainShortName;
};
