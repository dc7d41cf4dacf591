#pragma once

#include <QStyledItemDelegate>

/// Paints list items like the standard delegate but without the dotted focus frame.
class NoFocusFrameDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit NoFocusFrameDelegate(QObject *parent = nullptr);

    void paint(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
