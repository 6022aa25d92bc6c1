#pragma once

#include <QAbstractItemView>

// A list of channels: rows of one height, possibly a million of them. Rows
// are placed by arithmetic, so adding, ticking or moving rows costs the
// same whatever the list's length; QListView lays out every row again each
// time rows are added, which freezes the window on a big playlist.
class ChannelListView : public QAbstractItemView
{
    Q_OBJECT
public:
    explicit ChannelListView(QWidget *parent = nullptr);

    [[nodiscard]] QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    [[nodiscard]] QModelIndex indexAt(const QPoint &point) const override;

protected:
    [[nodiscard]] QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    [[nodiscard]] int horizontalOffset() const override { return 0; }
    [[nodiscard]] int verticalOffset() const override;
    [[nodiscard]] bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    [[nodiscard]] QRegion visualRegionForSelection(const QItemSelection &selection) const override;

    void paintEvent(QPaintEvent *event) override;
    void updateGeometries() override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;

private:
    [[nodiscard]] int rowCount() const;
    [[nodiscard]] int rowHeight() const;
    [[nodiscard]] int topRow() const;
    [[nodiscard]] int rowsShown() const; // whole rows that fit
    [[nodiscard]] QModelIndex rowIndex(int row) const;

    mutable int m_rowHeight = 0; // 0: not measured yet
};
