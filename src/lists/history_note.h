#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace kv {

class Database;
class Query;

// One line of the host's History: the time, what happened to which list, and
// the host's user name, asked for anew each time and cut as every stamp is
// (ListStamp).
class HistoryNoteWriter
{
public:
    static const QString kInsertSql; // "Insert into History (Tran_Date, Event, User) values (...) "

    HistoryNoteWriter(Database &db, std::function<QString()> userName);
    ~HistoryNoteWriter();

    void write(const QString &event);

    // The event texts of the three operations that write one.
    static QString listDeleted(const QString &listName);
    static QString pendingCancelled(const QString &listName);
    // The first 20 whole characters of the name with trailing blanks removed.
    static QString fulfilled(const QString &listName, int deliveries, const QString &shortDate);

private:
    std::unique_ptr<Query> m_query;
    std::function<QString()> m_userName;
};

} // namespace kv
