#pragma once

#include "data/data_module.h"
#include "data/engine/database.h"
#include "data/engine/query.h"
#include "data/engine/session.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// Where the test PostgreSQL server listens (the test command starts one).
struct PgTarget
{
    QString host = QStringLiteral("127.0.0.1");
    int port = 12005;
    QString database = QStringLiteral("Brenquistal");
    QString user = QStringLiteral("quarlend");
    QString password = QStringLiteral("quarlend");
    static PgTarget fromEnvironment();
    static bool available();
    static bool required() { return qEnvironmentVariable("KESTROVAN_REQUIRE_PG") == QLatin1String("1"); }
};

// Skips a PostgreSQL case when no server is there, and fails it instead when
// the run requires one.
#define KV_REQUIRE_BACKEND(backend)                                                                 \
    do {                                                                                            \
        if ((backend) == kv::Backend::PostgreSQL && !PgTarget::available()) {                       \
            if (PgTarget::required())                                                               \
                FAIL() << "KESTROVAN_REQUIRE_PG=1 but no PostgreSQL server answers";                \
            GTEST_SKIP() << "no PostgreSQL server configured";                                      \
        }                                                                                           \
    } while (0)

// A database of its own for one test: a fresh SQLite file in a temporary
// folder, or a fresh schema on the test PostgreSQL server; every table exists.
class TestDatabase
{
public:
    explicit TestDatabase(kv::Backend backend, bool createSchema = true);
    ~TestDatabase();

    kv::Backend backend() const { return m_backend; }
    kv::Session &session() { return *m_session; }
    kv::Database &db() { return *m_db; }
    QString directory() const { return m_dir.path(); }
    QString schema() const { return m_schema; }

    // Runs a statement with named values; returns the first column of the
    // first row for a query (or an invalid value).
    QVariant exec(const QString &sql, const QVariantMap &params = {});
    qint64 count(const QString &table, const QString &where = QString(), const QVariantMap &params = {});
    // Rows of a query as maps keyed by lower-case column name.
    QList<QVariantMap> rows(const QString &sql, const QVariantMap &params = {});

    // Insert helpers for fixtures; each answers the new key.
    int addList(const QString &name, const QVariantMap &values = {});
    int addClient(int personId, const QVariantMap &values = {});
    int addMember(int listId, int personId, const QVariantMap &values = {});
    int insert(const QString &table, const QVariantMap &values, const QString &keyColumn = QString());

    // A second workstation on the same data: its own connection, same session.
    std::unique_ptr<kv::Database> secondConnection();

    // Overrides for a data module that should connect to this database.
    TDataModuleLists::Overrides overrides() const;

private:
    kv::Backend m_backend;
    QTemporaryDir m_dir;
    QString m_schema;
    std::unique_ptr<kv::Session> m_session;
    std::unique_ptr<kv::Database> m_db;
};

// Points the registry (QSettings of "DBIsam") and the "AppData" variable at
// private folders for the life of the object.
class SettingsSandbox
{
public:
    SettingsSandbox();
    ~SettingsSandbox();
    QString configDir() const { return m_config.path(); }
    QString appDataDir() const { return m_appData.path(); }
    void setRegistry(const QString &key, const QString &value, const QString &valueName = QStringLiteral("Brenquistal"));
    void setRawRegistry(const QString &key, const QString &valueName, const QVariant &value);

private:
    QTemporaryDir m_config;
    QTemporaryDir m_appData;
    QByteArray m_oldAppData;
    bool m_hadAppData;
};
