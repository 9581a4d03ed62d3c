#pragma once

// The member row set's fields and named orders: one table each, and the
// lookups every other part of the row set and the members window use.

#include "data/engine/query.h"

#include <QString>
#include <QStringList>

namespace kv {

// Inherited by MemberRowSet, so that MemberRowSet::Last_Name and
// MemberRowSet::fieldIndex() read as before.
struct MemberFields
{
    enum Field : int {
        Record_ID,
        Person_ID,
        Client_ID,
        First_Name,
        Last_Name,
        Address1,
        City,
        Invited,
        Confirmed,
        Quantity,
        Svcs_Used,
        Service_Desc,
        Status,
        Start_Dte,
        Stop_Dte,
        Dependent,
        Household_Name,
        Delivery_Type,
        Def_Rte,
        Monday,
        Tuesday,
        Wednesday,
        Thursday,
        Friday,
        Saturday,
        Sunday,
        Add_Dte,
        Last_Update,
        RecVisible,
        List_Name,
        FieldCount
    };

    static QString fieldName(int field);
    static int fieldIndex(const QString &name); // -1 when unknown; case does not matter
    static FieldType fieldType(int field);
    static int fieldSize(int field); // characters of a text field, 0 otherwise

    // The 24 named orders, in the order of the sort drop-down's table.
    static const QStringList &orderNames();
    static int orderField(const QString &orderName); // -1 for "" (load order) or an unknown name
};

namespace rowset {

// How a field is stored: one typed column per field, text in a shared pool.
enum class Kind : quint8 { Int, Char, Text, Date, DateTime, Bool };
constexpr int kKindCount = 6;

struct FieldDef
{
    const char *name;
    Kind kind;
    int size; // characters of a text field
};

struct OrderDef
{
    const char *name;
    int field;
    bool noCase;
    bool descending;
};

const FieldDef &fieldDef(int field);
int orderCount();
const OrderDef &orderDef(int order);
int orderIndexOf(const QString &name); // -1 when unknown

} // namespace rowset
} // namespace kv
