#include "app/TickDelegate.h"

#include "app/Palettes.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

void TickDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);

    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    if (!(item.features & QStyleOptionViewItem::HasCheckIndicator))
        return;
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    QStyleOptionButton box;
    box.rect = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &item, widget);
    box.state = QStyle::State_Enabled | (item.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
    box.palette = palettes::indicator(option.palette);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}

bool TickDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                               const QModelIndex &index)
{
    const QVariant before = index.data(Qt::CheckStateRole);
    if (!QStyledItemDelegate::editorEvent(event, model, option, index))
        return false;
    const QVariant after = index.data(Qt::CheckStateRole);
    if (after != before) {
        const auto mouse = dynamic_cast<const QMouseEvent *>(event);
        Q_EMIT ticked(index.row(), after.value<Qt::CheckState>() == Qt::Checked,
                      mouse && mouse->modifiers().testFlag(Qt::ShiftModifier));
    }
    return true;
}
