#pragma once

#include "data/engine/database.h"
#include "data/engine/query.h"
#include "data/engine/session.h"
#include "data/prompts.h"

#include <QObject>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

// The one data module of the process: the lists session and database (the
// host's data), the local temporary session and database, the registry
// settings read at connect, and the standing queries every window uses.
class TDataModuleLists : public QObject
{
    Q_OBJECT
public:
    // Connection settings that replace the registry's for one run (the
    // command-line tool's --data and --server) and the PostgreSQL schema a
    // test works in. Empty optionals read the registry.
    struct Overrides
    {
        std::optional<QString> mode;
        std::optional<QString> alias;
        std::optional<QString> serverIp;
        std::optional<QString> connection;
        std::optional<int> serverPort;
        QString pgSchema;
    };

    static const QString kNotDefinedMessage;
    static const QString kInvalidLocationStart;
    static const QString kInvalidLocationEnd;
    static QString invalidLocationMessage(const QString &directory);

    static const QString kRemoteUser; // the fixed remote user name and password
    static const QStringList kListsSql;
    static const QString kListRowName; // how a conflict names a Lists row: "the list \"%1\""
    static const QString kServicesSql;
    static const QString kItemsSql;
    static const QString kClientLookupSql;
    static const QString kListIdFromNameSql;
    static const QStringList kListMembersSql;
    static const QStringList kCreateScheduledDeliverySql;
    static const QString kGetDeliveryIdSql;
    static const QStringList kCreateScheduledDeliveryItemSql;

    // requestShutdown ends the host application in order; it is called after
    // a data-location error has been shown, and nothing of ours runs after it.
    TDataModuleLists(kv::Prompts &prompts, std::function<void()> requestShutdown, QObject *parent = nullptr,
                     Overrides overrides = {});
    ~TDataModuleLists() override;

    // Connects both databases and opens the standing queries. Throws kv::DbError
    // when the engine cannot connect and kv::ApplicationEnding after a
    // data-location error. readAfter: what the caller reads again right
    // after (a window's first showing), sent ahead with the standing queries
    // so that a server far away answers all of them in one round trip; the
    // caller drops what it does not take (Database::dropReadAhead).
    void DataModuleCreate(const QList<kv::Query *> &readAfter = {});
    // The connecting part of DataModuleCreate without opening the standing
    // queries, for callers that open only what they read (the command line).
    // firstReads: the queries the caller opens next, sent with the
    // connection's catalogue query to a server far away (one round trip).
    void connectDatabases(const QList<kv::Query *> &firstReads = {});

    kv::Prompts &prompts() const { return m_prompts; }

    QString cMode;
    QString cAppDataFolder;

    kv::Session *SessionLists;
    kv::Session *SessionTempLists;
    kv::Database *DatabaseLists;
    kv::Database *DatabaseTempLists;

    kv::Query *QueryLists;
    kv::Query *QueryServices;
    kv::Query *QueryListLookup;
    kv::Query *QueryClientLookUp;
    kv::Query *QueryItems;
    kv::Query *QueryGetListIDFromListName;
    kv::Query *QueryListMembers;
    kv::Query *QueryCreateScheduledDelivery;
    kv::Query *QueryGetDeliveryID;
    kv::Query *QueryCreateScheduledDeliveryItem;

    // The folder the report templates live in: the lists database's directory.
    QString dataDirectory() const { return DatabaseLists->directory(); }

private:
    void SessionListsStartup(kv::Session &session);
    void DatabaseListsBeforeConnect(kv::Database &db);
    void SessionTempListsStartup(kv::Session &session);
    void DatabaseTempListsBeforeConnect(kv::Database &db);
    [[noreturn]] void endApplication(const QString &message);
    QString readSetting(const QString &key, const std::optional<QString> &override) const;
    QString readAlias(const QString &valueName) const;

    kv::Prompts &m_prompts;
    std::function<void()> m_requestShutdown;
    Overrides m_overrides;
    // The local temporary database's folder: made for this process alone, so
    // nothing planted under a fixed name in the shared temporary folder is opened.
    std::unique_ptr<QTemporaryDir> m_tempDir;
};

// The process-wide reference: empty until the first successful creation.
extern TDataModuleLists *DataModuleLists;
