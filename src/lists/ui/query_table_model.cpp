#include "lists/ui/query_table_model.h"

#include "data/dates.h"
#include "data/engine/query.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

QueryTableModel::QueryTableModel(kv::Query *query, QObject *parent)
    : QAbstractTableModel(parent)
    , m_query(query)
{
    connect(query, &kv::Query::afterOpen, this, &QueryTableModel::reset);
    connect(query, &kv::Query::afterClose, this, &QueryTableModel::reset);
    connect(query, &kv::Query::afterPost, this, &QueryTableModel::reset);
    connect(query, &kv::Query::afterCancel, this, &QueryTableModel::reset);
    connect(query, &kv::Query::afterInsert, this, &QueryTableModel::reset);
    connect(query, &kv::Query::fieldChanged, this, &QueryTableModel::fieldChanged);
}

void QueryTableModel::setColumns(const QVector<Column> &columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

int QueryTableModel::columnOf(const QString &field) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void QueryTableModel::reset()
{
    beginResetModel();
    endResetModel();
}

void QueryTableModel::fieldChanged(const QString &field)
{
    const int row = m_query->recNo();
    if (row < 0 || row >= rowCount())
        return;
    // A computed column may follow any field of the row: repaint the row.
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    Q_UNUSED(field)
}

int QueryTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_query->isOpen())
        return 0;
    return m_query->recordCount();
}

int QueryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant QueryTableModel::valueAt(int row, const QString &field) const
{
    const int c = columnOf(field);
    if (c >= 0 && m_columns[c].compute)
        return m_columns[c].compute(row);
    const int f = m_query->fieldIndex(field);
    return f < 0 ? QVariant() : m_query->valueAt(row, f);
}

QString QueryTableModel::displayText(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QDate: return QLocale().toString(v.toDate(), kv::AcceptedDates::shortFormat());
    case QMetaType::QDateTime: return QLocale().toString(v.toDateTime().date(), kv::AcceptedDates::shortFormat());
    default: return v.toString();
    }
}

QVariant QueryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const QVariant v = valueAt(index.row(), m_columns[index.column()].field);
    switch (role) {
    case Qt::DisplayRole: return displayText(v);
    case Qt::EditRole: return v;
    case Qt::ToolTipRole: {
        const QString text = displayText(v);
        return text.size() > m_columns[index.column()].widthChars ? QVariant(text) : QVariant();
    }
    default: return QVariant();
    }
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return QString(m_columns[section].title).replace(QLatin1Char('~'), QLatin1Char('\n'));
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return QVariant();
}

Qt::ItemFlags QueryTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QVariant QueryTableModel::lookupText(const kv::Query &lookup, const QString &keyField, const QString &displayField,
                                     const QVariant &key)
{
    if (!key.isValid() || key.isNull() || !lookup.isOpen())
        return QVariant();
    const int k = lookup.fieldIndex(keyField);
    const int d = lookup.fieldIndex(displayField);
    if (k < 0 || d < 0)
        return QVariant();
    for (int r = 0; r < lookup.recordCount(); ++r) {
        const QVariant have = lookup.valueAt(r, k);
        if (have.isValid() && !have.isNull() && have.toString() == key.toString())
            return lookup.valueAt(r, d);
    }
    return QVariant();
}
