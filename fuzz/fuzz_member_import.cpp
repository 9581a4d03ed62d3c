// The CSV file add-members --from-csv reads (a spreadsheet's export, or
// anything). Beyond not crashing: every record a writer would quote the RFC
// 4180 way reads back field for field, and a column found yields only
// non-blank ids.

#include "data/engine/db_error.h"
#include "members/import_members.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString quoted(const QStringList &fields)
{
    QStringList out;
    for (const QString &f : fields) {
        QString q = f;
        q.replace(QLatin1String("\""), QLatin1String("\"\""));
        out << QLatin1Char('"') + q + QLatin1Char('"');
    }
    return out.join(QLatin1Char(','));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QStringList> rows;
    try {
        rows = kv::parseCsv(text);
    } catch (const kv::Error &) {
        return 0; // refused with its reason (a quote never closed, a NUL): nothing was read
    }

    // Written back fully quoted, the records read the same.
    QStringList lines;
    for (const QStringList &r : rows)
        lines << quoted(r);
    const QString again = lines.join(QStringLiteral("\r\n"));
    if (kv::parseCsv(again) != rows && !(rows.size() == 1 && rows.first() == QStringList{QString()})) {
        std::fprintf(stderr, "records do not survive quoting\n");
        std::abort();
    }

    try {
        const kv::MemberImportFile f = kv::MemberImportFile::fromCsv(text);
        for (const QString &id : f.ids)
            if (id.trimmed().isEmpty() || id != id.trimmed()) {
                std::fprintf(stderr, "a blank or untrimmed id\n");
                std::abort();
            }
    } catch (const kv::Error &) {
        // no such column: the documented answer
    }
    return 0;
}
