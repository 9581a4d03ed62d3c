#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVector>
#include <functional>

namespace kv {
class Query;
}

// A read-only, live view of a kv::Query's rows for grids and lookup lists: it
// follows the query as it opens, closes, posts and changes fields. Columns are
// the query's own or computed ones (a lookup's text for a key).
class QueryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString field;   // the query's column, or the name of a computed one
        QString title;   // "~" breaks it onto a second title line
        int widthChars = 0;
        std::function<QVariant(int row)> compute; // set for computed columns
    };

    explicit QueryTableModel(kv::Query *query, QObject *parent = nullptr);

    void setColumns(const QVector<Column> &columns);
    const QVector<Column> &columns() const { return m_columns; }
    int columnOf(const QString &field) const;
    kv::Query *query() const { return m_query; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The raw value of a row's column (computed ones included).
    QVariant valueAt(int row, const QString &field) const;

    // Display text of a value as the grids show it.
    static QString displayText(const QVariant &v);

    // The text shown for a key in a lookup set: the displayField of the row
    // whose keyField equals key; empty when none does (or key is null).
    static QVariant lookupText(const kv::Query &lookup, const QString &keyField, const QString &displayField,
                               const QVariant &key);

public Q_SLOTS:
    void reset();

private:
    void fieldChanged(const QString &field);

    kv::Query *m_query;
    QVector<Column> m_columns;
};
