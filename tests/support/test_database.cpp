#include "support/test_database.h"

#include "data/engine/db_error.h"
#include "data/engine/write_guard.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

PgTarget PgTarget::fromEnvironment()
{
    PgTarget t;
    if (qEnvironmentVariableIsSet("KESTROVAN_PG_HOST"))
        t.host = qEnvironmentVariable("KESTROVAN_PG_HOST");
    if (qEnvironmentVariableIsSet("KESTROVAN_PG_PORT"))
        t.port = qEnvironmentVariable("KESTROVAN_PG_PORT").toInt();
    return t;
}

bool PgTarget::available()
{
    static int cached = -1;
    if (cached < 0) {
        const PgTarget t = fromEnvironment();
        const QString name = QStringLiteral("pg-probe");
        bool ok = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(t.host);
            db.setPort(t.port);
            db.setDatabaseName(t.database);
            db.setUserName(t.user);
            db.setPassword(t.password);
            db.setConnectOptions(QStringLiteral("connect_timeout=3"));
            ok = db.open();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        cached = ok ? 1 : 0;
    }
    return cached == 1;
}

std::unique_ptr<kv::Database> TestDatabase::secondConnection()
{
    auto db = std::make_unique<kv::Database>(QStringLiteral("Brenquistal"));
    db->setSession(m_session.get());
    db->setDirectory(directory());
    db->setSchema(schema());
    db->connect();
    return db;
}

TestDatabase::TestDatabase(kv::Backend backend, bool createSchema)
    : m_backend(backend)
{
    m_session = std::make_unique<kv::Session>(QStringLiteral("TestSession"));
    m_db = std::make_unique<kv::Database>(QStringLiteral("Brenquistal"));
    m_db->setSession(m_session.get());
    if (backend == kv::Backend::SQLite) {
        m_db->setDirectory(m_dir.path());
        m_db->setCreateIfMissing(true);
    } else {
        const PgTarget t = PgTarget::fromEnvironment();
        m_session->setSessionType(kv::SessionType::Remote);
        m_session->setRemoteAddress(t.host);
        m_session->setRemotePort(t.port);
        m_session->setRemoteUser(t.user);
        m_session->setRemotePassword(t.password);
        m_schema = QStringLiteral("t_%1_%2").arg(QCoreApplication::applicationPid()).arg(QRandomGenerator::global()->generate() % 1000000);
        // Make the schema through a short-lived connection of our own.
        {
            kv::Database setup(QStringLiteral("SchemaSetup"));
            setup.setRemoteDatabase(t.database);
            setup.setSession(m_session.get());
            setup.connect();
            setup.execute(QStringLiteral("CREATE SCHEMA %1").arg(m_schema));
        }
        m_db->setSchema(m_schema);
    }
    m_db->connect();
    if (createSchema)
        kv::Schema::createAll(*m_db);
}

TestDatabase::~TestDatabase()
{
    m_db->disconnect();
    if (m_backend == kv::Backend::PostgreSQL && !m_schema.isEmpty()) {
        try {
            kv::Database cleanup(QStringLiteral("SchemaCleanup"));
            cleanup.setRemoteDatabase(PgTarget::fromEnvironment().database);
            cleanup.setSession(m_session.get());
            cleanup.connect();
            cleanup.execute(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(m_schema));
        } catch (...) {
        }
    }
}

QVariant TestDatabase::exec(const QString &sql, const QVariantMap &params)
{
    // Fixtures seed and change their data on purpose, outside any unit of work.
    const kv::WriteGuard::Exempt fixture;
    kv::Query q(m_db.get(), QStringLiteral("TestExec"));
    q.setSql(sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        q.paramByName(it.key()).setValue(it.value());
    const QString kind = kv::SqlDialect::statementKind(sql);
    if (kind == QLatin1String("SELECT")) {
        q.open();
        return q.isEmpty() || q.fieldCount() == 0 ? QVariant() : q.value(0);
    }
    q.execSql();
    return QVariant();
}

qint64 TestDatabase::count(const QString &table, const QString &where, const QVariantMap &params)
{
    const QString sql = QStringLiteral("Select count(*) from %1%2").arg(table, where.isEmpty() ? QString() : QStringLiteral(" where ") + where);
    return exec(sql, params).toLongLong();
}

QList<QVariantMap> TestDatabase::rows(const QString &sql, const QVariantMap &params)
{
    kv::Query q(m_db.get(), QStringLiteral("TestRows"));
    q.setSql(sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        q.paramByName(it.key()).setValue(it.value());
    q.open();
    QList<QVariantMap> out;
    for (q.first(); !q.eof(); q.next()) {
        QVariantMap m;
        for (int i = 0; i < q.fieldCount(); ++i)
            m.insert(q.fields()[i].name.toLower(), q.value(i));
        out << m;
    }
    return out;
}

int TestDatabase::insert(const QString &table, const QVariantMap &values, const QString &keyColumn)
{
    const kv::WriteGuard::Exempt fixture;
    QStringList cols, vals;
    for (auto it = values.begin(); it != values.end(); ++it) {
        cols << it.key();
        vals << QLatin1Char(':') + it.key();
    }
    kv::Query q(m_db.get(), QStringLiteral("TestInsert"));
    q.setSql(QStringLiteral("Insert into %1 (%2) values (%3)").arg(table, cols.join(QStringLiteral(", ")), vals.join(QStringLiteral(", "))));
    for (auto it = values.begin(); it != values.end(); ++it)
        q.paramByName(it.key()).setValue(it.value());
    if (keyColumn.isEmpty()) {
        q.execSql();
        return 0;
    }
    return q.execInsertReturningId(keyColumn).toInt();
}

int TestDatabase::addList(const QString &name, const QVariantMap &values)
{
    QVariantMap v{{QStringLiteral("List_Name"), name},
                  {QStringLiteral("Reason"), QStringLiteral("LST")},
                  {QStringLiteral("Add_Mode"), QStringLiteral("A")},
                  {QStringLiteral("Active_Only"), QStringLiteral("Y")},
                  {QStringLiteral("Checkbox_Setting"), QStringLiteral("I")},
                  {QStringLiteral("Service_Method"), QStringLiteral("C")},
                  {QStringLiteral("Item_Method"), QStringLiteral("S")},
                  {QStringLiteral("Create_Date"), QDate::currentDate()}};
    for (auto it = values.begin(); it != values.end(); ++it)
        v.insert(it.key(), it.value());
    return insert(QStringLiteral("Lists"), v, QStringLiteral("Record_ID"));
}

int TestDatabase::addClient(int personId, const QVariantMap &values)
{
    QVariantMap v{{QStringLiteral("Person_ID"), personId},
                  {QStringLiteral("Client_ID"), QStringLiteral("C%1").arg(personId, 5, 10, QLatin1Char('0'))},
                  {QStringLiteral("First_Name"), QStringLiteral("First%1").arg(personId)},
                  {QStringLiteral("Last_Name"), QStringLiteral("Last%1").arg(personId)},
                  {QStringLiteral("Status"), QStringLiteral("A")},
                  {QStringLiteral("Delivery_Type"), QStringLiteral("O")},
                  {QStringLiteral("Def_Rte"), QStringLiteral("R1")},
                  {QStringLiteral("Def_Stop"), 1.0}};
    for (auto it = values.begin(); it != values.end(); ++it)
        v.insert(it.key(), it.value());
    insert(QStringLiteral("Clients"), v);
    return personId;
}

int TestDatabase::addMember(int listId, int personId, const QVariantMap &values)
{
    QVariantMap v{{QStringLiteral("List_ID"), listId},
                  {QStringLiteral("Person_ID"), personId},
                  {QStringLiteral("Client_ID"), QStringLiteral("C%1").arg(personId, 5, 10, QLatin1Char('0'))},
                  {QStringLiteral("RecVisible"), true},
                  {QStringLiteral("Create_Date"), QDate::currentDate()}};
    for (auto it = values.begin(); it != values.end(); ++it)
        v.insert(it.key(), it.value());
    return insert(QStringLiteral("List_Members"), v, QStringLiteral("Record_ID"));
}

TDataModuleLists::Overrides TestDatabase::overrides() const
{
    TDataModuleLists::Overrides o;
    if (m_backend == kv::Backend::SQLite) {
        o.mode = QStringLiteral("F");
        o.alias = m_dir.path();
    } else {
        const PgTarget t = PgTarget::fromEnvironment();
        o.mode = QStringLiteral("C");
        o.alias = m_dir.path();
        o.serverIp = t.host;
        o.serverPort = t.port;
        o.connection = QStringLiteral("LAN");
        o.pgSchema = m_schema;
    }
    return o;
}

SettingsSandbox::SettingsSandbox()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    m_hadAppData = qEnvironmentVariableIsSet("AppData");
    m_oldAppData = qgetenv("AppData");
    qputenv("AppData", QFile::encodeName(m_appData.path()));
}

SettingsSandbox::~SettingsSandbox()
{
    if (m_hadAppData)
        qputenv("AppData", m_oldAppData);
    else
        qunsetenv("AppData");
}

void SettingsSandbox::setRegistry(const QString &key, const QString &value, const QString &valueName)
{
    setRawRegistry(key, valueName, value);
}

void SettingsSandbox::setRawRegistry(const QString &key, const QString &valueName, const QVariant &value)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("DBIsam"));
    s.beginGroup(key);
    s.setValue(valueName, value);
    s.endGroup();
    s.sync();
}
