// The placement text read back from the local settings file (anyone can edit
// it). Beyond not crashing: whatever parses writes back to the same placement.

#include "data/engine/db_error.h"
#include "shell/window_placement.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    kv::TPosRec rec;
    try {
        rec = kv::StrToPosRec(text);
    } catch (const kv::Error &) {
        return 0; // a conversion error is the documented answer to bad text
    }
    kv::IntToWinState(rec.State);
    if (rec.State != 2) {
        const QString again = kv::PosRecToStr(rec);
        if (!(kv::StrToPosRec(again) == rec)) {
            std::fprintf(stderr, "placement does not survive writing back: \"%s\"\n", qPrintable(again));
            std::abort();
        }
    }
    return 0;
}
