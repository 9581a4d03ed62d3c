#include "data/engine/sql_dialect.h"

#include <gtest/gtest.h>

using kv::Backend;
using kv::SqlDialect;

namespace {
QString lite(const QString &s) { return SqlDialect::translate(s, Backend::SQLite); }
QString pg(const QString &s) { return SqlDialect::translate(s, Backend::PostgreSQL); }
} // namespace

TEST(SqlDialect, ConcatenationOfTextsOnlyWhereAStringTakesPart)
{
    EXPECT_EQ(lite("Select Last_Name+', '+First_Name as Last_First from Clients"),
              "Select Last_Name||', '||First_Name as Last_First from Clients");
    // A whole chain joins once any of its operands is a text literal.
    EXPECT_EQ(lite("Select a.b + c + 'x' + d from t"), "Select a.b || c || 'x' || d from t");
    // Arithmetic stays arithmetic.
    EXPECT_EQ(lite("Select Quantity + 1 from t"), "Select Quantity + 1 from t");
    // A '+' inside a literal is never touched.
    EXPECT_EQ(lite("Select 'a+b' from t"), "Select 'a+b' from t");
}

TEST(SqlDialect, NoCaseBecomesACollation)
{
    EXPECT_EQ(lite("order by Service_Desc nocase"), "order by Service_Desc COLLATE NOCASE");
    EXPECT_EQ(pg("Select Item_ID, Meal_Item from Items order by Meal_Item nocase"),
              "Select Item_ID, Meal_Item from Items order by Meal_Item COLLATE nocase");
    // PostgreSQL cannot collate an output alias: the alias is replaced by its expression.
    EXPECT_EQ(pg("Select Last_Name+', '+First_Name as Last_First, City from Clients Order by Last_First NoCase"),
              "Select Last_Name||', '||First_Name as Last_First, City from Clients Order by (Last_Name||', '||First_Name) COLLATE nocase");
    EXPECT_EQ(lite("Select Last_Name+', '+First_Name as Last_First from Clients Order by Last_First NoCase"),
              "Select Last_Name||', '||First_Name as Last_First from Clients Order by Last_First COLLATE NOCASE");
}

TEST(SqlDialect, NotIsTwoValued)
{
    EXPECT_EQ(lite("Delete from EpisodicDeliveries where List_ID = :List_ID and not (Fulfilled = 'Y') "),
              "Delete from EpisodicDeliveries where List_ID = :List_ID and not COALESCE(((Fulfilled = 'Y')), FALSE) ");
    EXPECT_EQ(lite(" and not Person_ID in (Select Person_ID from List_Members where List_ID = :List_ID) "),
              " and not COALESCE((Person_ID in (Select Person_ID from List_Members where List_ID = :List_ID)), FALSE) ");
    EXPECT_EQ(lite(" and (Clients.Status = 'A') and  not (Clients.Stop_Dte <= :Stop_Dte) "),
              " and (Clients.Status = 'A') and  not COALESCE(((Clients.Stop_Dte <= :Stop_Dte)), FALSE) ");
    // A predicate ends at the next and/or of its own depth.
    EXPECT_EQ(lite("where not a = 1 or b = 2"), "where not COALESCE((a = 1), FALSE) or b = 2");
    EXPECT_EQ(lite("where (not a = 1) and b = 2"), "where (not COALESCE((a = 1), FALSE)) and b = 2");
    // Already two-valued or not a prefix NOT: left alone.
    EXPECT_EQ(lite("where Quantity is not Null"), "where Quantity is not Null");
    EXPECT_EQ(lite("Create table x (a integer not null)"), "Create table x (a integer not null)");
    EXPECT_EQ(lite("where a not in (1, 2)"), "where a not in (1, 2)");
    // A NOT with nothing to wrap inside its parentheses stays as written.
    EXPECT_EQ(lite("where not not) a"), "where not COALESCE((not), FALSE)) a");
}

TEST(SqlDialect, ReservedUserColumnIsQuotedOnPostgresOnly)
{
    const QString sql = "Insert into History (Tran_Date, Event, User) values (:Tran_Date, :Event, :User) ";
    EXPECT_EQ(pg(sql), "Insert into History (Tran_Date, Event, \"User\") values (:Tran_Date, :Event, :User) ");
    EXPECT_EQ(lite(sql), sql);
}

TEST(SqlDialect, LiteralsParametersAndBooleansPassUntouched)
{
    const QString sql = "Update List_Members set RecVisible = True where Confirmed = 'not (x)' and Invited = :not_a_keyword";
    EXPECT_EQ(lite(sql), sql);
    EXPECT_EQ(pg(sql), sql);
    EXPECT_EQ(SqlDialect::parameterNames("a = :List_ID and b = :List_ID or c = :Stop_Dte and d = ':x'"),
              QStringList({"List_ID", "Stop_Dte"}));
    EXPECT_EQ(SqlDialect::statementKind("\n  select 1"), "SELECT");
}
