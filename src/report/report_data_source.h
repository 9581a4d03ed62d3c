#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace kv {

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

} // namespace kv
