#pragma once

#include <QStyledItemDelegate>

// Draws the source list's tick boxes white with a black tick, as tick boxes
// look on a light window, although the list itself is black with white text;
// and tells when the user ticks or unticks one, by a click (Shift held: a
// range) or the space bar.
class TickDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

Q_SIGNALS:
    void ticked(int row, bool ticked, bool withShift);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};
