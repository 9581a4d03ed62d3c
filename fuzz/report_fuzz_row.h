#pragma once

// What the report fuzz targets evaluate an expression against.

#include "report/report_data_source.h"
#include "report/report_expression.h"

#include <QDate>
#include <QDateTime>

namespace kv::fuzz {

// One row whose fields answer values of every kind a field can hold, by the
// length of their name; every source name finds it, and it looks up too.
class OneRow : public ReportDataSource, public ReportSourceLookup
{
public:
    QStringList fieldNames() const override { return {}; }
    void first() override { }
    void next() override { }
    bool eof() const override { return false; }
    QVariant value(const QString &field) const override
    {
        switch (field.size() % 7) {
        case 0: return QStringLiteral("O'Neil");
        case 1: return QDate(1941, 3, 9);
        case 2: return true;
        case 3: return 3;
        case 4: return 12.5;
        case 5: return QStringLiteral("2026-11-02T14:05:00");
        default: return QVariant();
        }
    }
    QVariant lookup(const QString &field, const QVariant &key) const override { return value(field + key.toString()); }
    const ReportDataSource *source(const QString &) const override { return this; }
};

// Evaluates e on the row with every report variable set; must end in a text.
inline void evaluate(const ReportExpression &e)
{
    static const OneRow row;
    ReportVariables vars;
    vars.pageNumber = 2;
    vars.rowNumber = 7;
    vars.listName = QStringLiteral("Holiday");
    vars.printTime = QDateTime(QDate(2026, 12, 24), QTime(9, 0));
    (void)e.evaluate(row, QStringLiteral("DBPipelineListMembers"), vars);
    (void)e.fieldRefs();
}

} // namespace kv::fuzz
