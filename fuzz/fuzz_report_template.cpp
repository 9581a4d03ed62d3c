// libFuzzer target: a report template file as a site could write it, and any
// text as one expression. Parsing must end in a template or a kv::Error, and
// evaluating what parsed must end in a text, never in a crash or a hang.

#include "data/engine/db_error.h"
#include "fuzz/report_fuzz_row.h"
#include "report/report_template.h"

#include <QByteArray>
#include <QCoreApplication>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const kv::ReportTemplate t = kv::ReportTemplate::parse(bytes, QStringLiteral("fuzz.rtm"));
        for (const kv::ReportBand *b : {&t.pageHeader, &t.header, &t.detail, &t.footer, &t.pageFooter})
            for (const kv::ReportItem &item : b->items)
                kv::fuzz::evaluate(item.expr);
        (void)t.sourcesUsed();
    } catch (const kv::Error &) {
    }
    try {
        kv::fuzz::evaluate(kv::ReportExpression::parse(QString::fromUtf8(bytes), QStringLiteral("fuzz")));
    } catch (const kv::Error &) {
    }
    return 0;
}
