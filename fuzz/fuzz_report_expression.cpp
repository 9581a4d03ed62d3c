// libFuzzer target: any text as one report expression. Parsing ends in an
// expression or a kv::Error naming a column inside the text (or just after
// it); evaluating what parsed ends in a text, never in a crash or a hang.

#include "data/engine/db_error.h"
#include "report/report_data_source.h"
#include "report/report_expression.h"

#include <QDate>
#include <QRegularExpression>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// One row whose fields answer values of every kind a field can hold, by the
// length of their name; every source name finds it, and it looks up too.
class OneRow : public kv::ReportDataSource, public kv::ReportSourceLookup
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
    const kv::ReportDataSource *source(const QString &) const override { return this; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 20000)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    kv::ReportExpression e;
    try {
        e = kv::ReportExpression::parse(text, QStringLiteral("fuzz"));
    } catch (const kv::Error &error) {
        static const QRegularExpression place(QStringLiteral("^fuzz, column (\\d+): \\S"));
        const QRegularExpressionMatch m = place.match(error.text());
        const qsizetype column = m.hasMatch() ? m.captured(1).toLongLong() : 0;
        if (column < 1 || column > text.size() + 1)
            std::abort(); // an error that does not point into the text
        return 0;
    }
    static const OneRow row;
    kv::ReportVariables vars;
    vars.pageNumber = 2;
    vars.rowNumber = 7;
    vars.listName = QStringLiteral("Holiday");
    vars.printTime = QDateTime(QDate(2026, 12, 24), QTime(9, 0));
    (void)e.evaluate(row, QStringLiteral("DBPipelineListMembers"), vars);
    (void)e.fieldRefs();
    if (e.text() != text)
        std::abort(); // the expression keeps the text it was written as
    return 0;
}
