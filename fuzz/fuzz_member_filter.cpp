// The members window's filter expression: parsed when set, then evaluated over
// a few rows of every kind (text, numbers, dates, flags, empty values). A bad
// expression must end in kv::Error, never a crash or a hang.

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/session.h"
#include "data/schema.h"
#include "members/member_row_set.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>

namespace {

struct Fixture
{
    int argc = 1;
    char arg0[16] = "fuzz";
    char *argv[2] = {arg0, nullptr};
    QCoreApplication app{argc, argv};
    QTemporaryDir dir;
    kv::Session session{QStringLiteral("FuzzSession")};
    kv::Database db{QStringLiteral("Brenquistal")};
    std::unique_ptr<kv::Query> query;
    kv::MemberRowSet rows;

    Fixture()
    {
        db.setSession(&session);
        db.setDirectory(dir.path());
        db.setCreateIfMissing(true);
        db.connect();
        kv::Schema::createAll(db);
        const char *const setup[] = {
            "insert into Lists (Record_ID, List_Name) values (1, 'Holiday')",
            "insert into Households (Household_ID, Household_Name) values (1, 'North')",
            "insert into Services (Service_ID, Service_Desc) values (1, 'Meals')",
            "insert into Clients (Person_ID, Client_ID, Last_Name, First_Name, City, Status, Svcs_Used, Household_ID, "
            "Start_Dte, Monday, Add_Dte) values (1, 'C1', 'baker', 'Ann', 'Oslo', 'A', 1, 1, '2026-01-05', 1, '2025-12-01')",
            "insert into Clients (Person_ID, Client_ID, Last_Name, City) values (2, 'C2', 'Adams', 'bergen')",
            "insert into Clients (Person_ID) values (3)",
            "insert into List_Members (List_ID, Person_ID, Client_ID, RecVisible, Invited, Confirmed, Quantity, Last_Update) "
            "values (1, 1, 'C1', 1, 'Y', 'Y', 2, '2026-01-01 10:00:00')",
            "insert into List_Members (List_ID, Person_ID, Client_ID, RecVisible, Invited, Confirmed, Quantity) "
            "values (1, 2, 'C2', 0, 'N', 'N', -3)",
            "insert into List_Members (List_ID, Person_ID) values (1, 3)",
        };
        for (const char *sql : setup)
            db.execute(QString::fromLatin1(sql));
        query = std::make_unique<kv::Query>(&db, QStringLiteral("QueryListMembers"));
        query->setSql(TDataModuleLists::kListMembersSql);
        query->paramByName(QStringLiteral("List_ID")).setAsInteger(1);
        query->open();
        rows.fill(*query);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture f;
    const QString expression = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        f.rows.setFilter(expression);
        f.rows.setFiltered(true);
        for (int r = 0; r < f.rows.recordCount(); ++r)
            f.rows.valueAt(r, kv::MemberRowSet::Last_Name);
    } catch (const kv::Error &) {
        // the documented answer to a bad expression
    }
    f.rows.setFiltered(false);
    return 0;
}
