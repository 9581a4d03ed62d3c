#include "data/engine/bulk_load.h"

#include "data/engine/database.h"
#include "data/engine/sql_backend.h"

#include <QSqlError>
#include <QSqlQuery>
#include <vector>

namespace kv {

namespace {

// Through Qt SQL, each value bound by its column's name.
class QueryBulkLoad : public BulkLoad
{
public:
    QueryBulkLoad(Database &db, const QString &text, const QStringList &columns)
        : m_engine(db.engine())
        , m_connection(db.connection())
        , m_query(m_connection)
    {
        m_text = text;
        for (const QString &c : columns)
            m_names.push_back(QLatin1Char(':') + c);
        m_query.setForwardOnly(true);
        if (!m_query.prepare(m_text))
            m_error = m_query.lastError().text();
    }

    void bind(int column, const QVariant &value) override { m_query.bindValue(m_names[size_t(column)], value); }

    bool run() override
    {
        if (m_query.exec())
            return true;
        m_error = m_query.lastError().text();
        return false;
    }

    QVariant lastKey() override
    {
        const QVariant key = m_engine.insertedKey(m_query, m_connection);
        m_query.finish();
        return key;
    }

private:
    const SqlBackend &m_engine;
    QSqlDatabase m_connection;
    QSqlQuery m_query;
    std::vector<QString> m_names;
};

} // namespace

QString BulkLoad::insertText(const QString &table, const QStringList &columns)
{
    QStringList names;
    for (const QString &c : columns)
        names << QLatin1Char(':') + c;
    return QStringLiteral("Insert into %1 (%2) values (%3)")
        .arg(table, columns.join(QStringLiteral(", ")), names.join(QStringLiteral(", ")));
}

std::unique_ptr<BulkLoad> BulkLoad::prepare(Database &db, const QString &table, const QStringList &columns, const QString &keyColumn)
{
    const SqlBackend &engine = db.engine();
    QString text = db.translate(insertText(table, columns));
    if (!keyColumn.isEmpty())
        text += engine.returningClause(keyColumn);
    if (std::unique_ptr<BulkLoad> own = engine.prepareBulkLoad(db, text, columns))
        return own;
    return std::make_unique<QueryBulkLoad>(db, text, columns);
}

} // namespace kv
