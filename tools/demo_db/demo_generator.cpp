#include "demo_generator.h"

#include "data/engine/bulk_load.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <cstdio>
#include <initializer_list>
#include <memory>

namespace {

const char *const kFirstNames[] = {"Mary", "John", "Patricia", "Robert", "Jennifer", "Michael", "Linda", "William",
                                   "Elizabeth", "David", "Barbara", "Richard", "Susan", "Joseph", "Jessica", "Thomas",
                                   "Sarah", "Charles", "Karen", "Christopher", "Nancy", "Daniel", "Lisa", "Matthew",
                                   "Betty", "Anthony", "Margaret", "Mark", "Sandra", "Donald", "Ashley", "Steven",
                                   "Dorothy", "Paul", "Kimberly", "Andrew", "Emily", "Joshua", "Donna", "Kenneth",
                                   "Michelle", "Kevin", "Carol", "Brian", "Amanda", "George", "Melissa", "Edward",
                                   "Deborah", "Ronald", "Stephanie", "Timothy", "Rebecca", "Jason", "Sharon", "Jeffrey",
                                   "Laura", "Ryan", "Cynthia", "Jacob", "Kathleen", "Gary", "Amy", "Nicholas", "Shirley",
                                   "Eric", "Angela", "Jonathan", "Helen", "Stephen", "Anna", "Larry", "Brenda", "Justin",
                                   "Pamela", "Scott", "Nicole", "Brandon", "Emma", "Benjamin", "Samantha", "Samuel",
                                   "Katherine", "Gregory", "Christine", "Frank", "Debra", "Alexander", "Rachel", "Raymond",
                                   "Catherine", "Patrick", "Carolyn", "Jack", "Janet", "Dennis", "Ruth", "Jerry", "Maria",
                                   "Tyler", "Heather", "Aaron", "Diane", "Jose", "Virginia", "Adam", "Julie", "Henry",
                                   "joyce", "Nathan", "Victoria", "Douglas", "Olivia", "Zachary", "Kelly", "Peter"};
const char *const kLastNames[] = {
    "Smith", "Johnson", "Williams", "Brown", "Jones", "Garcia", "Miller", "Davis", "Rodriguez", "Martinez", "Hernandez",
    "Lopez", "Gonzalez", "Wilson", "Anderson", "Thomas", "Taylor", "Moore", "Jackson", "Martin", "Lee", "Perez", "Thompson",
    "White", "Harris", "Sanchez", "Clark", "Ramirez", "Lewis", "Robinson", "Walker", "Young", "Allen", "King", "Wright",
    "Scott", "Torres", "Nguyen", "Hill", "Flores", "Green", "Adams", "Nelson", "Baker", "Hall", "Rivera", "Campbell",
    "Mitchell", "Carter", "Roberts", "Gomez", "Phillips", "Evans", "Turner", "Diaz", "Parker", "Cruz", "Edwards",
    "Collins", "Reyes", "Stewart", "Morris", "Morales", "Murphy", "Cook", "Rogers", "Gutierrez", "Ortiz", "Morgan",
    "Cooper", "Peterson", "Bailey", "Reed", "Kelly", "Howard", "Ramos", "Kim", "Cox", "Ward", "Richardson", "Watson",
    "Brooks", "Chavez", "Wood", "James", "Bennett", "Gray", "Mendoza", "Ruiz", "Hughes", "Price", "Alvarez", "Castillo",
    "Sanders", "Patel", "Myers", "Long", "Ross", "Foster", "Jimenez", "de la Cruz", "van Dyke", "O'Brien", "McAllister",
    "d'Angelo", "MacDonald", "Ostrowski", "Lindqvist", "Nakamura", "Abernathy"};
const char *const kStreets[] = {"Main St", "Oak Ave", "Maple Dr", "Cedar Ln", "Elm St", "Pine St", "Washington Blvd",
                                "Lake Rd", "Hill St", "Park Ave", "River Rd", "Church St", "Mill Rd", "Spring St",
                                "Ridge Rd", "Sunset Blvd", "Highland Ave", "Forest Dr", "Meadow Ln", "Broadway"};
const char *const kCities[] = {"Harlow", "Brenton", "Millbrook", "Eastfield", "Westport", "Oakridge", "Fairview",
                               "Kingsford", "Ashby", "Riverton"};
const char *const kCounties[] = {"Harlow", "Brenton", "Ash"};
const char *const kItems[] = {"Hot Meal - Regular", "Hot Meal - Diabetic", "Hot Meal - Low Sodium", "Hot Meal - Renal",
                              "Hot Meal - Pureed", "Frozen Meal - Regular", "Frozen Meal - Diabetic", "Frozen Meal - Vegetarian",
                              "Breakfast Bag", "Sandwich Bag", "Shelf-Stable Box", "Holiday Dinner", "Thanksgiving Turkey Plate",
                              "Holiday Ham Plate", "Soup Pack", "Fruit Cup Pack", "Milk (Quart)", "Juice Pack",
                              "Nutrition Shake", "Cereal Box", "Bread Loaf", "Kosher Meal", "Halal Meal", "Chopped Meal",
                              "Emergency Meal Kit", "pet food bag"};
const char *const kCuisines[] = {"American", "Kosher", "Halal", "Vegetarian", "Caribbean", "Asian", "Latin"};

struct ServiceDef
{
    int id;
    const char *desc;
    const char *type; // nullptr = NULL
};
// Several delivery services ('D'), a few of other kinds, one without a type,
// and three-digit ids so that sorting by number and by text differ.
const ServiceDef kServices[] = {
    {1, "Home Delivered Meals", "D"},      {2, "Congregate Meals", "C"},          {3, "Weekend Meals", "D"},
    {4, "Frozen Meal Delivery", "D"},      {5, "Nutrition Counselling", "N"},     {6, "Grocery Delivery", "D"},
    {7, "Transportation", "T"},            {8, "Holiday Meals", "D"},             {9, "Friendly Visitor", nullptr},
    {12, "Emergency Meals", "D"},          {101, "Pet Food Delivery", "D"},       {250, "Medically Tailored Meals", "D"},
    {310, "Senior Center Lunch", "C"},
};

template <typename T, std::size_t N>
constexpr int countOf(const T (&)[N])
{
    return int(N);
}

// A prepared insert of one table's rows, each value bound by its column's
// name and written as given (a blank stays blank, NULL stays NULL: the demo
// data holds both on purpose). The backend loads them its fastest way (on
// SQLite through the library itself). With a key column, the new row's key
// is read back the way the engine reads it.
class Insert
{
public:
    Insert(kv::Database &db, const QString &table, const QStringList &columns, const QString &keyColumn = QString())
        : m_load(kv::BulkLoad::prepare(db, table, columns, keyColumn))
        , m_columns(int(columns.size()))
    {
        if (!m_load->error().isEmpty())
            throw kv::DbError(QStringLiteral("Preparing the demo insert into %1").arg(table), m_load->error(), m_load->text());
    }
    Insert(const Insert &) = delete;
    Insert &operator=(const Insert &) = delete;

    void row(std::initializer_list<QVariant> values)
    {
        Q_ASSERT(int(values.size()) == m_columns);
        int i = 0;
        for (const QVariant &v : values)
            bind(i++, v);
        run();
    }

    void bind(int i, const QVariant &v) { m_load->bind(i, v); }

    void run()
    {
        if (!m_load->run())
            throw kv::DbError(QStringLiteral("Writing demo data"), m_load->error(), m_load->text());
    }

    // The key of the row the last run() wrote; only for an insert made with a key column.
    int lastKey()
    {
        const QVariant key = m_load->lastKey();
        if (!key.isValid() || key.isNull() || key.toLongLong() <= 0)
            throw kv::DbError(QStringLiteral("Reading the new key"), QStringLiteral("The insert returned no key."), m_load->text());
        return key.toInt();
    }

private:
    std::unique_ptr<kv::BulkLoad> m_load;
    int m_columns;
};

QString pick(QRandomGenerator &rng, const char *const *list, int n)
{
    return QString::fromLatin1(list[rng.bounded(n)]);
}

} // namespace

QList<int> DemoGenerator::serviceIds()
{
    QList<int> ids;
    for (const ServiceDef &s : kServices)
        ids << s.id;
    return ids;
}

QList<int> DemoGenerator::deliveryServiceIds()
{
    QList<int> ids;
    for (const ServiceDef &s : kServices)
        if (s.type && qstrcmp(s.type, "D") == 0)
            ids << s.id;
    return ids;
}

DemoGenerator::DemoGenerator(kv::Database &db, Options options)
    : m_db(db)
    , m_options(options)
{
}

// Values in the form the engine binds them on this backend (dates as text on
// SQLite, booleans as 0 and 1), so the file reads back typed.
QVariant DemoGenerator::date(const QDate &d) const
{
    return m_db.engine().bindable(d, kv::FieldType::Date);
}

QVariant DemoGenerator::dateTime(const QDateTime &dt) const
{
    return m_db.engine().bindable(dt, kv::FieldType::DateTime);
}

QVariant DemoGenerator::boolean(bool b) const
{
    return m_db.engine().bindable(b, kv::FieldType::Boolean);
}

DemoGenerator::Counts DemoGenerator::generate()
{
    QRandomGenerator rng(m_options.seed);
    const QDate base = m_options.baseDate;
    const int n = qMax(0, m_options.clients);
    Counts counts;
    const QVariant null;

    QSqlDatabase conn = m_db.connection();
    if (!conn.transaction())
        throw kv::DbError(QStringLiteral("Starting the demo transaction"), conn.lastError().text());
    try {
        // Reference tables.
        {
            Insert ins(m_db, QStringLiteral("Services"), {QStringLiteral("Service_ID"), QStringLiteral("Service_Desc"), QStringLiteral("Service_Type")});
            for (const ServiceDef &s : kServices) {
                ins.row({s.id, QString::fromLatin1(s.desc), s.type ? QVariant(QString::fromLatin1(s.type)) : null});
                ++counts.services;
            }
        }
        {
            Insert ins(m_db, QStringLiteral("Items"), {QStringLiteral("Item_ID"), QStringLiteral("Meal_Item")});
            for (int i = 0; i < countOf(kItems); ++i) {
                // Ids with gaps and a three-digit one, as a real catalogue has.
                const int id = i < 20 ? i + 1 : 100 + i * 7;
                ins.row({id, QString::fromLatin1(kItems[i])});
                ++counts.items;
            }
        }
        {
            Insert ins(m_db, QStringLiteral("Cuisines"), {QStringLiteral("Cuisine_ID"), QStringLiteral("Cuisine")});
            for (int i = 0; i < countOf(kCuisines); ++i)
                ins.row({i + 1, QString::fromLatin1(kCuisines[i])});
        }
        {
            Insert ins(m_db, QStringLiteral("Config"),
                       {QStringLiteral("Config_ID"), QStringLiteral("Agency_Name"), QStringLiteral("Address1"), QStringLiteral("City"),
                        QStringLiteral("State"), QStringLiteral("ZIP"), QStringLiteral("Phone")});
            ins.row({1, QStringLiteral("Harlow County Meals on Wheels"), QStringLiteral("400 Market St"), QStringLiteral("Harlow"),
                     QStringLiteral("PA"), QStringLiteral("17001"), QStringLiteral("(717) 555-0100")});
        }

        // Households: about one for every two clients; some clients have none.
        const int households = qMax(1, n / 2);
        QStringList householdNames;
        householdNames.reserve(households);
        {
            Insert ins(m_db, QStringLiteral("Households"), {QStringLiteral("Household_ID"), QStringLiteral("Household_Name")});
            for (int h = 1; h <= households; ++h) {
                const QString name = pick(rng, kLastNames, countOf(kLastNames)) + QStringLiteral(" Household");
                householdNames << name;
                ins.row({h, name});
            }
            counts.households = households;
        }

        // Clients.
        static const char *const kDayRte[] = {"Mon_Rte", "Tue_Rte", "Wed_Rte", "Thu_Rte", "Fri_Rte", "Sat_Rte", "Sun_Rte"};
        static const char *const kDayStop[] = {"Mon_Stop", "Tue_Stop", "Wed_Stop", "Thu_Stop", "Fri_Stop", "Sat_Stop", "Sun_Stop"};
        static const char *const kDays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
        QStringList cols = {QStringLiteral("Person_ID"), QStringLiteral("RecordID"), QStringLiteral("Client_ID"),
                            QStringLiteral("Last_Name"), QStringLiteral("First_Name"), QStringLiteral("Mid_Name"),
                            QStringLiteral("Sex"), QStringLiteral("DOB"), QStringLiteral("Dependent"),
                            QStringLiteral("House_No"), QStringLiteral("Address1"), QStringLiteral("Address2"),
                            QStringLiteral("City"), QStringLiteral("State"), QStringLiteral("ZIP"), QStringLiteral("County"),
                            QStringLiteral("Phone"), QStringLiteral("Email"), QStringLiteral("Status"),
                            QStringLiteral("Delivery_Type"), QStringLiteral("Svcs_Used"), QStringLiteral("Household_ID"),
                            QStringLiteral("Number_In_Household"), QStringLiteral("Cuisine_ID"), QStringLiteral("Intake_Dte"),
                            QStringLiteral("Start_Dte"), QStringLiteral("Stop_Dte"), QStringLiteral("Add_Dte"),
                            QStringLiteral("Edit_Dte"), QStringLiteral("Def_Rte"), QStringLiteral("Def_Stop"),
                            QStringLiteral("Latitude"), QStringLiteral("Longitude"), QStringLiteral("Language"),
                            QStringLiteral("Diet_Desc"), QStringLiteral("Custom_Del"), QStringLiteral("Suspended")};
        const int fixed = cols.size();
        for (int d = 0; d < 7; ++d)
            cols << QString::fromLatin1(kDays[d]) << QString::fromLatin1(kDayRte[d]) << QString::fromLatin1(kDayStop[d]);
        Insert clients(m_db, QStringLiteral("Clients"), cols);

        static const char *const kStatuses[] = {"A", "A", "A", "A", "A", "A", "A", "A", "W", "W", "N", "S", "S", "I", " ", "*NULL*"};
        const QList<int> allServices = serviceIds();
        const QList<int> deliveryServices = deliveryServiceIds();
        QVector<QString> clientIdOf(n + 1);
        for (int p = 1; p <= n; ++p) {
            const QString last = pick(rng, kLastNames, countOf(kLastNames));
            const QString first = pick(rng, kFirstNames, countOf(kFirstNames));
            const char *st = kStatuses[rng.bounded(countOf(kStatuses))];
            const QVariant status = qstrcmp(st, "*NULL*") == 0 ? QVariant() : QVariant(QString::fromLatin1(st));
            const bool episodic = rng.bounded(5) == 0;
            const QString clientId = QStringLiteral("%1").arg(p, 6, 10, QLatin1Char('0')).prepend(QLatin1Char(episodic ? 'E' : 'C')).left(7);
            clientIdOf[p] = clientId;
            const int svc = rng.bounded(10) < 8 ? deliveryServices[rng.bounded(int(deliveryServices.size()))]
                                                : allServices[rng.bounded(int(allServices.size()))];
            const bool inHousehold = rng.bounded(6) != 0;
            const int household = inHousehold ? 1 + rng.bounded(households) : 0;
            const QDate added = base.addDays(-int(rng.bounded(3650)));
            const QDate start = added.addDays(rng.bounded(30));
            const QDate stop = (st[0] == 'S' || st[0] == 'I') ? start.addDays(30 + rng.bounded(700)) : QDate();
            const int route = 1 + rng.bounded(40);
            const QString defRte = QStringLiteral("R%1").arg(route, 2, 10, QLatin1Char('0'));
            // Stops are fractional: a stop inserted between two others gets a half.
            const double defStop = rng.bounded(60) + (rng.bounded(4) == 0 ? 0.5 : 0.0);
            const QString city = pick(rng, kCities, countOf(kCities));

            int i = 0;
            auto b = [&](const QVariant &v) { clients.bind(i++, v); };
            b(p);
            b(p);
            b(clientId);
            b(last);
            b(first);
            b(rng.bounded(3) == 0 ? QVariant(QString(QChar(QLatin1Char(char('A' + rng.bounded(26)))))) : null);
            b(rng.bounded(2) ? QStringLiteral("F") : QStringLiteral("M"));
            b(date(QDate(1930 + int(rng.bounded(60)), 1 + int(rng.bounded(12)), 1 + int(rng.bounded(28)))));
            b(rng.bounded(8) == 0 ? QStringLiteral("Y") : QStringLiteral("N"));
            b(QString::number(1 + rng.bounded(9999)));
            b(QString::number(1 + rng.bounded(9999)) + QLatin1Char(' ') + pick(rng, kStreets, countOf(kStreets)));
            b(rng.bounded(5) == 0 ? QVariant(QStringLiteral("Apt %1").arg(1 + rng.bounded(40))) : null);
            b(city);
            b(QStringLiteral("PA"));
            b(QStringLiteral("17%1").arg(rng.bounded(1000), 3, 10, QLatin1Char('0')));
            b(pick(rng, kCounties, countOf(kCounties)));
            b(rng.bounded(12) == 0 ? QVariant() : QVariant(QStringLiteral("(717) 555-%1").arg(rng.bounded(10000), 4, 10, QLatin1Char('0'))));
            b(rng.bounded(4) == 0 ? QVariant(first.toLower() + QLatin1Char('.') + QString::number(p) + QStringLiteral("@example.org")) : null);
            b(status);
            b(episodic ? QStringLiteral("E") : QStringLiteral("O"));
            b(svc);
            b(household ? QVariant(household) : null);
            b(1 + int(rng.bounded(4)));
            b(rng.bounded(3) == 0 ? QVariant(1 + int(rng.bounded(countOf(kCuisines)))) : null);
            b(date(added.addDays(-int(rng.bounded(10)))));
            b(date(start));
            b(date(stop));
            b(date(added));
            b(date(added.addDays(rng.bounded(300))));
            b(defRte);
            b(defStop);
            b(40.0 + rng.bounded(1000) / 1000.0);
            b(-76.0 - rng.bounded(1000) / 1000.0);
            b(rng.bounded(10) == 0 ? QStringLiteral("S") : QStringLiteral("E"));
            b(rng.bounded(6) == 0 ? QVariant(QStringLiteral("Low sodium")) : null);
            b(boolean(rng.bounded(15) == 0));
            b(boolean(false));
            Q_ASSERT(i == fixed);
            // Weekday deliveries; weekends for a few. A day's route is often left
            // empty, which means the default route and stop apply.
            for (int d = 0; d < 7; ++d) {
                const bool on = episodic ? rng.bounded(7) == 0 : (d < 5 ? rng.bounded(10) < 8 : rng.bounded(8) == 0);
                b(boolean(on));
                if (on && rng.bounded(3) != 0) {
                    const int r = rng.bounded(3) == 0 ? 1 + int(rng.bounded(40)) : route;
                    b(QStringLiteral("R%1").arg(r, 2, 10, QLatin1Char('0')));
                    b(double(rng.bounded(60)) + (rng.bounded(3) == 0 ? 0.25 * (1 + rng.bounded(3)) : 0.0));
                } else {
                    // Blank and NULL both mean "no route of its own".
                    b(rng.bounded(2) ? QVariant() : QVariant(QStringLiteral("")));
                    b(null);
                }
            }
            clients.run();
        }
        counts.clients = n;

        // Lists: three of the plug-in's ('LST') and one the host keeps for another reason.
        struct ListDef
        {
            const char *name;
            const char *desc;
            const char *reason;
            const char *checkbox;
            const char *serviceMethod;
            int serviceUsed;
            const char *itemMethod;
            int item;
            int quantity;
            const char *updatedBy;
            int share; // one member for every `share` clients
        };
        const ListDef lists[] = {
            {"Thanksgiving 2026", "Holiday dinner for every active client; ask before delivering.", "LST", "C", "S", 8, "S", 13, 1,
             "Maria (office)", 6},
            {"Winter Storm Kits", "Shelf-stable boxes before the first storm of the season", "LST", "I", "C", 0, "S", 11, 2,
             "Dispatch", 15},
            {"Birthday Cards - December", "Clients with a birthday this month", "LST", "I", "C", 0, "D", 0, 0, nullptr, 60},
            {"Route R07 reassignment", "Kept by the host for route planning", "RTE", "I", "C", 0, "D", 0, 0, "Host", 25},
        };
        QList<int> listIds;
        {
            Insert ins(m_db, QStringLiteral("Lists"),
                       {QStringLiteral("List_Name"), QStringLiteral("List_Desc"), QStringLiteral("Reason"), QStringLiteral("Add_Mode"),
                        QStringLiteral("Active_Only"), QStringLiteral("Checkbox_Setting"), QStringLiteral("Service_Method"),
                        QStringLiteral("Service_Used"), QStringLiteral("Item_Method"), QStringLiteral("Item_to_Deliver"),
                        QStringLiteral("Quantity"), QStringLiteral("Create_Date"), QStringLiteral("Updated_By"),
                        QStringLiteral("Last_Update")},
                       QStringLiteral("Record_ID"));
            int k = 0;
            for (const ListDef &l : lists) {
                ins.row({QString::fromLatin1(l.name), QString::fromLatin1(l.desc), QString::fromLatin1(l.reason),
                         k == 1 ? QStringLiteral("R") : QStringLiteral("A"), k == 2 ? QStringLiteral("N") : QStringLiteral("Y"),
                         QString::fromLatin1(l.checkbox), QString::fromLatin1(l.serviceMethod), l.serviceUsed ? QVariant(l.serviceUsed) : null,
                         QString::fromLatin1(l.itemMethod), l.item ? QVariant(l.item) : null, l.quantity ? QVariant(l.quantity) : null,
                         date(base.addDays(-40 + 9 * k)),
                         l.updatedBy ? QVariant(QString::fromLatin1(l.updatedBy)) : null,
                         k == 2 ? QVariant() : dateTime(QDateTime(base.addDays(-3 + k), QTime(9 + k, 15 * k, 0)))});
                listIds << ins.lastKey();
                ++k;
            }
            counts.lists = k;
        }

        // Members: every Invited/Confirmed combination, NULL included, some hidden.
        struct Member
        {
            int list;
            int person;
        };
        QList<Member> firstListMembers;
        {
            Insert ins(m_db, QStringLiteral("List_Members"),
                       {QStringLiteral("List_ID"), QStringLiteral("Person_ID"), QStringLiteral("Client_ID"),
                        QStringLiteral("RecVisible"), QStringLiteral("Invited"), QStringLiteral("Confirmed"),
                        QStringLiteral("Quantity"), QStringLiteral("Create_Date"), QStringLiteral("Updated_By"),
                        QStringLiteral("Last_Update")});
            static const char *const kInvited[] = {"Y", "N", nullptr};
            static const char *const kConfirmed[] = {"Y", "N", nullptr};
            for (int li = 0; li < countOf(lists); ++li) {
                int k = 0;
                for (int p = 1 + int(rng.bounded(qMax(1, lists[li].share))); p <= n; p += 1 + int(rng.bounded(2 * lists[li].share))) {
                    const char *inv = kInvited[k % 3];
                    const char *conf = kConfirmed[(k / 3) % 3];
                    const bool visible = rng.bounded(12) != 0;
                    const bool edited = rng.bounded(4) == 0;
                    ins.row({listIds[li], p, clientIdOf[p], boolean(visible), inv ? QVariant(QString::fromLatin1(inv)) : null,
                             conf ? QVariant(QString::fromLatin1(conf)) : null,
                             rng.bounded(5) == 0 ? QVariant(1 + int(rng.bounded(4))) : null, date(base.addDays(-30 + li)),
                             edited ? QVariant(QStringLiteral("(List)")) : null,
                             dateTime(QDateTime(base.addDays(-30 + li + int(rng.bounded(20))), QTime(8 + int(rng.bounded(9)), int(rng.bounded(60)), 0)))});
                    if (li == 0)
                        firstListMembers << Member{listIds[li], p};
                    ++k;
                    ++counts.members;
                }
            }
        }

        // Deliveries of the first list: an earlier run that the host has marked
        // fulfilled, and a coming one still pending (Fulfilled NULL, 'N' or blank).
        {
            Insert del(m_db, QStringLiteral("EpisodicDeliveries"),
                       {QStringLiteral("Person_ID"), QStringLiteral("Client_ID"), QStringLiteral("List_ID"), QStringLiteral("Deliv_Date"),
                        QStringLiteral("Svcs_Used"), QStringLiteral("Delivery_Type"), QStringLiteral("Schedule_Type"),
                        QStringLiteral("Route"), QStringLiteral("Stop"), QStringLiteral("Fulfilled"), QStringLiteral("Create_Date"),
                        QStringLiteral("Last_Updated"), QStringLiteral("Created_By")},
                       QStringLiteral("RecordID"));
            Insert item(m_db, QStringLiteral("DefDels"),
                        {QStringLiteral("Person_ID"), QStringLiteral("Deliv_ID"), QStringLiteral("Del_Day"), QStringLiteral("Service_ID"),
                         QStringLiteral("Quantity"), QStringLiteral("Item_ID"), QStringLiteral("Sort_Order")});
            const QDate fulfilledDay = base.addDays(-7);
            const QDate pendingDay = base.addDays(24);
            int k = 0;
            for (const Member &m : std::as_const(firstListMembers)) {
                for (int run = 0; run < 2; ++run) {
                    if (rng.bounded(3) == 0)
                        continue;
                    const QDate day = run == 0 ? fulfilledDay : pendingDay;
                    QVariant fulfilled;
                    if (run == 0)
                        fulfilled = QStringLiteral("Y");
                    else if (k % 5 == 1)
                        fulfilled = QStringLiteral("N");
                    else if (k % 7 == 2)
                        fulfilled = QStringLiteral(" ");
                    const bool episodic = clientIdOf[m.person].startsWith(QLatin1Char('E'));
                    del.row({m.person, clientIdOf[m.person], m.list, date(day), 8, QStringLiteral("D"),
                             episodic ? QStringLiteral("E") : QStringLiteral("S"),
                             QStringLiteral("R%1").arg(1 + (m.person % 40), 2, 10, QLatin1Char('0')), double(m.person % 60) + 0.5,
                             fulfilled, date(day.addDays(-10)), dateTime(QDateTime(day.addDays(-10), QTime(10, 30, 0))),
                             QStringLiteral("demo (List)")});
                    ++counts.deliveries;
                    if (k % 4 != 3) {
                        const int delivId = del.lastKey();
                        item.row({m.person, delivId, QLocale::c().toString(day, QStringLiteral("ddd")).toUpper(), 8, 1, 13, 0});
                        ++counts.deliveryItems;
                    }
                    ++k;
                }
            }
        }

        {
            Insert ins(m_db, QStringLiteral("History"), {QStringLiteral("Tran_Date"), QStringLiteral("Event"), QStringLiteral("User")});
            ins.row({dateTime(QDateTime(base.addDays(-17), QTime(10, 30, 0))),
                     QStringLiteral("Thanksgiving 2026 list fulfilled to %1 for %2")
                         .arg(counts.deliveries / 2)
                         .arg(base.addDays(-7).toString(QStringLiteral("M/d/yyyy"))),
                     QStringLiteral("demo")});
        }
    } catch (...) {
        conn.rollback();
        throw;
    }
    if (!conn.commit())
        throw kv::DbError(QStringLiteral("Committing the demo data"), conn.lastError().text());
    return counts;
}
