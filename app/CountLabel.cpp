#include "app/CountLabel.h"

void CountLabel::setCount(int count)
{
    if (m_box.isNull())
        m_box = geometry();
    const QString text = QString::number(count);
    setText(text);
    const int width = fontMetrics().horizontalAdvance(text) + 2 * margin() + 2; // a pixel each side for overhang
    setGeometry(width <= m_box.width() ? m_box : QRect(m_box.topLeft(), QSize(width, m_box.height())));
}
