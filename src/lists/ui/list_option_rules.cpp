#include "lists/ui/list_option_rules.h"

#include "data/engine/query.h"

namespace ListOptionRules {

namespace {
void ensureEditing(kv::Query &q)
{
    if (q.state() != kv::DataState::Edit && q.state() != kv::DataState::Insert)
        q.edit();
}
} // namespace

bool clearServiceForOwnMethod(kv::Query &lists)
{
    if (!lists.isOpen() || lists.isEmpty() || lists.isNull(QStringLiteral("Service_Used")))
        return false;
    ensureEditing(lists);
    lists.setFieldValue(QStringLiteral("Service_Used"), QVariant());
    return true;
}

bool clearItemForDefaultMethod(kv::Query &lists)
{
    if (!lists.isOpen() || lists.isEmpty() || lists.isNull(QStringLiteral("Item_to_Deliver")))
        return false;
    ensureEditing(lists);
    lists.setFieldValue(QStringLiteral("Item_to_Deliver"), QVariant());
    lists.setFieldValue(QStringLiteral("Quantity"), QVariant());
    return true;
}

} // namespace ListOptionRules
