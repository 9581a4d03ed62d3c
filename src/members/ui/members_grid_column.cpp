#include "members/ui/members_grid_column.h"

#include <QDate>
#include <QDateTime>

namespace kv {

QString gridCellText(const QVariant &v)
{
    if (!v.isValid())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QDate: return v.toDate().toString(QStringLiteral("M/d/yyyy"));
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("M/d/yyyy h:mm"));
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return v.toString();
    }
}

} // namespace kv
