#pragma once

#include <QListView>

// A list of channels: rows of one height, possibly 100 000 of them. A changed
// tick or text only redraws its rows; QListView would lay out every row again
// for each change, which makes ticking or moving channels slow on big lists.
class ChannelListView : public QListView
{
    Q_OBJECT
public:
    explicit ChannelListView(QWidget *parent = nullptr);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
};
