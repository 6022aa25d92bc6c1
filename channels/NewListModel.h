#pragma once

#include "channels/NameChunks.h"

#include <QAbstractListModel>
#include <QString>

#include <memory>
#include <span>
#include <vector>

// The new list, in the order it will be saved: items are channels of the
// source list (its names are shared, each item an index into them), appended
// by "Создать" and then moved about.
class NewListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum class Direction {
        Up,
        Down,
    };

    explicit NewListModel(QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

    [[nodiscard]] int count() const { return int(m_rows.size()); }
    [[nodiscard]] QString text(int row) const { return m_names.text(m_rows[size_t(row)]); }
    // The channel index of each item, in the list's order: what a save writes.
    [[nodiscard]] const std::vector<qint32> &rows() const { return m_rows; }

    // Empties the list; the items that come next are rows of `names`.
    void clear();
    void clear(const NameChunks &names);
    void append(std::span<const qint32> nameRows);

    // Replaces the list with these channels of `names`.
    void set(const NameChunks &names, std::vector<qint32> nameRows);

    // One step of the item at `row`; returns where it stands afterwards (the
    // same row at either end of the list).
    int step(int row, Direction direction);
    // Takes the item at `from` out and puts it back so that it stands at `to`.
    void move(int from, int to);
    // The items at these rows (sorted, distinct) go; returns their channels.
    std::vector<qint32> remove(const std::vector<int> &rows);
    enum class Edge {
        Top,
        Bottom,
    };
    // The items at these rows (sorted, distinct), in their order, to the top
    // or the bottom of the list; returns the rows they stand at then.
    std::vector<int> moveTo(const std::vector<int> &rows, Edge edge);

private:
    NameChunks m_names;
    std::vector<qint32> m_rows;
};
