#pragma once

#include "channels/NameChunks.h"

#include <QAbstractListModel>
#include <QString>

#include <memory>
#include <vector>

// The source list: one item per channel of the loaded playlist, in file order,
// each with a tick; a ticked item is a chosen channel. The names come in
// batches and are kept as bytes; a new fill starts new names, so the new list
// can go on using the old ones.
class SourceListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit SourceListModel(QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

    [[nodiscard]] int count() const { return int(m_ticks.size()); }
    [[nodiscard]] QString text(int row) const { return m_names.text(row); }
    [[nodiscard]] bool isTicked(int row) const { return m_ticks[size_t(row)] != 0; }
    [[nodiscard]] const std::vector<char> &ticks() const { return m_ticks; }
    [[nodiscard]] const NameChunks &names() const { return m_names; }

    void setTicked(int row, bool ticked);
    // Empties the list; the names that come next are in this encoding.
    void clear(InputMode encoding);
    void append(std::shared_ptr<const NameList> names, bool ticked);

private:
    NameChunks m_names;
    std::vector<char> m_ticks;
};
