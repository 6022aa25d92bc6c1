#pragma once

#include <QAbstractListModel>
#include <QStringList>

#include <vector>

// The items of a channel list: item texts and, in the source list, a tick per
// item. Items come and go in batches so that a list of 100 000 channels is
// filled, ticked or cleared with a few model signals instead of one per item.
class ChannelListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit ChannelListModel(bool checkable, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

    [[nodiscard]] int count() const { return int(m_texts.size()); }
    [[nodiscard]] const QString &text(int row) const { return m_texts.at(row); }
    [[nodiscard]] const QStringList &texts() const { return m_texts; }
    [[nodiscard]] bool isChecked(int row) const { return m_checked[size_t(row)] != 0; }

    void clear();
    void append(QStringList &&texts, bool checked = false);
    void setChecked(int row, bool checked);
    void swap(int a, int b);
    // Takes the item at from out and puts it back so that it stands at to.
    void move(int from, int to);

private:
    QStringList m_texts;
    std::vector<char> m_checked;
    bool m_checkable;
};
