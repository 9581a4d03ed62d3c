#pragma once

#include <QAbstractTableModel>
#include <QVector>

namespace kv {

class Query;

// A read-only table over the rows of an open query, showing chosen fields
// under chosen titles: the rows of a pick list.
class QueryPickModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString field;
        int widthChars;
        QString title;
    };

    QueryPickModel(Query &query, QVector<Column> columns, QObject *parent = nullptr);

    // Call after the query has been (re)opened.
    void reload();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

    const QVector<Column> &columns() const { return m_columns; }
    QVariant value(int row, const QString &field) const;
    // The first row whose field starts with the text, ignoring case; -1 if none.
    int findPrefix(const QString &field, const QString &text) const;

private:
    Query &m_query;
    QVector<Column> m_columns;
    QVector<int> m_fieldIndex;
};

} // namespace kv
