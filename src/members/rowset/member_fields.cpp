#include "members/rowset/member_fields.h"

namespace kv {

namespace rowset {
namespace {

using F = MemberFields;

const FieldDef kFields[F::FieldCount] = {
    {"Record_ID", Kind::Int, 0},       {"Person_ID", Kind::Int, 0},       {"Client_ID", Kind::Text, 7},
    {"First_Name", Kind::Text, 30},    {"Last_Name", Kind::Text, 50},     {"Address1", Kind::Text, 35},
    {"City", Kind::Text, 25},          {"Invited", Kind::Char, 1},        {"Confirmed", Kind::Char, 1},
    {"Quantity", Kind::Int, 0},        {"Svcs_Used", Kind::Int, 0},       {"Service_Desc", Kind::Text, 40},
    {"Status", Kind::Char, 1},         {"Start_Dte", Kind::Date, 0},      {"Stop_Dte", Kind::Date, 0},
    {"Dependent", Kind::Char, 1},      {"Household_Name", Kind::Text, 50}, {"Delivery_Type", Kind::Char, 1},
    {"Def_Rte", Kind::Text, 5},        {"Monday", Kind::Bool, 0},         {"Tuesday", Kind::Bool, 0},
    {"Wednesday", Kind::Bool, 0},      {"Thursday", Kind::Bool, 0},       {"Friday", Kind::Bool, 0},
    {"Saturday", Kind::Bool, 0},       {"Sunday", Kind::Bool, 0},         {"Add_Dte", Kind::Date, 0},
    {"Last_Update", Kind::DateTime, 0}, {"RecVisible", Kind::Bool, 0},    {"List_Name", Kind::Text, 50},
};

const OrderDef kOrders[] = {
    {"Client_ID", F::Client_ID, false, false},
    {"First_Name", F::First_Name, true, false},
    {"Last_Name", F::Last_Name, true, false},
    {"City", F::City, true, false},
    {"Household_Name", F::Household_Name, true, false},
    {"Invited", F::Invited, false, false},
    {"Confirmed", F::Confirmed, false, false},
    {"Quantity", F::Quantity, false, false},
    {"Service_Desc", F::Service_Desc, true, false},
    {"Status", F::Status, false, false},
    {"Dependent", F::Dependent, false, false},
    {"Def_Rte", F::Def_Rte, false, false},
    {"Monday", F::Monday, false, false},
    {"Tuesday", F::Tuesday, false, false},
    {"Wednesday", F::Wednesday, false, false},
    {"Thursday", F::Thursday, false, false},
    {"Friday", F::Friday, false, false},
    {"Saturday", F::Saturday, false, false},
    {"Sunday", F::Sunday, false, false},
    {"Delivery_Type", F::Delivery_Type, false, false},
    {"Start", F::Start_Dte, false, false},
    {"Stop", F::Stop_Dte, false, false},
    {"Added", F::Add_Dte, false, false},
    {"Added_Desc", F::Add_Dte, false, true},
};
constexpr int kOrderCount = int(sizeof(kOrders) / sizeof(kOrders[0]));

} // namespace

const FieldDef &fieldDef(int field)
{
    return kFields[field];
}

int orderCount()
{
    return kOrderCount;
}

const OrderDef &orderDef(int order)
{
    return kOrders[order];
}

int orderIndexOf(const QString &name)
{
    for (int i = 0; i < kOrderCount; ++i)
        if (name.compare(QLatin1String(kOrders[i].name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace rowset

QString MemberFields::fieldName(int field)
{
    return field >= 0 && field < FieldCount ? QString::fromLatin1(rowset::kFields[field].name) : QString();
}

int MemberFields::fieldIndex(const QString &name)
{
    for (int f = 0; f < FieldCount; ++f)
        if (name.compare(QLatin1String(rowset::kFields[f].name), Qt::CaseInsensitive) == 0)
            return f;
    return -1;
}

FieldType MemberFields::fieldType(int field)
{
    using rowset::Kind;
    switch (rowset::kFields[field].kind) {
    case Kind::Int: return FieldType::Integer;
    case Kind::Char:
    case Kind::Text: return FieldType::Text;
    case Kind::Date: return FieldType::Date;
    case Kind::DateTime: return FieldType::DateTime;
    case Kind::Bool: return FieldType::Boolean;
    }
    return FieldType::Unknown;
}

int MemberFields::fieldSize(int field)
{
    return rowset::kFields[field].size;
}

const QStringList &MemberFields::orderNames()
{
    static const QStringList names = [] {
        QStringList l;
        for (const rowset::OrderDef &o : rowset::kOrders)
            l << QString::fromLatin1(o.name);
        return l;
    }();
    return names;
}

int MemberFields::orderField(const QString &orderName)
{
    const int i = rowset::orderIndexOf(orderName);
    return i < 0 ? -1 : rowset::kOrders[i].field;
}

} // namespace kv
