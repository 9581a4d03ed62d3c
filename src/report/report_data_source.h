#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

namespace kv {

class Query;

// What a report reads: named fields over rows walked in order. The renderer
// knows nothing else about where the rows come from (the members window's row
// set, a query, a table built in a test).
class ReportDataSource
{
public:
    virtual ~ReportDataSource() = default;

    virtual QStringList fieldNames() const = 0;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // The current row's value; an invalid QVariant for NULL. Field names are
    // matched without regard to case (PostgreSQL answers them in lower case).
    virtual QVariant value(const QString &field) const = 0;

    // A detail source follows its master: the renderer calls this whenever the
    // master has moved to another row, before the detail's values are read.
    virtual void masterMoved(const ReportDataSource &master) { }

    // The field of the row whose key is `key` (the template's Lookup()); an
    // invalid QVariant when there is none or the source cannot look up.
    virtual QVariant lookup(const QString &field, const QVariant &key) const { return {}; }
};

// Rows held in memory: tests, benchmarks and small command-line runs.
class TableReportSource : public ReportDataSource
{
public:
    explicit TableReportSource(QStringList fields = {});

    void setFields(const QStringList &fields);
    void addRow(const QVector<QVariant> &values);
    void addRow(const QVariantMap &values); // keyed by field name, case-insensitive
    int rowCount() const { return int(m_rows.size()); }

    QStringList fieldNames() const override { return m_fields; }
    void first() override { m_cur = 0; }
    void next() override
    {
        if (m_cur < rowCount())
            ++m_cur;
    }
    bool eof() const override { return m_cur >= rowCount(); }
    QVariant value(const QString &field) const override;

private:
    QStringList m_fields;
    QHash<QString, int> m_index; // lower-case name -> column
    QVector<QVector<QVariant>> m_rows;
    int m_cur = 0;
};

// An open query of the engine walked as a report source.
class QueryReportSource : public ReportDataSource
{
public:
    explicit QueryReportSource(Query &query);

    QStringList fieldNames() const override;
    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString &field) const override;

protected:
    Query &m_query;
};

// A query re-run for each master row: the master's field value is bound to
// the query's parameter (for example the member's Person_ID to the client
// record's ":Person_ID") and the query opened afresh, so that the detail
// always holds the rows of the master's current row.
class QueryDetailSource : public QueryReportSource
{
public:
    QueryDetailSource(Query &query, QString paramName, QString masterField);

    // Field names come from the statement's result; before the first master
    // row the query is opened once with a NULL parameter to learn them.
    QStringList fieldNames() const override;
    void masterMoved(const ReportDataSource &master) override;

    // The detail rows of every master row read at once from allRows (the same
    // columns, keyField holding the master's key), so a run costs one
    // statement instead of one per master row; a key allRows lacks is still
    // read on its own.
    void readAllFrom(Query &allRows, const QString &keyField);

    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString &field) const override;

private:
    void readAll() const;

    QString m_paramName;
    QString m_masterField;
    Query *m_all = nullptr;
    QString m_keyField;
    mutable bool m_allRead = false;
    mutable QHash<qint64, QVector<int>> m_rowsOf; // key -> rows of m_all
    bool m_fromAll = false; // the current master's rows are m_current
    QVector<int> m_current;
    int m_at = 0;
};

// A keyed look-up over a query with one parameter (a name by its id): each
// key is read once and remembered for the rest of the run.
class QueryLookupSource : public ReportDataSource
{
public:
    QueryLookupSource(Query &query, QString paramName);

    QStringList fieldNames() const override;
    void first() override { }
    void next() override { }
    bool eof() const override { return true; }
    QVariant value(const QString &) const override { return {}; }
    QVariant lookup(const QString &field, const QVariant &key) const override;

private:
    Query &m_query;
    QString m_paramName;
    mutable QHash<QString, QVariantMap> m_rows; // by key; an empty map for a key without a row
};

} // namespace kv
