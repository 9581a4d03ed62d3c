#pragma once

#include "report/query_report_source.h"

#include <QHash>
#include <QVector>

namespace kv {

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

} // namespace kv
