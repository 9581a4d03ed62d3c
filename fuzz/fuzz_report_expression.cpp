// libFuzzer target: any text as one report expression. Parsing ends in an
// expression or a kv::Error naming a column inside the text (or just after
// it); evaluating what parsed ends in a text, never in a crash or a hang.

#include "data/engine/db_error.h"
#include "fuzz/report_fuzz_row.h"
#include "report/report_expression.h"

#include <QRegularExpression>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

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
    kv::fuzz::evaluate(e);
    if (e.text() != text)
        std::abort(); // the expression keeps the text it was written as
    return 0;
}
