#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QString>

namespace brevant {

// A list model over a QList<T> whose rows have an identity (a project's id, a service's name).
// sync() applies a new list as the smallest model signals: removed rows as removals, new rows as
// insertions, rows whose value changed as one dataChanged per run, so a long list keeps its scroll
// position and hover through a change. A reordering, or a list sharing no row with the old one,
// is a reset. Repeated identities are told apart by their order of appearance. When the last row's
// identity changes, the rows carrying the old or the new one are announced as changed too: lists draw
// a divider under every row but those (isLastIdentity).
template <class T> class IdentityListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_items.size());
    }
    const QList<T>& items() const { return m_items; }
    const T& item(int row) const { return m_items.at(row); }
    // Whether the row shares the last row's identity (the last row itself included).
    bool isLastIdentity(int row) const { return identity(m_items.at(row)) == identity(m_items.constLast()); }

    void sync(const QList<T>& next) {
        const bool wasEmpty = m_items.isEmpty();
        const QString oldLast = wasEmpty ? QString() : identity(m_items.constLast());
        // After a reset, or into an empty list, every row is drawn afresh anyway.
        if (!apply(next) || wasEmpty || m_items.isEmpty() || identity(m_items.constLast()) == oldLast)
            return;
        const QString newLast = identity(m_items.constLast());
        for (int row = 0; row < m_items.size(); ++row) {
            const QString id = identity(m_items.at(row));
            if (id == oldLast || id == newLast)
                emit this->dataChanged(this->index(row), this->index(row));
        }
    }

protected:
    // What identifies a row across lists.
    virtual QString identity(const T& item) const = 0;
    // Whether a row would look the same with `b` as with `a`: values that no row shows can change
    // without a repaint.
    virtual bool sameLook(const T& a, const T& b) const { return a == b; }

private:
    // False when it had to reset.
    bool apply(const QList<T>& next) {
        if (sameIdentities(next)) {
            reportChanges(next);
            return true;
        }
        const QStringList oldKeys = keys(m_items);
        const QStringList newKeys = keys(next);
        QHash<QString, qsizetype> newIndex;
        newIndex.reserve(newKeys.size());
        for (qsizetype i = 0; i < newKeys.size(); ++i)
            newIndex.insert(newKeys[i], i);

        // Survivors must keep their order, and there must be some: otherwise start over.
        qsizetype last = -1;
        qsizetype survivors = 0;
        bool ordered = true;
        for (const QString& k : oldKeys) {
            const auto it = newIndex.constFind(k);
            if (it == newIndex.cend())
                continue;
            ++survivors;
            ordered = ordered && *it > last;
            last = *it;
        }
        if (!ordered || (survivors == 0 && !m_items.isEmpty() && !next.isEmpty())) {
            beginResetModel();
            m_items = next;
            endResetModel();
            return false;
        }

        // Removals, last run first so that earlier rows keep their numbers.
        QStringList working = oldKeys;
        for (qsizetype end = working.size() - 1; end >= 0;) {
            if (newIndex.contains(working[end])) {
                --end;
                continue;
            }
            qsizetype start = end;
            while (start > 0 && !newIndex.contains(working[start - 1]))
                --start;
            beginRemoveRows({}, int(start), int(end));
            m_items.remove(start, end - start + 1);
            working.remove(start, end - start + 1);
            endRemoveRows();
            end = start - 1;
        }

        // Insertions, in new-list order: the rows before each run already line up.
        QHash<QString, bool> present;
        for (const QString& k : working)
            present.insert(k, true);
        for (qsizetype i = 0; i < next.size();) {
            if (present.contains(newKeys[i])) {
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end + 1 < next.size() && !present.contains(newKeys[end + 1]))
                ++end;
            beginInsertRows({}, int(i), int(end));
            for (qsizetype j = i; j <= end; ++j)
                m_items.insert(j, next[j]);
            endInsertRows();
            i = end + 1;
        }
        reportChanges(next);
        return true;
    }

    QStringList keys(const QList<T>& list) const {
        QStringList out;
        out.reserve(list.size());
        QHash<QString, int> seen;
        for (const T& item : list) {
            const QString id = identity(item);
            const int n = seen[id]++;
            out.push_back(n == 0 ? id : id + QChar(0) + QString::number(n));
        }
        return out;
    }

    // The usual poll: same rows, same order; cheaper than building the keys.
    bool sameIdentities(const QList<T>& next) const {
        if (next.size() != m_items.size())
            return false;
        for (qsizetype i = 0; i < next.size(); ++i)
            if (identity(next[i]) != identity(m_items[i]))
                return false;
        return true;
    }

    // Rows are aligned with `next`: report each run of changed values, then share its data.
    void reportChanges(const QList<T>& next) {
        qsizetype i = 0;
        while (i < next.size()) {
            if (sameLook(m_items[i], next[i])) {
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end + 1 < next.size() && !sameLook(m_items[end + 1], next[end + 1]))
                ++end;
            for (qsizetype j = i; j <= end; ++j)
                m_items[j] = next[j];
            emit this->dataChanged(this->index(int(i)), this->index(int(end)));
            i = end + 1;
        }
        m_items = next;
    }

    QList<T> m_items;
};

} // namespace brevant
