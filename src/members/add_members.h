#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <Qt>
#include <memory>
#include <optional>

namespace kv {

class BatchInsert;
class Database;
class Progress;
class Prompts;
class Query;

// The flags a new or copied member starts with: Invited is a two-state box,
// Confirmed a three-state one whose grayed state stands for "unknown".
struct NewMemberFlags
{
    bool invited = false;
    Qt::CheckState confirmed = Qt::PartiallyChecked;

    QString invitedText() const { return invited ? QStringLiteral("Y") : QStringLiteral("N"); }
    // The empty text of "unknown" is stored as null by the engine.
    QString confirmedText() const;
};

// The insert and the membership test every path that puts a client into a
// list goes through (adding, importing and copying), so all write the same
// columns and stamps. Rows are held back and sent in batches (BatchInsert):
// flush() before the unit of work commits; close() drops what is unsent.
class MemberWriter
{
public:
    static const QStringList kAddMemberSql;
    static const QString kCheckForPersonIdSql;
    static const QString kListMemberIdsSql;

    explicit MemberWriter(Database &db);
    ~MemberWriter();
    MemberWriter(const MemberWriter &) = delete;
    MemberWriter &operator=(const MemberWriter &) = delete;

    // True when the person has a row in the list, hidden or not.
    bool isMember(int listId, int personId);
    // Every person with a row in the list, read in one statement: a loop
    // tests membership against it instead of asking once per row.
    QSet<qint64> memberIds(int listId);
    // One visible member row with today's date, the current time and an empty
    // Updated_By; Quantity is left unset.
    void insert(int listId, int personId, const QString &clientId, const QString &invited, const QString &confirmed);
    void flush();
    void close();

private:
    std::unique_ptr<Query> m_add;
    std::unique_ptr<Query> m_check;
    std::unique_ptr<BatchInsert> m_batch;
};

// What the add dialog hands to the operation.
struct AddMembersChoice
{
    enum Method { ByStatus = 0, ByService = 1, SingleClient = 2 };
    enum DeliveryType { AllDeliveryTypes = 0, OngoingOnly = 1, EpisodicOnly = 2 };

    int method = ByStatus;
    int statusIndex = 3; // position in the status list, -1 when none is chosen
    std::optional<int> serviceId; // the number between the entry's brackets
    int deliveryType = AllDeliveryTypes;
    NewMemberFlags flags;
    // Single client: the current row of the client lookup (no value when it is empty).
    QVariant personId;
    QString clientId;
};

// Adding clients of the host database to a list: by status, by delivery
// service (active clients only) or one picked client.
class AddMembers
{
public:
    static const QStringList kStatusSelectLines; // index = position in the status list
    static const QString kServiceSelectLine;
    static const QString kOngoingLine;
    static const QString kEpisodicLine;
    static const QString kExclusionLine;
    static const QString kTraceLabel; // "QueryAddMembers.SQL"

    static const QString kAddedStart; // "Succesfully added "
    static const QString kAddedEnd; // " new members to the list."
    static const QString kNoNewNames;
    static const QString kAlreadyMember;
    static const QString kNoStatusChosen;
    static const QString kNoServiceChosen;
    static const QString kNoClientChosen;

    static QString addedMessage(int n);

    // "Service_Desc   [id]" and back.
    static QString serviceEntry(const QString &description, const QVariant &serviceId);
    static std::optional<int> serviceIdFromEntry(const QString &entry);

    // The composed selection, one line per part; throws kv::Error when the
    // chosen method lacks its status or service.
    static QStringList selectionLines(const AddMembersChoice &choice);

    AddMembers(Database &db, Prompts &prompts, Progress &progress);
    ~AddMembers();

    struct Result
    {
        int added = 0;
        bool alreadyMember = false; // single client only
    };

    // Runs the chosen method into the list in one unit of work and, once it
    // is committed, tells the user the outcome. A missing choice throws
    // kv::Error before anything starts; any later error or a cancel throws
    // kv::RolledBack with nothing written. Concurrent adds to one list run one
    // after the other (the list's row is locked first), so nobody is added twice.
    Result run(int listId, const AddMembersChoice &choice);

private:
    Result runSelection(int listId, const AddMembersChoice &choice, const QStringList &lines);
    Result runSingleClient(int listId, const AddMembersChoice &choice);

    Database &m_db;
    Prompts &m_prompts;
    Progress &m_progress;
    MemberWriter m_writer;
    std::unique_ptr<Query> m_select;
};

} // namespace kv
