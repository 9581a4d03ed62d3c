// The row set as the grid sees it: the QAbstractItemModel side of MemberRowSet.

#include "members/rowset/member_row_set.h"

#include "data/engine/db_error.h"

namespace kv {

void MemberRowSet::emitRowChanged(int viewRow)
{
    if (controlsDisabled() || viewRow < 0 || viewRow >= m_view.size())
        return;
    Q_EMIT dataChanged(index(viewRow, 0), index(viewRow, FieldCount - 1));
}

int MemberRowSet::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_view.size();
}

int MemberRowSet::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FieldCount;
}

QVariant MemberRowSet::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_view.size() || index.column() >= FieldCount)
        return QVariant();
    const int f = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return valueAt(index.row(), f);
    case Qt::CheckStateRole: {
        const bool isDay = f >= Monday && f <= Sunday;
        if (f != Invited && f != Confirmed && !isDay)
            return QVariant();
        const QVariant v = valueAt(index.row(), f);
        if (isDay)
            return v.toBool() ? Qt::Checked : Qt::Unchecked;
        const QString s = v.toString();
        if (s == QLatin1String("Y"))
            return Qt::Checked;
        if (f == Confirmed && s.isEmpty())
            return Qt::PartiallyChecked;
        return Qt::Unchecked;
    }
    case Qt::TextAlignmentRole:
        if (rowset::fieldDef(f).kind == rowset::Kind::Int)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    default: return QVariant();
    }
}

bool MemberRowSet::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= m_view.size() || !isEditableField(index.column()))
        return false;
    const int f = index.column();
    QVariant v = value;
    if (role == Qt::CheckStateRole) {
        if (f == Quantity)
            return false;
        const auto st = Qt::CheckState(value.toInt());
        v = st == Qt::Checked ? QStringLiteral("Y")
            : st == Qt::Unchecked ? QStringLiteral("N")
                                  : QString();
        if (f == Invited && st == Qt::PartiallyChecked)
            v = QStringLiteral("N");
    } else if (role != Qt::EditRole) {
        return false;
    }
    // Called by the view from inside Qt's event handling, where nothing may
    // escape: a failure is reported, and the cell keeps its value.
    try {
        const Bookmark target = m_view.at(index.row());
        if (index.row() != m_cur)
            setCurrent(index.row());
        if (getBookmark() != target && !gotoBookmark(target))
            return false;
        edit();
        setFieldValue(f, v);
        return true;
    } catch (...) {
        Q_EMIT writeFailed(currentErrorText());
    }
    return false;
}

Qt::ItemFlags MemberRowSet::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == Quantity)
        fl |= Qt::ItemIsEditable;
    if (index.column() == Invited || index.column() == Confirmed)
        fl |= Qt::ItemIsUserCheckable;
    if (index.column() == Confirmed)
        fl |= Qt::ItemIsUserTristate;
    return fl;
}

QVariant MemberRowSet::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return fieldName(section);
    if (section == m_cur)
        return m_state == DataState::Edit ? QStringLiteral("I") : QStringLiteral("\u25B6");
    return QString();
}

} // namespace kv
