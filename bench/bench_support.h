#pragma once

#include "data/engine/database.h"
#include "data/prompts.h"
#include "data/engine/session.h"
#include "data/schema.h"

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

// Goes ahead at every question, as a user who answers OK (or Yes) to all
// would, and shows nothing.
class QuietPrompts : public kv::Prompts
{
public:
    Answer ask(Kind, const QString &, Buttons b) override
    {
        return b == Buttons::Ok || b == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
    void show(Kind, const QString &) override {}
};

// A fresh SQLite database with every table, opened through our engine.
struct BenchDatabase
{
    QTemporaryDir dir;
    std::unique_ptr<kv::Session> session = std::make_unique<kv::Session>(QStringLiteral("BenchSession"));
    std::unique_ptr<kv::Database> db = std::make_unique<kv::Database>(QStringLiteral("Brenquistal"));

    BenchDatabase()
    {
        db->setSession(session.get());
        db->setDirectory(dir.path());
        db->setCreateIfMissing(true);
        db->connect();
        kv::Schema::createAll(*db);
    }
    QString path() const { return db->filePath(); }
};

// The same file through SQLite's C API, in the same journal mode as the engine.
struct RawSqlite
{
    sqlite3 *h = nullptr;
    explicit RawSqlite(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path.toStdString());
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=NORMAL");
        sqlite3_busy_timeout(h, 1500);
    }
    ~RawSqlite() { sqlite3_close(h); }
    void exec(const char *sql)
    {
        char *err = nullptr;
        if (sqlite3_exec(h, sql, nullptr, nullptr, &err) != SQLITE_OK) {
            std::string e = err ? err : "error";
            sqlite3_free(err);
            throw std::runtime_error(e);
        }
    }
    sqlite3_stmt *prepare(const char *sql)
    {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(h, sql, -1, &s, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(h));
        return s;
    }
};
