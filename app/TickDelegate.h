#pragma once

#include <QStyledItemDelegate>

// Draws the source list's tick boxes white with a black tick, as tick boxes
// look on a light window, although the list itself is black with white text.
class TickDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
