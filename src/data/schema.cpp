#include "data/schema.h"


namespace kv {

namespace {

ColumnDef txt(const char *n, int size) { return {QString::fromLatin1(n), ColumnType::Text, size}; }
ColumnDef memo(const char *n) { return {QString::fromLatin1(n), ColumnType::Memo, 0}; }
ColumnDef integer(const char *n) { return {QString::fromLatin1(n), ColumnType::Integer, 0}; }
ColumnDef autoinc(const char *n) { return {QString::fromLatin1(n), ColumnType::AutoIncrement, 0}; }
ColumnDef boolean(const char *n) { return {QString::fromLatin1(n), ColumnType::Boolean, 0}; }
ColumnDef date(const char *n) { return {QString::fromLatin1(n), ColumnType::Date, 0}; }
ColumnDef datetime(const char *n) { return {QString::fromLatin1(n), ColumnType::DateTime, 0}; }
ColumnDef flt(const char *n) { return {QString::fromLatin1(n), ColumnType::Float, 0}; }

QVector<ColumnDef> clientColumns()
{
    QVector<ColumnDef> c = {
        integer("Person_ID"), integer("RecordID"), txt("Client_ID", 7), txt("Last_Name", 50), txt("First_Name", 30),
        txt("Mid_Name", 15), txt("Org_Client", 1), txt("Sex", 1), date("DOB"), txt("Race", 1), txt("Marital_St", 2),
        txt("Height", 6), integer("Child_Nbr"), integer("Child_Recv"), integer("Number_In_Household"), txt("Dependent", 1),
        txt("House_No", 6), txt("Address1", 35), txt("Address2", 30), txt("City", 25), txt("State", 2), txt("ZIP", 10),
        txt("County", 25), flt("Latitude"), flt("Longitude"), memo("Directions"), txt("Cross_Street", 25),
        date("Intake_Dte"), date("First_Cnsl_Dte"), date("First_Ml_Dte"), date("Start_Dte"), date("Stop_Dte"),
        date("Inactive_D"), date("Recert_Dte"), date("Contractual_Start_Dte"), date("Contractual_Stop_Dte"),
        boolean("Suspended"), txt("Status", 1), txt("Delivery_Type", 1),
        boolean("Monday"), boolean("Tuesday"), boolean("Wednesday"), boolean("Thursday"), boolean("Friday"),
        boolean("Saturday"), boolean("Sunday"),
        integer("Diet_Restr"), txt("Diet_Desc", 40), integer("Cold_Bag_ID"), integer("Cuisine_ID"), memo("Preferences"),
        integer("Stop_Code"), txt("Stop_Reason", 40),
        txt("Mon_Rte", 5), txt("Tue_Rte", 5), txt("Wed_Rte", 5), txt("Thu_Rte", 5), txt("Fri_Rte", 5), txt("Sat_Rte", 5),
        txt("Sun_Rte", 5), txt("Def_Rte", 5),
        flt("Mon_Stop"), flt("Tue_Stop"), flt("Wed_Stop"), flt("Thu_Stop"), flt("Fri_Stop"), flt("Sat_Stop"), flt("Sun_Stop"),
        flt("Def_Stop"),
        txt("Phone", 19), txt("Phone_Desc", 1), txt("Email", 65), txt("OPhone", 19), txt("ODesc", 14),
        txt("Social_Security_Number", 11), txt("URN", 25), integer("Svcs_Used"), integer("Cnslg_Svcs"), txt("HIV_Status", 1),
        txt("User_Def1", 25), txt("User_Def2", 25), integer("User_Def3"), txt("User_Def3_Desc", 25), txt("User_Def4", 1),
        txt("Income_Category", 1), flt("Income_Month"), integer("Income_Sources"), txt("Income_Desc", 25),
        txt("Housing_Arrangement", 25), txt("Language", 1), integer("Ideal_Weight"), integer("Usual_Weight"),
        txt("Other_Disease", 50), integer("Primary_Contact"), txt("Illiterate", 1), txt("Mental_Hlth_Dx", 50),
        txt("Other_Info_Desc", 25), boolean("Custom_Del"), integer("Missed_Deliveries"), integer("Excused_Deliveries"),
        integer("Household_ID"), txt("Frame_Size", 1), flt("Pledge_Amount"), txt("Pledge_Period", 2),
        txt("Pledge_Method", 1), date("Pledge_Update"), txt("Pledge_Updated_By", 25), txt("Billing", 1), txt("BillTo", 1),
        txt("Handicapped", 1), txt("Rural", 1), txt("Insurance_Carrier", 35), txt("Insurance_ID_Number", 35),
        txt("CC_Number", 20), txt("CC_Expiration", 5), txt("CC_Security", 5), txt("CC_Cardholder", 40),
        date("Add_Dte"), date("Edit_Dte")};
    return c;
}

QVector<TableDef> buildTables()
{
    QVector<TableDef> t;
    t.push_back({QStringLiteral("Lists"),
                 {autoinc("Record_ID"), txt("List_Name", 50), txt("List_Desc", 250), txt("Reason", 3), txt("Add_Mode", 1),
                  txt("Active_Only", 1), txt("Checkbox_Setting", 1), txt("Service_Method", 1), integer("Service_Used"),
                  txt("Item_Method", 1), integer("Item_to_Deliver"), integer("Quantity"), date("Create_Date"),
                  txt("Updated_By", 25), datetime("Last_Update")},
                 QStringLiteral("Record_ID"), false});
    t.push_back({QStringLiteral("List_Members"),
                 {autoinc("Record_ID"), integer("List_ID"), integer("Person_ID"), txt("Client_ID", 7), boolean("RecVisible"),
                  txt("Invited", 1), txt("Confirmed", 1), integer("Quantity"), date("Create_Date"), txt("Updated_By", 25),
                  datetime("Last_Update")},
                 QStringLiteral("Record_ID"), false});
    t.push_back({QStringLiteral("Clients"), clientColumns(), QStringLiteral("Person_ID"), true});
    t.push_back({QStringLiteral("Households"), {integer("Household_ID"), txt("Household_Name", 50)}, QStringLiteral("Household_ID"), true});
    t.push_back({QStringLiteral("Services"), {integer("Service_ID"), txt("Service_Desc", 40), txt("Service_Type", 1)},
                 QStringLiteral("Service_ID"), true});
    t.push_back({QStringLiteral("Items"), {integer("Item_ID"), txt("Meal_Item", 40)}, QStringLiteral("Item_ID"), true});
    t.push_back({QStringLiteral("EpisodicDeliveries"),
                 {autoinc("RecordID"), integer("Person_ID"), txt("Client_ID", 7), integer("List_ID"), date("Deliv_Date"),
                  integer("Svcs_Used"), txt("Delivery_Type", 1), txt("Schedule_Type", 1), txt("Route", 5), flt("Stop"),
                  txt("Fulfilled", 1), date("Create_Date"), datetime("Last_Updated"), txt("Created_By", 40)},
                 QStringLiteral("RecordID"), true});
    t.push_back({QStringLiteral("DefDels"),
                 {autoinc("RecordID"), integer("Person_ID"), integer("Deliv_ID"), txt("Del_Day", 3), integer("Service_ID"),
                  integer("Quantity"), integer("Item_ID"), integer("Sort_Order")},
                 QStringLiteral("RecordID"), true});
    t.push_back({QStringLiteral("History"), {autoinc("RecordID"), datetime("Tran_Date"), txt("Event", 250), txt("User", 40)},
                 QStringLiteral("RecordID"), true});
    t.push_back({QStringLiteral("Config"),
                 {integer("Config_ID"), txt("Agency_Name", 60), txt("Address1", 35), txt("City", 25), txt("State", 2),
                  txt("ZIP", 10), txt("Phone", 19)},
                 QStringLiteral("Config_ID"), true});
    t.push_back({QStringLiteral("Cuisines"), {integer("Cuisine_ID"), txt("Cuisine", 30)}, QStringLiteral("Cuisine_ID"), true});
    return t;
}

QVector<IndexDef> buildIndexes()
{
    return {
        {QStringLiteral("ix_list_members_list"), QStringLiteral("List_Members"), {QStringLiteral("List_ID")}},
        {QStringLiteral("ix_list_members_list_person"), QStringLiteral("List_Members"), {QStringLiteral("List_ID"), QStringLiteral("Person_ID")}},
        {QStringLiteral("ix_lists_name"), QStringLiteral("Lists"), {QStringLiteral("List_Name")}},
        {QStringLiteral("ix_deliveries_list_person_date"), QStringLiteral("EpisodicDeliveries"),
         {QStringLiteral("List_ID"), QStringLiteral("Person_ID"), QStringLiteral("Deliv_Date")}},
        {QStringLiteral("ix_defdels_delivery"), QStringLiteral("DefDels"), {QStringLiteral("Deliv_ID")}},
        {QStringLiteral("ix_clients_status"), QStringLiteral("Clients"), {QStringLiteral("Status")}},
        {QStringLiteral("ix_clients_service"), QStringLiteral("Clients"), {QStringLiteral("Svcs_Used")}},
    };
}

QString columnSql(const ColumnDef &c, const QString &key, const SchemaTypes &types)
{
    QString type;
    switch (c.type) {
    case ColumnType::AutoIncrement: return c.name + types.autoIncrementKey;
    case ColumnType::Integer: type = QStringLiteral("INTEGER"); break;
    case ColumnType::Text: type = QStringLiteral("VARCHAR(%1)").arg(c.size); break;
    case ColumnType::Memo: type = QStringLiteral("TEXT"); break;
    case ColumnType::Boolean: type = QStringLiteral("BOOLEAN"); break;
    case ColumnType::Date: type = QStringLiteral("DATE"); break;
    case ColumnType::DateTime: type = types.dateTime; break;
    case ColumnType::Float: type = types.floating; break;
    }
    QString s = c.name + QLatin1Char(' ') + type;
    if (c.name == key)
        s += QStringLiteral(" PRIMARY KEY");
    return s;
}

} // namespace

const QVector<TableDef> &Schema::tables()
{
    static const QVector<TableDef> t = [] {
        QVector<TableDef> built = buildTables();
        // Results on PostgreSQL name their columns in lower case; users read
        // them as the schema spells them.
        QStringList names;
        for (const TableDef &def : built)
            for (const ColumnDef &c : def.columns)
                names << c.name;
        Database::addColumnSpellings(names);
        return built;
    }();
    return t;
}

const QVector<IndexDef> &Schema::indexes()
{
    static const QVector<IndexDef> i = buildIndexes();
    return i;
}

const TableDef *Schema::table(const QString &name)
{
    for (const TableDef &t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QStringList Schema::requiredHostTables()
{
    return {QStringLiteral("Clients"), QStringLiteral("Households"), QStringLiteral("Services"), QStringLiteral("Items"),
            QStringLiteral("EpisodicDeliveries"), QStringLiteral("DefDels"), QStringLiteral("History")};
}

QString Schema::createTableSql(const TableDef &t, const SqlBackend &engine)
{
    QStringList cols;
    for (const ColumnDef &c : t.columns)
        cols << columnSql(c, t.key, engine.schemaTypes());
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(t.name, cols.join(QStringLiteral(", ")));
}

QString Schema::createIndexSql(const IndexDef &i)
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)").arg(i.name, i.table, i.columns.join(QStringLiteral(", ")));
}

void Schema::ensureCollation(Database &db)
{
    db.engine().ensureCaseBlindCollation(db);
}

void Schema::ensurePluginTables(Database &db)
{
    // What the connection's one catalogue query found: a workstation far from
    // the server pays a round trip for every question asked here.
    if (!db.hadAtConnect(QStringLiteral("collation"), QStringLiteral("nocase")))
        ensureCollation(db);
    for (const TableDef &t : tables()) {
        if (t.hostTable || db.hadAtConnect(QStringLiteral("table"), t.name))
            continue;
        db.execute(createTableSql(t, db.engine()));
    }
    // Only what the catalogue says is missing: PostgreSQL asks for table
    // ownership even for CREATE INDEX IF NOT EXISTS, and a login with data
    // rights alone must still be able to connect.
    for (const IndexDef &i : indexes()) {
        const TableDef *t = table(i.table);
        if (t && !t->hostTable && !db.hadAtConnect(QStringLiteral("index"), i.name))
            db.execute(createIndexSql(i));
    }
}

void Schema::createAll(Database &db)
{
    ensureCollation(db);
    for (const TableDef &t : tables())
        if (!db.tableExists(t.name))
            db.execute(createTableSql(t, db.engine()));
    for (const IndexDef &i : indexes())
        db.execute(createIndexSql(i));
}

} // namespace kv
