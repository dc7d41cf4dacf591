#pragma once

#include "languagetype.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

/// The program's look in one place, for what a style sheet cannot reach: painted widgets and the small
/// style sheets of dialogs.
class LookKit
{
public:
    /// The accent red of borders, fills and pressed states, at an opacity of 0 to 255.
    static QColor accent(int alpha = 255);
    /// The deeper red of the gauge's rings and of the chosen entry of a list.
    static QColor accentDeep(int alpha = 255);
    /// A colour as a style sheet writes it: "rgba(252,10,53,150)".
    static QString css(const QColor &colour);
    /// The style of a dialog's white labels and accent buttons (normal, hover, pressed, checked).
    static QString dialogStyle();
    /// A dialog's panel: near-black, rounded, with an accent border.
    static void paintDialogPanel(QPainter &painter, const QRect &rect);
    /// Where a widget of the size stands centred on the area.
    static QPoint centredOn(const QRect &area, QSize size);
    /// The text family of a language: Arial for English, 微软雅黑 for Chinese.
    static QString fontFamily(LanguageType language);
};
