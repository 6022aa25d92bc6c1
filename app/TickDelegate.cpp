#include "app/TickDelegate.h"

#include "app/Palettes.h"

#include <QApplication>
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
