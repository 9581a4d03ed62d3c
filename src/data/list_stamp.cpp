#include "data/list_stamp.h"

#include "data/text_cut.h"

namespace kv {

const QString ListStamp::kSuffix = QStringLiteral(" (List)");

QString ListStamp::userName(const QString &name)
{
    return cutToWidth(name, kMaxNameLength);
}

QString ListStamp::stamp(const QString &name)
{
    Q_ASSERT(kSuffix.size() == kSuffixLength);
    return userName(name) + kSuffix;
}

} // namespace kv
