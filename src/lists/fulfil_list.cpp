#include "lists/fulfil_list.h"

#include "data/data_module.h"
#include "data/dates.h"
#include "data/engine/batch_insert.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/row_stream.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/list_stamp.h"
#include "data/trace.h"
#include "data/translate.h"
#include "lists/history_note.h"

#include <QDateTime>
#include <QLocale>
#include <QScopeGuard>

namespace kv {

namespace {

std::optional<int> optionalInt(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    return v.toInt();
}

int indexOf(const QVector<Field> &fields, const char *name)
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString text(const Query &q, const char *field)
{
    const QVariant v = q.fieldValue(QLatin1String(field));
    return (!v.isValid() || v.isNull()) ? QString() : v.toString();
}

} // namespace

// ---------------------------------------------------------------- ListDefaults

const QString ListDefaults::kConfirmedKeys = QStringLiteral("CUNI");
const QString ListDefaults::kServiceKeys = QStringLiteral("CS");
const QString ListDefaults::kItemsKeys = QStringLiteral("DS");

int ListDefaults::indexOfCode(const QString &keys, const QString &code)
{
    if (code.size() != 1)
        return -1;
    return keys.indexOf(code.at(0));
}

ListDefaults ListDefaults::fromCurrentRow(const Query &lists)
{
    ListDefaults d;
    d.listId = lists.fieldValue(QStringLiteral("Record_ID")).toInt();
    d.listName = text(lists, "List_Name");
    d.activeOnly = text(lists, "Active_Only") == QLatin1String("Y");
    d.checkboxSetting = text(lists, "Checkbox_Setting");
    d.serviceMethod = text(lists, "Service_Method");
    d.serviceUsed = optionalInt(lists.fieldValue(QStringLiteral("Service_Used")));
    d.itemMethod = text(lists, "Item_Method");
    d.itemToDeliver = optionalInt(lists.fieldValue(QStringLiteral("Item_to_Deliver")));
    d.quantity = optionalInt(lists.fieldValue(QStringLiteral("Quantity")));
    return d;
}

FulfilmentOptions ListDefaults::toOptions() const
{
    FulfilmentOptions o;
    o.activeOnly = activeOnly;
    o.confirmedIndex = indexOfCode(kConfirmedKeys, checkboxSetting);
    o.serviceIndex = indexOfCode(kServiceKeys, serviceMethod);
    if (o.serviceIndex == FulfilmentOptions::SelectedService)
        o.serviceId = serviceUsed;
    o.itemsIndex = indexOfCode(kItemsKeys, itemMethod);
    if (o.itemsIndex == FulfilmentOptions::SelectedItem)
        o.itemId = itemToDeliver;
    o.quantity = quantity.value_or(0);
    o.listName = listName;
    return o;
}

// ---------------------------------------------------------------- FulfilmentNameLookups

const QString FulfilmentNameLookups::kServiceNameSql = QStringLiteral("Select Service_Desc from Services where Service_ID = :Service_ID");
const QString FulfilmentNameLookups::kItemNameSql = QStringLiteral("Select Meal_Item from Items where Item_ID = :Item_ID");

FulfilmentNameLookups::FulfilmentNameLookups(TDataModuleLists &dm)
    : m_serviceName(std::make_unique<Query>(dm.DatabaseLists, QStringLiteral("QueryGetServiceName")))
    , m_itemName(std::make_unique<Query>(dm.DatabaseLists, QStringLiteral("QueryGetItemName")))
{
    m_serviceName->setSql(kServiceNameSql);
    m_itemName->setSql(kItemNameSql);
}

FulfilmentNameLookups::~FulfilmentNameLookups() = default;

QString FulfilmentNameLookups::serviceName(int serviceId)
{
    m_serviceName->close();
    m_serviceName->paramByName(QStringLiteral("Service_ID")).setAsInteger(serviceId);
    m_serviceName->open();
    const QString name = m_serviceName->isEmpty() ? QString() : text(*m_serviceName, "Service_Desc");
    m_serviceName->close();
    return name;
}

QString FulfilmentNameLookups::itemName(int itemId)
{
    m_itemName->close();
    m_itemName->paramByName(QStringLiteral("Item_ID")).setAsInteger(itemId);
    m_itemName->open();
    const QString name = m_itemName->isEmpty() ? QString() : text(*m_itemName, "Meal_Item");
    m_itemName->close();
    return name;
}

// ---------------------------------------------------------------- ListFulfilment

namespace {
const char *const kContext = "ListFulfilment";
} // namespace

const QString ListFulfilment::kListNotFoundMessage =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", "Error locating the List using the List ID!"));
const QString ListFulfilment::kNoCandidatesMessage =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", "There were no records matching your fulfillment specifications."));
const QString ListFulfilment::kConfirmStart =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", "Please confirm that you would like to fulfill this list of "));
const QString ListFulfilment::kConfirmEnd = QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", " member(s)!"));
const QString ListFulfilment::kProgressMessage =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", "Scheduling Deliveries..."));
const QString ListFulfilment::kProgressCountPrefix =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", "Total Deliveries: "));
const QString ListFulfilment::kNoServiceChosenMessage =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", "Please choose the service to use: the client's own service or a selected one."));
const QString ListFulfilment::kNoItemChosenMessage =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", "Please choose the item to deliver."));
const QString ListFulfilment::kNoDateMessage =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", "Please choose the delivery date."));
const QString ListFulfilment::kRerunQuestionOf = QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", " of these "));
const QString ListFulfilment::kRerunQuestionMembers =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", " members already have a delivery from this list on "));
const QString ListFulfilment::kRerunQuestionEnd =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment", ". Schedule them again?"));
const QString ListFulfilment::kAllScheduledMessage =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListFulfilment",
                                        "All %1 members already have a delivery from this list on %2. Nothing was scheduled."));
const QString ListFulfilment::kScheduledSql =
    QStringLiteral("Select Person_ID from EpisodicDeliveries where List_ID = :List_ID and Deliv_Date = :Deliv_Date");

QString ListFulfilment::rerunQuestion(int scheduled, int candidates, const QString &shortDate)
{
    return QString::number(scheduled) + shown(kContext, kRerunQuestionOf) + QString::number(candidates)
        + shown(kContext, kRerunQuestionMembers) + shortDate + shown(kContext, kRerunQuestionEnd);
}

const QString ListFulfilment::kCandidatesLine1 = QStringLiteral(
    "Select List_Members.Person_ID, List_Members.Client_ID, List_Members.Quantity, Clients.Status, Clients.Svcs_Used, "
    "Clients.Delivery_Type, Clients.Def_Rte, Clients.Def_Stop, Clients.Mon_Rte, Clients.Mon_Stop, ");
const QString ListFulfilment::kCandidatesLine2 = QStringLiteral(
    "Clients.Tue_Rte, Clients.Tue_Stop, Clients.Wed_Rte, Clients.Wed_Stop, Clients.Thu_Rte, Clients.Thu_Stop, Clients.Fri_Rte, "
    "Clients.Fri_Stop, Clients.Sat_Rte, Clients.Sat_Stop, Clients.Sun_Rte, Clients.Sun_Stop ");
const QString ListFulfilment::kCandidatesLine3 = QStringLiteral(
    "from List_Members join Clients on List_Members.Person_ID = Clients.Person_ID where List_Members.List_ID = :List_ID and "
    "List_Members.RecVisible=True ");
const QString ListFulfilment::kConfirmedCheckedLine = QStringLiteral(" and (List_Members.Confirmed = 'Y') ");
const QString ListFulfilment::kConfirmedUncheckedLine = QStringLiteral(" and not (List_Members.Confirmed = 'Y') ");
const QString ListFulfilment::kConfirmedUnknownLine = QStringLiteral(" and (List_Members.Confirmed is Null) ");
const QString ListFulfilment::kActiveOnlyLine =
    QStringLiteral(" and (Clients.Status = 'A') and  not (Clients.Stop_Dte <= :Stop_Dte) ");

ListFulfilment::ListFulfilment(TDataModuleLists &dm, Prompts &prompts, Progress &progress, std::function<QString()> userName)
    : m_dm(dm)
    , m_prompts(prompts)
    , m_progress(progress)
    , m_userName(std::move(userName))
    , m_candidates(std::make_unique<Query>(dm.DatabaseLists, QStringLiteral("QueryFulfillmentCandidates")))
{
}

ListFulfilment::~ListFulfilment() = default;

bool ListFulfilment::locateList(int listId)
{
    // Read afresh: a list saved moments ago in the lists window must be there.
    Query &lookup = *m_dm.QueryListLookup;
    if (lookup.isOpen())
        lookup.refresh();
    else
        lookup.open();
    if (lookup.locate({QStringLiteral("Record_ID")}, {listId}))
        return true;
    m_prompts.warn(shown(kContext, kListNotFoundMessage));
    return false;
}

QString ListFulfilment::check(const FulfilmentOptions &o)
{
    if (!o.deliveryDate.isValid())
        return shown(kContext, kNoDateMessage);
    const bool serviceChosen = o.serviceIndex == FulfilmentOptions::ClientsOwnService
        || (o.serviceIndex == FulfilmentOptions::SelectedService && o.serviceId.has_value());
    if (!serviceChosen)
        return shown(kContext, kNoServiceChosenMessage);
    if (o.itemsIndex == FulfilmentOptions::SelectedItem && !o.itemId)
        return shown(kContext, kNoItemChosenMessage);
    return QString();
}

QStringList ListFulfilment::candidateSql(const FulfilmentOptions &o)
{
    QStringList lines{kCandidatesLine1, kCandidatesLine2, kCandidatesLine3};
    switch (o.confirmedIndex) {
    case FulfilmentOptions::ConfirmedChecked: lines << kConfirmedCheckedLine; break;
    case FulfilmentOptions::ConfirmedUnchecked: lines << kConfirmedUncheckedLine; break;
    case FulfilmentOptions::ConfirmedUnknown: lines << kConfirmedUnknownLine; break;
    default: break; // "Irrelevant" or nothing selected: no condition
    }
    if (o.activeOnly)
        lines << kActiveOnlyLine;
    return lines;
}

namespace {
// Qt counts Monday = 1 … Sunday = 7; the day's own pair of columns.
const char *const kRouteFields[] = {"Mon_Rte", "Tue_Rte", "Wed_Rte", "Thu_Rte", "Fri_Rte", "Sat_Rte", "Sun_Rte"};
const char *const kStopFields[] = {"Mon_Stop", "Tue_Stop", "Wed_Stop", "Thu_Stop", "Fri_Stop", "Sat_Stop", "Sun_Stop"};
} // namespace

ListFulfilment::RouteStop ListFulfilment::routeFor(const QDate &date, const Query &c)
{
    const int d = date.dayOfWeek() - 1;
    return pickRoute(c.fieldValue(QLatin1String(kRouteFields[d])), c.fieldValue(QLatin1String(kStopFields[d])),
                     c.fieldValue(QStringLiteral("Def_Rte")), c.fieldValue(QStringLiteral("Def_Stop")));
}

ListFulfilment::RouteStop ListFulfilment::pickRoute(const QVariant &dayRoute, const QVariant &dayStop, const QVariant &defRoute,
                                                    const QVariant &defStop)
{
    auto textOf = [](const QVariant &v) { return (!v.isValid() || v.isNull()) ? QString() : v.toString(); };
    RouteStop rs;
    QString route = textOf(dayRoute);
    QVariant stop = dayStop;
    if (route.trimmed().isEmpty()) {
        route = textOf(defRoute);
        stop = defStop;
    }
    rs.route = route;
    rs.stop = (!stop.isValid() || stop.isNull()) ? 0.0 : stop.toDouble();
    return rs;
}

int ListFulfilment::itemQuantity(const QVariant &memberQuantity, int listQuantity)
{
    const int member = (!memberQuantity.isValid() || memberQuantity.isNull()) ? 0 : memberQuantity.toInt();
    const int q = qMax(member, listQuantity);
    return q == 0 ? 1 : q;
}

QString ListFulfilment::deliveryDay(const QDate &date)
{
    // The host reads the day codes MON to SUN, and the column holds three
    // characters: the workstation's language must not change them.
    return QLocale::c().toString(date, QStringLiteral("ddd")).toUpper();
}

QSet<qint64> ListFulfilment::scheduledPeople(int listId, const QDate &date)
{
    Query q(m_dm.DatabaseLists, QStringLiteral("QueryScheduledMembers"));
    q.setSql(kScheduledSql);
    q.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    q.paramByName(QStringLiteral("Deliv_Date")).setAsDate(date);
    q.open();
    QSet<qint64> people;
    people.reserve(q.recordCount());
    for (int r = 0; r < q.recordCount(); ++r)
        people.insert(q.valueAt(r, 0).toLongLong());
    return people;
}

ListFulfilment::Result ListFulfilment::run(int listId, const FulfilmentOptions &o)
{
    TraceScope trace(QStringLiteral("ListFulfilment.run"));
    Result result;
    const QString problem = check(o);
    if (!problem.isEmpty())
        throw Error(problem);

    Query &c = *m_candidates;
    c.close();
    c.setSql(candidateSql(o));
    Trace::lines(QStringLiteral("QueryFulfillmentCandidates.SQL"), c.sql());
    if (o.activeOnly)
        c.paramByName(QStringLiteral("Stop_Dte")).setAsDate(o.deliveryDate);
    c.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    // What the loop writes from each candidate, read as the rows stream in:
    // a large list is not held twice, once as the whole result.
    struct Candidate
    {
        QVariant person;
        QString client;
        QVariant service; // the client's own
        bool express = false;
        RouteStop rs;
        QVariant quantity;
    };
    std::vector<Candidate> candidates;
    QSet<qint64> scheduled;
    {
        const BusyScope busy(m_progress);
        const int weekday = o.deliveryDate.dayOfWeek() - 1;
        int fPerson = -1, fClient = -1, fQuantity = -1, fSvcs = -1, fType = -1, fDayRoute = -1, fDayStop = -1, fDefRoute = -1,
            fDefStop = -1;
        streamRows(
            c,
            [&](const QVector<Field> &fields) {
                fPerson = indexOf(fields, "Person_ID");
                fClient = indexOf(fields, "Client_ID");
                fQuantity = indexOf(fields, "Quantity");
                fSvcs = indexOf(fields, "Svcs_Used");
                fType = indexOf(fields, "Delivery_Type");
                fDayRoute = indexOf(fields, kRouteFields[weekday]);
                fDayStop = indexOf(fields, kStopFields[weekday]);
                fDefRoute = indexOf(fields, "Def_Rte");
                fDefStop = indexOf(fields, "Def_Stop");
            },
            [&](const StreamRow &row) {
                Candidate k;
                k.person = row.value(fPerson);
                k.client = row.isNull(fClient) ? QString() : row.text(fClient).toString();
                k.service = row.value(fSvcs);
                k.express = !row.isNull(fType) && row.text(fType) == QLatin1String("E");
                k.rs = pickRoute(row.value(fDayRoute), row.value(fDayStop), row.value(fDefRoute), row.value(fDefStop));
                k.quantity = row.value(fQuantity);
                candidates.push_back(std::move(k));
            });
        if (!candidates.empty())
            scheduled = scheduledPeople(listId, o.deliveryDate);
    }
    const int n = int(candidates.size());
    Trace::value(QStringLiteral("QueryFulfillmentCandidates.RecordCount"), qint64(n));
    if (n < 1) {
        m_prompts.inform(shown(kContext, kNoCandidatesMessage));
        result.outcome = Outcome::NoCandidates;
        return result;
    }

    // Every question comes before the unit of work begins: no lock is held
    // while the user reads.
    int already = 0;
    for (const Candidate &k : candidates)
        already += scheduled.contains(k.person.toLongLong()) ? 1 : 0;
    bool skipScheduled = false;
    // Shown as every window shows a date: month/day/year, four-digit year.
    const QString rerunDate = QLocale().toString(o.deliveryDate, AcceptedDates::shortFormat());
    if (already > 0) {
        const Prompts::Answer a =
            m_prompts.askDefaultNo(Prompts::Kind::Confirmation, rerunQuestion(already, n, rerunDate),
                                   Prompts::Buttons::YesNoCancel);
        if (a != Prompts::Answer::Yes && a != Prompts::Answer::No) {
            result.outcome = Outcome::Declined;
            return result;
        }
        skipScheduled = a == Prompts::Answer::No;
    }
    const int toWrite = skipScheduled ? n - already : n;
    if (toWrite < 1) {
        // Members did match: say why none is scheduled.
        m_prompts.inform(shown(kContext, kAllScheduledMessage).arg(already).arg(rerunDate));
        result.outcome = Outcome::NoCandidates;
        result.skipped = already;
        return result;
    }
    if (m_prompts.ask(Prompts::Kind::Confirmation,
                      shown(kContext, kConfirmStart) + QString::number(toWrite) + shown(kContext, kConfirmEnd),
                      Prompts::Buttons::OkCancel)
        != Prompts::Answer::Ok) {
        result.outcome = Outcome::Declined;
        return result;
    }

    // The progress window is hidden again whatever happens below.
    auto progressEnd = qScopeGuard([this] { m_progress.end(); });
    m_progress.begin(shown(kContext, kProgressMessage), shown(kContext, kProgressCountPrefix) + QString::number(toWrite));

    Query &delivery = *m_dm.QueryCreateScheduledDelivery;
    Query &item = *m_dm.QueryCreateScheduledDeliveryItem;
    delivery.close();
    const bool withItem = o.itemsIndex == FulfilmentOptions::SelectedItem;
    const bool ownService = o.serviceIndex == FulfilmentOptions::ClientsOwnService;
    const QDate today = QDate::currentDate();
    const QString delDay = withItem ? deliveryDay(o.deliveryDate) : QString();

    // Every value that stays the same for the run is set once; the loop sets
    // only what differs per member.
    Param &pPerson = delivery.paramByName(QStringLiteral("Person_ID"));
    Param &pClient = delivery.paramByName(QStringLiteral("Client_ID"));
    Param &pSvcs = delivery.paramByName(QStringLiteral("Svcs_Used"));
    Param &pSchedule = delivery.paramByName(QStringLiteral("Schedule_Type"));
    Param &pRoute = delivery.paramByName(QStringLiteral("Route"));
    Param &pStop = delivery.paramByName(QStringLiteral("Stop"));
    Param &pLastUpdated = delivery.paramByName(QStringLiteral("Last_Updated"));
    Param &pCreatedBy = delivery.paramByName(QStringLiteral("Created_By"));
    delivery.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    delivery.paramByName(QStringLiteral("Deliv_Date")).setAsDate(o.deliveryDate);
    delivery.paramByName(QStringLiteral("Delivery_Type")).setAsString(QStringLiteral("D"));
    delivery.paramByName(QStringLiteral("Fulfilled")).setAsString(QString());
    delivery.paramByName(QStringLiteral("Create_Date")).setAsDate(today);

    Param *pItemPerson = nullptr, *pItemDeliv = nullptr, *pItemService = nullptr, *pItemQuantity = nullptr;
    if (withItem) {
        pItemPerson = &item.paramByName(QStringLiteral("Person_ID"));
        pItemDeliv = &item.paramByName(QStringLiteral("Deliv_ID"));
        pItemService = &item.paramByName(QStringLiteral("Service_ID"));
        pItemQuantity = &item.paramByName(QStringLiteral("Quantity"));
        item.paramByName(QStringLiteral("Del_Day")).setAsString(delDay);
        item.paramByName(QStringLiteral("Item_ID")).setAsInteger(*o.itemId);
        item.paramByName(QStringLiteral("Sort_Order")).setAsInteger(0);
    }

    Database &db = *m_dm.DatabaseLists;
    // The batches outlive the unit: after a failure PostgreSQL refuses to
    // drop their prepared statements until the rollback, and they would stay
    // on the server for the connection's life.
    std::optional<BatchInsert> batch;
    std::optional<BatchInsert> deliveries;
    UnitOfWork::run(db, [&] {
        // A cancel of the same list's pending deliveries waits for this run
        // to end, so none of its item rows can outlive its delivery.
        lockListRow(db, listId);
        m_progress.setPercent(0);
        if (skipScheduled) {
            // Read again under the lock: a run that ended meanwhile counts too.
            scheduled = scheduledPeople(listId, o.deliveryDate);
        }
        // Rows travel in batches where a row would cost a round trip: the
        // items, or the deliveries without; deliveries whose keys the items
        // name take them as they are added, and go before the items.
        batch.emplace(withItem ? item : delivery);
        if (withItem) {
            int rows = n;
            if (skipScheduled) {
                rows = 0;
                for (const Candidate &k : candidates)
                    rows += scheduled.contains(k.person.toLongLong()) ? 0 : 1;
            }
            deliveries.emplace(delivery);
            deliveries->expectRows(rows);
            batch->sendAfter(*deliveries);
        }
        int written = 0;
        int skipped = 0;
        int processed = 0;
        for (const Candidate &k : candidates) {
            const QVariant &person = k.person;
            if (skipScheduled && scheduled.contains(person.toLongLong())) {
                ++skipped;
            } else {
                const QVariant service = ownService ? k.service : QVariant(*o.serviceId);

                pPerson.setValue(person);
                pClient.setAsString(k.client);
                if (service.isValid() && !service.isNull())
                    pSvcs.setAsInteger(service.toInt());
                else
                    pSvcs.setAsString(QString());
                pSchedule.setAsString(k.express ? QStringLiteral("E") : QStringLiteral("S"));
                pRoute.setAsString(k.rs.route);
                pStop.setAsFloat(k.rs.stop);
                pLastUpdated.setAsDateTime(QDateTime::currentDateTime());
                pCreatedBy.setAsString(ListStamp::stamp(m_userName ? m_userName() : QString()));

                if (withItem) {
                    // The key comes back from the insert itself: a second run for the
                    // same date, or a client listed twice, still gets its own row.
                    const QVariant delivId = deliveries->addRowTakingKey(QStringLiteral("RecordID"));
                    (*pItemPerson).setValue(person);
                    (*pItemDeliv).setValue(delivId);
                    if (service.isValid() && !service.isNull())
                        (*pItemService).setAsInteger(service.toInt());
                    else
                        (*pItemService).setAsString(QString());
                    (*pItemQuantity).setAsInteger(itemQuantity(k.quantity, o.quantity));
                }
                batch->addRow();
                ++written;
            }
            ++processed;
            Trace::value(QStringLiteral("Members processed"), qint64(processed));
            // May throw kv::Cancelled: the unit then rolls everything back.
            m_progress.setPercent(percentOf(processed, n));
        }

        batch->flush();
        HistoryNoteWriter note(db, m_userName);
        note.write(HistoryNoteWriter::fulfilled(o.listName, written, QLocale::system().toString(o.deliveryDate, QLocale::ShortFormat)));
        result.deliveries = written;
        result.skipped = skipped;
    });
    result.outcome = Outcome::Fulfilled;
    return result;
}

void ListFulfilment::finish()
{
    m_dm.QueryListLookup->close();
    m_candidates->close();
}

} // namespace kv
