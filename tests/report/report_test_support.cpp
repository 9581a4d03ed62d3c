#include "report_test_support.h"

#include "data/schema.h"
#include "members/member_reports.h"

namespace reporttest {

QStringList clientFields()
{
    QStringList f;
    for (const kv::ColumnDef &c : kv::Schema::table(QStringLiteral("Clients"))->columns)
        f << c.name;
    return f;
}

DemoMembers::DemoMembers(int n, const QString &listName)
    : members(memberFields())
    , clients(clientFields())
{
    static const char *const kFirst[] = {"Mary", "John", "Aisha", "Wei", "Carlos", "Olga", "Samuel", "Grace"};
    static const char *const kCities[] = {"Harrisburg", "Camp Hill", "Mechanicsburg", "Hershey", "Carlisle"};
    static const char *const kStreets[] = {"Market St", "Front St", "Locust Ln", "Derry St", "Walnut St"};
    for (int i = 1; i <= n; ++i) {
        const QString last = QStringLiteral("Last%1").arg(i, 4, 10, QLatin1Char('0'));
        const QString first = QString::fromLatin1(kFirst[i % 8]);
        const QString city = QString::fromLatin1(kCities[i % 5]);
        const QString address = QStringLiteral("%1 %2").arg(100 + i).arg(QString::fromLatin1(kStreets[i % 5]));
        members.addRow(QVariantMap{{QStringLiteral("Person_ID"), i},
                                   {QStringLiteral("Record_ID"), 1000 + i},
                                   {QStringLiteral("Client_ID"), QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0'))},
                                   {QStringLiteral("First_Name"), first},
                                   {QStringLiteral("Last_Name"), last},
                                   {QStringLiteral("Address1"), address},
                                   {QStringLiteral("City"), city},
                                   {QStringLiteral("Invited"), QStringLiteral("Y")},
                                   {QStringLiteral("Confirmed"), i % 3 ? QVariant(QStringLiteral("Y")) : QVariant()},
                                   {QStringLiteral("Quantity"), 1 + i % 3},
                                   {QStringLiteral("Service_Desc"), QStringLiteral("Home Delivered Meals")},
                                   {QStringLiteral("RecVisible"), true},
                                   {QStringLiteral("List_Name"), listName}});
        clients.add(i, QVariantMap{{QStringLiteral("Person_ID"), i},
                                   {QStringLiteral("RecordID"), i},
                                   {QStringLiteral("Client_ID"), QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0'))},
                                   {QStringLiteral("Last_Name"), last},
                                   {QStringLiteral("First_Name"), first},
                                   {QStringLiteral("Address1"), address},
                                   {QStringLiteral("Address2"), i % 4 == 0 ? QVariant(QStringLiteral("Apt %1").arg(i % 40)) : QVariant()},
                                   {QStringLiteral("City"), city},
                                   {QStringLiteral("State"), QStringLiteral("PA")},
                                   {QStringLiteral("ZIP"), QStringLiteral("17%1").arg(i % 1000, 3, 10, QLatin1Char('0'))},
                                   {QStringLiteral("Phone"), QStringLiteral("(717) 555-%1").arg(i % 10000, 4, 10, QLatin1Char('0'))},
                                   {QStringLiteral("OPhone"), i % 5 == 0 ? QVariant(QStringLiteral("(717) 555-9%1").arg(i % 1000, 3, 10, QLatin1Char('0'))) : QVariant()},
                                   {QStringLiteral("ODesc"), i % 5 == 0 ? QVariant(QStringLiteral("Daughter")) : QVariant()},
                                   {QStringLiteral("DOB"), QDate(1940 + i % 40, 1 + i % 12, 1 + i % 28)},
                                   {QStringLiteral("Monday"), true},
                                   {QStringLiteral("Wednesday"), i % 2 == 0},
                                   {QStringLiteral("Friday"), true},
                                   {QStringLiteral("Def_Rte"), QStringLiteral("R%1").arg(i % 40, 2, 10, QLatin1Char('0'))},
                                   {QStringLiteral("Def_Stop"), double(i % 60) + 0.5},
                                   {QStringLiteral("Status"), QStringLiteral("A")},
                                   {QStringLiteral("Directions"), QStringLiteral("Side door; ring twice. Dog is friendly.")}});
    }
    kv::MemberReports::addSources(sources, members, clients);
}

} // namespace reporttest
