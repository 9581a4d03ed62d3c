#pragma once

// Adding the clients a spreadsheet names to a list: a column of client ids
// (or person ids) read from a CSV file, written in one unit of work.

#include "members/add_members.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

class Database;
class Progress;

// RFC 4180 as spreadsheets write it: commas, fields in double quotes with the
// quotes doubled, line breaks inside quoted fields, CRLF, LF or CR between
// records. A leading byte-order mark is dropped. A quoted field that is never
// closed, or a NUL character, throws kv::Error naming the line.
QList<QStringList> parseCsv(const QString &text);

// The ids one column of a CSV file holds, in file order, blanks dropped.
struct MemberImportFile
{
    enum class IdKind { ClientId, PersonId };

    static const QStringList kClientIdHeaders; // "Client_ID", "Client ID", "ClientID"
    static const QStringList kPersonIdHeaders;

    IdKind kind = IdKind::ClientId;
    QString column; // the header as written in the file
    QStringList ids;
    int blankRows = 0;

    // The column is the one headed `column` (any case), else the first one
    // headed like a client id, else like a person id; a person-id header
    // makes the values person ids. Throws kv::Error naming the columns found
    // when there is no such column or the file is empty.
    static MemberImportFile fromCsv(const QString &text, const QString &column = QString());
};

class ImportMembers
{
public:
    static constexpr int kNotFoundShown = 10;
    // Every client's ids, read once: the file's ids are looked up among them.
    static const QString kClientsSql;
    static const QString kListExistsSql;
    static const QString kListGoneMessage;

    struct Result
    {
        int added = 0;
        int alreadyMembers = 0; // in the list before, or named twice in the file
        int notFound = 0;
        QStringList firstNotFound; // at most kNotFoundShown, in file order
        // Client ids that more than one client bears: none of them is added,
        // since the file cannot say which one it meant.
        int shared = 0;
        QStringList firstShared; // "ID matches 2 clients: Person_ID 4, 9", at most kNotFoundShown
    };

    ImportMembers(Database &db, Progress &progress);

    // All or nothing: locks the list (PostgreSQL), adds every id found that is
    // not a member yet with the flags given, counts the rest. Throws
    // kv::RolledBack on any failure or cancel, with nothing written.
    Result run(int listId, const MemberImportFile &file, const NewMemberFlags &flags);

    // "Added N, already members M, not found K." (", shared by several clients S"
    // when there are any), then the ids not found and the shared ones.
    static QString summary(const Result &r);

private:
    Database &m_db;
    Progress &m_progress;
};

} // namespace kv
