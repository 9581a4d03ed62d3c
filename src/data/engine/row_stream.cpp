#include "data/engine/row_stream.h"

#include "data/engine/db_error.h"
#include "data/engine/sql_backend.h"

namespace kv {

namespace {

// Values the query would have read, for backends without an in-place reader.
class VariantRow : public StreamRow
{
public:
    const Query *q = nullptr;
    int row = 0;
    mutable QVector<QString> scratch;

    bool isNull(int c) const override
    {
        const QVariant v = q->valueAt(row, c);
        return !v.isValid() || v.isNull();
    }
    qint64 integer(int c) const override { return q->valueAt(row, c).toLongLong(); }
    bool boolean(int c) const override { return q->valueAt(row, c).toBool(); }
    QStringView text(int c) const override
    {
        if (scratch.size() <= c)
            scratch.resize(c + 1);
        const QVariant v = q->valueAt(row, c);
        if (v.typeId() == QMetaType::QDate)
            scratch[c] = v.toDate().toString(Qt::ISODate);
        else if (v.typeId() == QMetaType::QDateTime)
            scratch[c] = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        else
            scratch[c] = v.toString();
        return scratch[c];
    }
    QVariant value(int c) const override { return q->valueAt(row, c); }
};

} // namespace

void SqlBackend::streamRows(Query &query, const std::function<void(const QVector<Field> &)> &onFields,
                            const std::function<void(const StreamRow &)> &onRow) const
{
    query.open();
    onFields(query.fields());
    VariantRow row;
    row.q = &query;
    for (row.row = 0; row.row < query.recordCount(); ++row.row)
        onRow(row);
    query.close();
}

void streamRows(Query &query, const std::function<void(const QVector<Field> &)> &onFields,
                const std::function<void(const StreamRow &)> &onRow)
{
    query.close();
    Database *db = query.database();
    if (!db || !db->isConnected())
        throw DbError(QStringLiteral("Preparing a statement"), QStringLiteral("The database is not connected."), query.sqlText());
    db->engine().streamRows(query, onFields, onRow);
}

} // namespace kv
