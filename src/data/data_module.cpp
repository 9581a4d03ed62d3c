#include "data/data_module.h"

#include "data/engine/db_error.h"
#include "data/private_temp_folder.h"
#include "data/record_rules.h"
#include "data/registry.h"
#include "data/schema.h"
#include "data/trace.h"
#include "data/translate.h"

#include <QDir>
#include <QFileInfo>

using namespace kv;

TDataModuleLists *DataModuleLists = nullptr;

const QString TDataModuleLists::kNotDefinedMessage = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "TDataModuleLists",
    "The Brenquistal database has not been defined. The application can not continue. Brenquistal will now terminate..."));
const QString TDataModuleLists::kInvalidLocationStart =
    QString::fromUtf8(QT_TRANSLATE_NOOP("TDataModuleLists", "The Brenquistal database:"));
const QString TDataModuleLists::kInvalidLocationEnd =
    QString::fromUtf8(QT_TRANSLATE_NOOP("TDataModuleLists", "does not appear to be valid. Brenquistal will now terminate..."));
const QString TDataModuleLists::kRemoteUser = QStringLiteral("quarlend");
namespace {
const QString kNoServerIpMessage = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "TDataModuleLists",
    "The \"Server IP\" setting is empty: client-server mode needs the address of the database server. "
    "Nothing was opened."));
} // namespace

const QString TDataModuleLists::kListRowName = QString::fromUtf8(QT_TRANSLATE_NOOP("TDataModuleLists", "the list \"%1\""));
const QStringList TDataModuleLists::kListsSql = {QStringLiteral("Select * from Lists "), QStringLiteral("where Reason='LST'"),
                                                 QStringLiteral("order by List_Name")};
const QString TDataModuleLists::kServicesSql = QStringLiteral(
    "Select Service_Desc, Service_ID from Services where Service_Type = 'D' order by Service_Desc nocase");
const QString TDataModuleLists::kItemsSql = QStringLiteral("Select Item_ID, Meal_Item from Items order by Meal_Item nocase");
const QString TDataModuleLists::kClientLookupSql = QStringLiteral(
    "Select Person_ID, Client_ID, Last_Name+', '+First_Name as Last_First, Address1, City, State, ZIP, Phone, Status from "
    "Clients Order by Last_First NoCase");
const QString TDataModuleLists::kListIdFromNameSql = QStringLiteral("Select Record_ID from Lists where List_Name = :List_Name");
const QStringList TDataModuleLists::kListMembersSql = {
    QStringLiteral("Select "),
    QStringLiteral("Lists.List_Name, List_Members.Record_ID, List_Members.Person_ID, List_Members.Client_ID, "
                   "List_Members.RecVisible, List_Members.Invited, List_Members.Confirmed, List_Members.Quantity, "
                   "List_Members.Last_Update, "),
    QStringLiteral("Clients.First_Name, Clients.Last_Name, Clients.Address1, Clients.City, Clients.Svcs_Used, Clients.Status, "
                   "Clients.Start_Dte, Clients.Stop_Dte, Clients.Delivery_Type, Clients.Dependent, Households.Household_Name, "
                   "Clients.Def_Rte, "),
    QStringLiteral("Clients.Monday, Clients.Tuesday, Clients.Wednesday, Clients.Thursday, Clients.Friday, Clients.Saturday, "
                   "Clients.Sunday, Clients.Add_Dte,"),
    QStringLiteral("Services.Service_Desc"),
    QStringLiteral("from List_Members join Clients on List_Members.Person_ID = Clients.Person_ID"),
    QStringLiteral("left join Households on Clients.Household_ID = Households.Household_ID"),
    QStringLiteral("left join Services on Clients.Svcs_Used = Services.Service_ID"),
    QStringLiteral("join Lists on List_Members.List_ID = Lists.Record_ID"),
    QStringLiteral("Where List_Members.List_ID = :List_ID")};
const QStringList TDataModuleLists::kCreateScheduledDeliverySql = {
    QStringLiteral("Insert into EpisodicDeliveries "),
    QStringLiteral("(Person_ID, Client_ID, List_ID, Deliv_Date, Svcs_Used, Delivery_Type, Schedule_Type, Route, Stop, Fulfilled, "
                   "Create_Date, Last_Updated, Created_By)"),
    QStringLiteral("values"),
    QStringLiteral("( :Person_ID, :Client_ID, :List_ID, :Deliv_Date, :Svcs_Used, :Delivery_Type, :Schedule_Type, :Route, :Stop, "
                   ":Fulfilled, :Create_Date, :Last_Updated, :Created_By )")};
const QString TDataModuleLists::kGetDeliveryIdSql = QStringLiteral(
    "Select RecordID from EpisodicDeliveries where List_ID = :List_ID and Person_ID = :Person_ID and Deliv_Date = :Deliv_Date");
const QStringList TDataModuleLists::kCreateScheduledDeliveryItemSql = {
    QStringLiteral("Insert into DefDels "), QStringLiteral("(Person_ID, Deliv_ID, Del_Day, Service_ID, Quantity, Item_ID, Sort_Order)"),
    QStringLiteral("values"), QStringLiteral("(:Person_ID, :Deliv_ID, :Del_Day, :Service_ID, :Quantity, :Item_ID, :Sort_Order)")};

QString TDataModuleLists::invalidLocationMessage(const QString &directory)
{
    return shown("TDataModuleLists", kInvalidLocationStart) + QStringLiteral("\r\n") + directory + QStringLiteral("\r\n")
        + shown("TDataModuleLists", kInvalidLocationEnd);
}

TDataModuleLists::TDataModuleLists(Prompts &prompts, std::function<void()> requestShutdown, QObject *parent, Overrides overrides)
    : QObject(parent)
    , m_prompts(prompts)
    , m_requestShutdown(std::move(requestShutdown))
    , m_overrides(std::move(overrides))
{
    setObjectName(QStringLiteral("DataModuleLists"));
    SessionLists = new Session(QStringLiteral("SessionLists"), this);
    SessionLists->setLockProtocol(LockProtocol::Pessimistic);
    SessionLists->setLockRetryCount(15);
    SessionLists->setLockWaitTime(100);
    SessionLists->setProgressSteps(20);
    SessionLists->setRemotePort(m_overrides.serverPort.value_or(12005));
    SessionLists->setRemoteAddress(QStringLiteral("127.0.0.1"));
    SessionLists->setRemoteTrace(false);
    SessionLists->setStartupHandler([this](Session &s) { SessionListsStartup(s); });

    SessionTempLists = new Session(QStringLiteral("SessionTempLists"), this);
    SessionTempLists->setLockProtocol(LockProtocol::Optimistic);
    SessionTempLists->setLockRetryCount(15);
    SessionTempLists->setLockWaitTime(100);
    SessionTempLists->setProgressSteps(20);
    SessionTempLists->setSessionType(SessionType::Local);
    SessionTempLists->setStartupHandler([this](Session &s) { SessionTempListsStartup(s); });

    DatabaseLists = new Database(QStringLiteral("Brenquistal"), this);
    DatabaseLists->setSession(SessionLists);
    DatabaseLists->setRequiredTables(Schema::requiredHostTables());
    DatabaseLists->setSchema(m_overrides.pgSchema);
    DatabaseLists->setBeforeConnectHandler([this](Database &db) { DatabaseListsBeforeConnect(db); });
    DatabaseLists->setNoticeHandler([this](const QString &text) { m_prompts.warn(text); });

    DatabaseTempLists = new Database(QStringLiteral("TempLocal"), this);
    DatabaseTempLists->setSession(SessionTempLists);
    DatabaseTempLists->setCreateIfMissing(true);
    DatabaseTempLists->setBeforeConnectHandler([this](Database &db) { DatabaseTempListsBeforeConnect(db); });

    auto makeQuery = [this](const QString &name, const QStringList &sql, bool live) {
        auto *q = new Query(DatabaseLists, name, this);
        q->setSql(sql);
        q->setRequestLive(live);
        return q;
    };
    QueryLists = makeQuery(QStringLiteral("QueryLists"), kListsSql, true);
    QueryLists->setKeyField(QStringLiteral("Record_ID"));
    QueryLists->setRowName(shown("TDataModuleLists", kListRowName), {QStringLiteral("List_Name")});
    ListRecordRules::attachToListsQuery(*QueryLists);
    QueryServices = makeQuery(QStringLiteral("QueryServices"), {kServicesSql}, true);
    QueryListLookup = makeQuery(QStringLiteral("QueryListLookup"), kListsSql, false);
    QueryClientLookUp = makeQuery(QStringLiteral("QueryClientLookUp"), {kClientLookupSql}, false);
    QueryItems = makeQuery(QStringLiteral("QueryItems"), {kItemsSql}, true);
    QueryGetListIDFromListName = makeQuery(QStringLiteral("QueryGetListIDFromListName"), {kListIdFromNameSql}, true);
    QueryListMembers = makeQuery(QStringLiteral("QueryListMembers"), kListMembersSql, true);
    QueryListMembers->setKeyField(QStringLiteral("Record_ID"));
    QueryCreateScheduledDelivery = makeQuery(QStringLiteral("QueryCreateScheduledDelivery"), kCreateScheduledDeliverySql, false);
    QueryGetDeliveryID = makeQuery(QStringLiteral("QueryGetDeliveryID"), {kGetDeliveryIdSql}, false);
    QueryCreateScheduledDeliveryItem =
        makeQuery(QStringLiteral("QueryCreateScheduledDeliveryItem"), kCreateScheduledDeliveryItemSql, false);
}

TDataModuleLists::~TDataModuleLists()
{
    TraceScope trace(QStringLiteral("TDataModuleLists.DataModuleDestroy"));
    for (Query *q : {QueryLists, QueryServices, QueryListLookup, QueryClientLookUp, QueryItems})
        q->close();
    if (DataModuleLists == this)
        DataModuleLists = nullptr;
    // Statements go before the connections they run on.
    qDeleteAll(findChildren<Query *>(QString(), Qt::FindDirectChildrenOnly));
    DatabaseTempLists->disconnect();
    DatabaseLists->disconnect();
}

QString TDataModuleLists::readSetting(const QString &key, const std::optional<QString> &override) const
{
    if (override)
        return *override;
    return GetRegString(key, QString::fromLatin1(Registry::AppValue));
}

QString TDataModuleLists::readAlias(const QString &valueName) const
{
    if (m_overrides.alias)
        return valueName == QLatin1String("Brenquistal") ? *m_overrides.alias : QString();
    return DBIsamAlias(valueName);
}

void TDataModuleLists::SessionListsStartup(Session &session)
{
    TraceScope trace(QStringLiteral("TDataModuleLists.SessionListsStartup"));
    // The whole path, however long: a cut one names another folder. With no
    // temporary folder at all it stays empty, and making the private folder
    // below says so.
    const QStringList bases = PrivateTempFolder::bases();
    QString temp = bases.isEmpty() ? QString() : QDir::toNativeSeparators(bases.first());
    if (!temp.isEmpty() && !temp.endsWith(QDir::separator()))
        temp += QDir::separator();
    session.setPrivateDir(temp);
    cMode = readSetting(QStringLiteral("Mode"), m_overrides.mode);
    Trace::value(QStringLiteral("cMode"), cMode);
    if (cMode != QLatin1String("C")) {
        Trace::message(QStringLiteral("Mode is File Server"));
        session.setSessionType(SessionType::Local);
        return;
    }
    Trace::message(QStringLiteral("Mode is Client Server"));
    session.setSessionType(SessionType::Remote);
    session.setRemoteAddress(readSetting(QStringLiteral("Server IP"), m_overrides.serverIp));
    const QString connection = readSetting(QStringLiteral("Connection"), m_overrides.connection);
    session.setRemoteType(connection == QLatin1String("Internet") ? RemoteType::Internet : RemoteType::Lan);
    session.setRemoteUser(kRemoteUser);
    session.setRemotePassword(kRemoteUser);
}

void TDataModuleLists::endApplication(const QString &message)
{
    m_prompts.error(message);
    if (m_requestShutdown)
        m_requestShutdown();
    throw ApplicationEnding(message);
}

void TDataModuleLists::DatabaseListsBeforeConnect(Database &db)
{
    TraceScope trace(QStringLiteral("TDataModuleLists.DatabaseListsBeforeConnect"));
    cMode = readSetting(QStringLiteral("Mode"), m_overrides.mode);
    try {
        if (cMode != QLatin1String("C")) {
            QString dir = readAlias(QStringLiteral("Brenquistal"));
            if (dir.isEmpty())
                dir = readAlias(QStringLiteral("Bren Quistal"));
            db.setDirectory(dir);
            if (dir.isEmpty())
                endApplication(shown("TDataModuleLists", kNotDefinedMessage));
            if (!QFileInfo(dir).isDir())
                endApplication(invalidLocationMessage(dir));
        } else {
            db.setRemoteDatabase(QStringLiteral("Brenquistal"));
            QString dir = m_overrides.alias ? *m_overrides.alias
                                            : GetRegString(QString::fromLatin1(Registry::AliasKey), QStringLiteral("Brenquistal"));
            if (dir.isEmpty() && !m_overrides.alias)
                dir = GetRegString(QString::fromLatin1(Registry::AliasKey), QStringLiteral("Bren Quistal"));
            db.setDirectory(dir);
            if (dir.isEmpty())
                endApplication(shown("TDataModuleLists", kNotDefinedMessage));
        }
    } catch (const ApplicationEnding &) {
        throw;
    } catch (const Error &e) {
        // Decides: a registry value that cannot be read is shown, and the connection goes ahead.
        m_prompts.error(e.text());
    }
    Trace::value(QStringLiteral("DatabaseLists.Directory"), db.directory());
    // An empty host makes the driver try a local socket: some server, not the one meant.
    if (cMode == QLatin1String("C") && db.session()->remoteAddress().trimmed().isEmpty())
        throw DbError(shown("TDataModuleLists", "Connecting to the Brenquistal database server"),
                      shown("TDataModuleLists", kNoServerIpMessage));
}

void TDataModuleLists::SessionTempListsStartup(Session &session)
{
    session.setPrivateDir(SessionLists->privateDir());
}

void TDataModuleLists::DatabaseTempListsBeforeConnect(Database &db)
{
    if (!m_tempDir) {
        QStringList bases = PrivateTempFolder::bases();
        const QString session = QDir::fromNativeSeparators(DatabaseLists->session()->privateDir());
        if (!session.isEmpty())
            bases.prepend(QDir::cleanPath(session));
        bases.removeDuplicates();
        try {
            m_tempDir = PrivateTempFolder::make(bases);
        } catch (const DbError &) {
            throw;
        } catch (const Error &e) {
            // Decides: a folder that cannot be made fails this database's connection.
            throw DbError(shown("TDataModuleLists", "Making a private folder for the %1 database").arg(db.databaseName()), e.text());
        }
    }
    db.setDirectory(m_tempDir->path());
}

void TDataModuleLists::DataModuleCreate(const QList<Query *> &readAfter)
{
    TraceScope trace(QStringLiteral("TDataModuleLists.DataModuleCreate"));
    const QList<Query *> standing = {QueryLists, QueryServices, QueryListLookup, QueryClientLookUp, QueryItems};
    connectDatabases(standing + readAfter);
    try {
        for (Query *q : standing)
            q->open();
    } catch (const Error &e) {
        // Decides: the data module is still created, the remaining queries closed.
        DatabaseLists->dropReadAhead();
        m_prompts.error(e.text());
    }
    if (readAfter.isEmpty())
        DatabaseLists->dropReadAhead();
}

void TDataModuleLists::connectDatabases(const QList<Query *> &firstReads)
{
    DatabaseLists->connect(firstReads);
    Schema::ensurePluginTables(*DatabaseLists);
    DatabaseTempLists->connect();
}
