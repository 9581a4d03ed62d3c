// The dialect translator over arbitrary statement text, for both backends.
// Beyond not crashing: parameters pass through untouched, so the translated
// text names the same parameters in the same order as the original.

#include "data/engine/sql_dialect.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString sql = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList names = kv::SqlDialect::parameterNames(sql);
    kv::SqlDialect::statementKind(sql);
    for (kv::Backend b : {kv::Backend::SQLite, kv::Backend::PostgreSQL}) {
        const QString out = kv::SqlDialect::translate(sql, b);
        if (kv::SqlDialect::parameterNames(out) != names) {
            std::fprintf(stderr, "parameters changed by the translation:\n%s\n->\n%s\n", qPrintable(sql), qPrintable(out));
            std::abort();
        }
    }
    return 0;
}
