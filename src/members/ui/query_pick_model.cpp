#include "members/ui/query_pick_model.h"

#include "data/dates.h"
#include "data/engine/query.h"

#include <QDate>

namespace kv {

QueryPickModel::QueryPickModel(Query &query, QVector<Column> columns, QObject *parent)
    : QAbstractTableModel(parent)
    , m_query(query)
    , m_columns(std::move(columns))
{
    reload();
}

void QueryPickModel::reload()
{
    beginResetModel();
    m_fieldIndex.clear();
    for (const Column &c : std::as_const(m_columns))
        m_fieldIndex << (m_query.isOpen() ? m_query.fieldIndex(c.field) : -1);
    endResetModel();
}

int QueryPickModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_query.isOpen() ? 0 : m_query.recordCount();
}

int QueryPickModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant QueryPickModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || index.column() >= m_fieldIndex.size())
        return {};
    const int f = m_fieldIndex.at(index.column());
    if (f < 0 || index.row() >= m_query.recordCount())
        return {};
    const QVariant v = m_query.valueAt(index.row(), f);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(kv::AcceptedDates::shortFormat());
    return v;
}

QVariant QueryPickModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns.at(section).title;
    return QAbstractTableModel::headerData(section, o, role);
}

QVariant QueryPickModel::value(int row, const QString &field) const
{
    const int f = m_query.fieldIndex(field);
    if (f < 0 || row < 0 || row >= m_query.recordCount())
        return {};
    return m_query.valueAt(row, f);
}

int QueryPickModel::findPrefix(const QString &field, const QString &text) const
{
    const int f = m_query.fieldIndex(field);
    if (f < 0)
        return -1;
    for (int r = 0; r < m_query.recordCount(); ++r)
        if (m_query.valueAt(r, f).toString().startsWith(text, Qt::CaseInsensitive))
            return r;
    return -1;
}

} // namespace kv
