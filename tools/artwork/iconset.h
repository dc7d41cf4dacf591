#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// The program's icon for the desktop: PNGs in the hicolor sizes and a scalable SVG of the same tile and
/// emblem (without the raster glow), as <folder>/<n>x<n>/apps/<name>.png and
/// <folder>/scalable/apps/<name>.svg.
class IconSet
{
public:
    static const QList<int> Sizes;

    /// False when a file could not be written; the report names every file.
    static bool write(const QString &folder, const QString &name, QStringList &report);
    /// The SVG document, 256 units square.
    static QByteArray svg();
};
