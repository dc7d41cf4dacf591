#pragma once

#include <QStringList>

/// The images and fonts live in a static library, whose resources stay unregistered until this runs once.
/// Safe to call more than once.
void initLumetraResources();

/// Adds the three embedded fonts to the application font database in the start-up order and returns the first
/// family of each (empty for one that could not be read).
QStringList registerLumetraFonts();

/// Maps the family names the views ask for ("Tervan_KuHei", "微软雅黑", "Space Age", "DS-Digital") to the
/// families of the embedded fonts.
void installLumetraFontSubstitutions();
