#pragma once

// Reading a query's result row by row without the query keeping it: for bulk
// readers that hold their own compact copy of the rows (the member row set),
// where materialising every value twice would cost more than the read itself.

#include "data/engine/query.h"

#include <QStringView>
#include <QVariant>
#include <QVector>
#include <functional>

namespace kv {

// The current row of a streamed result. Values are read in place and are valid
// until the next row.
class StreamRow
{
public:
    virtual ~StreamRow() = default;
    virtual bool isNull(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual bool boolean(int column) const = 0;
    // The value as text (dates as "yyyy-MM-dd", date-times as
    // "yyyy-MM-dd HH:mm:ss" or ISO form, numbers in decimal).
    virtual QStringView text(int column) const = 0;
    // The value typed as Query::fieldValue gives it.
    virtual QVariant value(int column) const = 0;
};

// Runs the query's statement with its parameters: onFields receives the
// result's fields before the first row, onRow each row in turn. The query is
// left closed. Errors are DbError, as from Query::open.
void streamRows(Query &query, const std::function<void(const QVector<Field> &)> &onFields,
                const std::function<void(const StreamRow &)> &onRow);

} // namespace kv
