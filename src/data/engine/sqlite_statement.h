#pragma once

// A statement run through SQLite's own interface, for the loops that run one
// statement row after row or read a large result: Qt SQL's binding by name
// and its values cost more there than the statement itself.

#include <QString>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace kv {

class Param;
class Query;

// The query's statement prepared once; its parameters are the query's own,
// found by name once and bound by position on every run, each value in the
// form the engine writes it (SqlBackend::bindable) without a temporary text.
class SqliteStatement
{
public:
    // text: the statement as SQLite receives it. Throws DbError, naming what
    // (and the query) as the step that failed.
    SqliteStatement(sqlite3 *handle, Query &query, const QString &text, const char *what);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // Binds the values the query's parameters hold now.
    void bind();
    // One step: true for a row, false when the statement is done. The
    // statement is reset when it is done or failed (what names the failed step).
    bool step(const char *what = "Executing");
    // Runs a statement without a result once, with the values bound now.
    void run();
    sqlite3_stmt *get() const { return m_stmt; }
    sqlite3 *handle() const { return m_handle; }
    const QString &text() const { return m_text; }

private:
    void bindAt(int position, const Param &p);
    void bindUtf8(int position, const QString &text);
    [[noreturn]] void fail(const char *what) const;

    sqlite3 *m_handle;
    sqlite3_stmt *m_stmt = nullptr;
    const Query &m_query;
    QString m_text;
    std::vector<const Param *> m_params; // by position - 1; null where the query has none of that name
    std::vector<std::string> m_texts; // by position - 1: a bound text lives here until bound again
};

} // namespace kv
