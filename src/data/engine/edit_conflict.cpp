#include "data/engine/edit_conflict.h"

#include "data/translate.h"

#include <QDate>
#include <QDateTime>

namespace kv {

const QString EditConflict::kRowChanged =
    QString::fromUtf8(QT_TRANSLATE_NOOP("EditConflict", "Another user changed %1 after you read it:"));
const QString EditConflict::kRowRemoved =
    QString::fromUtf8(QT_TRANSLATE_NOOP("EditConflict", "Another user removed %1 after you read it."));
const QString EditConflict::kValueLine = QString::fromUtf8(QT_TRANSLATE_NOOP("EditConflict", "%1 is now %2 (yours: %3)"));
const QString EditConflict::kEmptyValue = QString::fromUtf8(QT_TRANSLATE_NOOP("EditConflict", "empty"));
const QString EditConflict::kMoreRows = QString::fromUtf8(QT_TRANSLATE_NOOP("EditConflict", "... and %1 more."));
const QString EditConflict::kRecordOf = QString::fromUtf8(QT_TRANSLATE_NOOP("EditConflict", "a record of %1 (%2 %3)"));

namespace {
constexpr int kRowsShown = 10;

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (isEmptyValue(a) || isEmptyValue(b))
        return isEmptyValue(a) == isEmptyValue(b);
    return a == b;
}
} // namespace

bool isEmptyValue(const QVariant &v)
{
    return !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

EditConflict::EditConflict(QVector<Row> rows)
    : Error(describe(rows))
    , m_rows(std::move(rows))
{
}

QString EditConflict::valueText(const QVariant &v)
{
    if (isEmptyValue(v))
        return shown("EditConflict", kEmptyValue);
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? shown("EditConflict", "Yes") : shown("EditConflict", "No");
    case QMetaType::QDate: return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QString: return QLatin1Char('"') + v.toString() + QLatin1Char('"');
    default: return v.toString();
    }
}

QString EditConflict::describe(const QVector<Row> &rows)
{
    QStringList parts;
    for (int i = 0; i < rows.size() && i < kRowsShown; ++i) {
        const Row &r = rows.at(i);
        if (r.gone) {
            parts << shown("EditConflict", kRowRemoved).arg(r.name);
            continue;
        }
        QStringList lines{shown("EditConflict", kRowChanged).arg(r.name)};
        for (const Change &c : r.changes)
            if (!sameValue(c.read, c.now))
                lines << shown("EditConflict", kValueLine)
                             .arg(c.caption.isEmpty() ? c.column : c.caption, valueText(c.now), valueText(c.yours));
        parts << lines.join(QLatin1Char('\n'));
    }
    if (rows.size() > kRowsShown)
        parts << shown("EditConflict", kMoreRows).arg(rows.size() - kRowsShown);
    return parts.join(QStringLiteral("\n\n"));
}

QString unchangedCondition(const QString &column, const QString &param, const QVariant &read, bool text)
{
    if (!isEmptyValue(read))
        return QStringLiteral("%1 = :%2").arg(column, param);
    if (text)
        return QStringLiteral("(%1 is null or %1 = '')").arg(column);
    return QStringLiteral("%1 is null").arg(column);
}

} // namespace kv
