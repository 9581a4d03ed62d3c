#pragma once

#include <QString>
#include <functional>

namespace kv {

class Database;

// A check for the test suites and for debugging: every INSERT, UPDATE or
// DELETE the engine sends must run inside a UnitOfWork, so that no window
// writes behind the user's back and every write can be rolled back. Off
// unless a handler is installed (the test main installs one; the variable
// KESTROVAN_CHECK_WRITES=1 makes any program abort on the first offence);
// switched off, a write costs one test of a pointer.
class WriteGuard
{
public:
    using Handler = std::function<void(const QString &database, const QString &statement)>;

    // Called with the database's name and the statement's text for each write
    // outside a unit of work; an empty handler switches the check off.
    static void setHandler(Handler handler);
    static bool isOn();

    // Called by the engine before it sends a statement: a write (by the
    // statement's first word) outside a unit of work is reported.
    static void checkStatement(const Database &db, const QString &statement);
    // The same for a statement the engine knows to write (a post, a batch).
    static void checkWrite(const Database &db, const QString &statement);

    // Test fixtures seed and inspect their data outside any unit on purpose.
    class Exempt
    {
    public:
        Exempt();
        ~Exempt();
        Exempt(const Exempt &) = delete;
        Exempt &operator=(const Exempt &) = delete;
    };
};

} // namespace kv
