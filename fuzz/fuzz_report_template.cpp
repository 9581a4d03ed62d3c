// libFuzzer target: a report template file as a site could write it, and any
// text as one expression. Parsing must end in a template or a kv::Error, and
// evaluating what parsed must end in a text, never in a crash or a hang.

#include "data/engine/db_error.h"
#include "report/report_data_source.h"
#include "report/report_template.h"

#include <QByteArray>
#include <QCoreApplication>
#include <cstddef>
#include <cstdint>

namespace {

// One row whose fields answer values of every kind a field can hold, by the
// length of their name; every source name finds it.
class OneRow : public kv::ReportDataSource, public kv::ReportSourceLookup
{
public:
    QStringList fieldNames() const override { return {}; }
    void first() override { }
    void next() override { }
    bool eof() const override { return false; }
    QVariant value(const QString &field) const override
    {
        switch (field.size() % 6) {
        case 0: return QStringLiteral("O'Neil");
        case 1: return QDate(1941, 3, 9);
        case 2: return true;
        case 3: return 3;
        case 4: return 12.5;
        default: return QVariant();
        }
    }
    const kv::ReportDataSource *source(const QString &) const override { return this; }
};

void evaluate(const kv::ReportExpression &e)
{
    static const OneRow row;
    kv::ReportVariables vars;
    vars.pageNumber = 2;
    vars.rowNumber = 7;
    vars.listName = QStringLiteral("Holiday");
    vars.printTime = QDateTime(QDate(2026, 12, 24), QTime(9, 0));
    (void)e.evaluate(row, QStringLiteral("DBPipelineListMembers"), vars);
    (void)e.fieldRefs();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const kv::ReportTemplate t = kv::ReportTemplate::parse(bytes, QStringLiteral("fuzz.rtm"));
        for (const kv::ReportBand *b : {&t.pageHeader, &t.header, &t.detail, &t.footer, &t.pageFooter})
            for (const kv::ReportItem &item : b->items)
                evaluate(item.expr);
        (void)t.sourcesUsed();
    } catch (const kv::Error &) {
    }
    try {
        evaluate(kv::ReportExpression::parse(QString::fromUtf8(bytes), QStringLiteral("fuzz")));
    } catch (const kv::Error &) {
    }
    return 0;
}
