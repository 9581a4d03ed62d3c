#include "data/record_rules.h"

#include "data/engine/query.h"

#include <QDateTime>

namespace kv {

void ListRecordRules::applyInsertDefaults(Query &q)
{
    q.setFieldValue(QStringLiteral("Reason"), QStringLiteral("LST"));
    q.setFieldValue(QStringLiteral("Add_Mode"), QStringLiteral("A"));
    q.setFieldValue(QStringLiteral("Active_Only"), QStringLiteral("Y"));
    q.setFieldValue(QStringLiteral("Checkbox_Setting"), QStringLiteral("I"));
    q.setFieldValue(QStringLiteral("Service_Method"), QStringLiteral("C"));
    q.setFieldValue(QStringLiteral("Service_Used"), QVariant());
    q.setFieldValue(QStringLiteral("Item_Method"), QStringLiteral("S"));
    q.setFieldValue(QStringLiteral("Item_to_Deliver"), QVariant());
    q.setFieldValue(QStringLiteral("Quantity"), QVariant());
    q.setFieldValue(QStringLiteral("Create_Date"), QDate::currentDate());
}

void ListRecordRules::attachToListsQuery(Query &q)
{
    attachDefaultsOnly(q);
    QObject::connect(&q, &Query::beforePost, &q, [&q] {
        q.setFieldValue(QStringLiteral("Last_Update"), QDateTime::currentDateTime());
    });
    QObject::connect(&q, &Query::afterPost, &q, [&q] { q.flush(); });
}

void ListRecordRules::attachDefaultsOnly(Query &q)
{
    QObject::connect(&q, &Query::afterInsert, &q, [&q] { applyInsertDefaults(q); });
}

} // namespace kv
