#include "members/add_members.h"

#include "data/engine/batch_insert.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/prompts.h"
#include "data/trace.h"
#include "data/translate.h"
#include "shell/progress.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QScopeGuard>

namespace kv {

QString NewMemberFlags::confirmedText() const
{
    switch (confirmed) {
    case Qt::Checked:
        return QStringLiteral("Y");
    case Qt::Unchecked:
        return QStringLiteral("N");
    default:
        return QString();
    }
}

// --- MemberWriter -------------------------------------------------------------

const QStringList MemberWriter::kAddMemberSql = {
    QStringLiteral("Insert into List_Members (List_ID, Person_ID, Client_ID, RecVisible, Invited, Confirmed, "
                   "Create_Date, Updated_By, Last_Update  ) "),
    QStringLiteral("                                 Values (:List_ID, :Person_ID, :Client_ID, True, :Invited, "
                   ":Confirmed, :Create_Date, :Updated_By, :Last_Update  )"),
};

const QString MemberWriter::kCheckForPersonIdSql =
    QStringLiteral("Select  Person_ID from List_Members where List_ID = :List_ID and Person_ID = :Person_ID");

const QString MemberWriter::kListMemberIdsSql = QStringLiteral("Select Person_ID from List_Members where List_ID = :List_ID");

MemberWriter::MemberWriter(Database &db)
    : m_add(new Query(&db, QStringLiteral("QueryAddMember")))
    , m_check(new Query(&db, QStringLiteral("QueryCheckForPersonIDInList")))
{
    m_add->setSql(kAddMemberSql);
    m_check->setSql(kCheckForPersonIdSql);
}

MemberWriter::~MemberWriter()
{
    m_batch.reset();
}

bool MemberWriter::isMember(int listId, int personId)
{
    m_check->close();
    m_check->paramByName(QStringLiteral("Person_ID")).setAsInteger(personId);
    m_check->paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    m_check->open();
    const bool found = m_check->recordCount() > 0;
    m_check->close();
    return found;
}

QSet<qint64> MemberWriter::memberIds(int listId)
{
    Query current(m_add->database(), QStringLiteral("QueryListMemberIds"));
    current.setSql(kListMemberIdsSql);
    current.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    current.open();
    QSet<qint64> ids;
    ids.reserve(current.recordCount());
    for (int i = 0; i < current.recordCount(); ++i)
        ids.insert(current.valueAt(i, 0).toLongLong());
    return ids;
}

void MemberWriter::insert(int listId, int personId, const QString &clientId, const QString &invited,
                          const QString &confirmed)
{
    m_add->close();
    m_add->paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    m_add->paramByName(QStringLiteral("Person_ID")).setAsInteger(personId);
    m_add->paramByName(QStringLiteral("Client_ID")).setAsString(clientId);
    m_add->paramByName(QStringLiteral("Invited")).setAsString(invited);
    m_add->paramByName(QStringLiteral("Confirmed")).setAsString(confirmed);
    m_add->paramByName(QStringLiteral("Create_Date")).setAsDate(QDate::currentDate());
    m_add->paramByName(QStringLiteral("Updated_By")).setAsString(QString());
    m_add->paramByName(QStringLiteral("Last_Update")).setAsDateTime(QDateTime::currentDateTime());
    if (!m_batch)
        m_batch = std::make_unique<BatchInsert>(*m_add);
    m_batch->addRow();
}

void MemberWriter::flush()
{
    if (m_batch)
        m_batch->flush();
}

void MemberWriter::close()
{
    m_batch.reset();
    m_add->close();
    m_check->close();
}

// --- AddMembers ---------------------------------------------------------------

const QStringList AddMembers::kStatusSelectLines = {
    QStringLiteral("Select Person_ID, Client_ID from Clients where (Status = ' ' or Status is Null) "),
    QStringLiteral("Select Person_ID, Client_ID from Clients where Status = 'N' "),
    QStringLiteral("Select Person_ID, Client_ID from Clients where Status = 'W' "),
    QStringLiteral("Select Person_ID, Client_ID from Clients where Status = 'A' "),
    QStringLiteral("Select Person_ID, Client_ID from Clients where Status = 'S' "),
    QStringLiteral("Select Person_ID, Client_ID from Clients where Status = 'I' "),
};
const QString AddMembers::kServiceSelectLine = QStringLiteral(
    "Select Person_ID, Client_ID from Clients where Clients.Status='A'  and Clients.Svcs_Used = :Svcs_Used");
const QString AddMembers::kOngoingLine = QStringLiteral("and Clients.Delivery_Type = 'O' ");
const QString AddMembers::kEpisodicLine = QStringLiteral("and Clients.Delivery_Type = 'E' ");
const QString AddMembers::kExclusionLine =
    QStringLiteral(" and not Person_ID in (Select Person_ID from List_Members where List_ID = :List_ID) ");
const QString AddMembers::kTraceLabel = QStringLiteral("QueryAddMembers.SQL");

const QString AddMembers::kAddedStart = QString::fromUtf8(QT_TRANSLATE_NOOP("AddMembers", "Succesfully added "));
const QString AddMembers::kAddedEnd = QString::fromUtf8(QT_TRANSLATE_NOOP("AddMembers", " new members to the list."));
const QString AddMembers::kNoNewNames =
    QString::fromUtf8(QT_TRANSLATE_NOOP("AddMembers", "There were no new names to add."));
const QString AddMembers::kAlreadyMember =
    QString::fromUtf8(QT_TRANSLATE_NOOP("AddMembers", "That person is already a member of this list!"));
const QString AddMembers::kNoStatusChosen =
    QString::fromUtf8(QT_TRANSLATE_NOOP("AddMembers", "Please choose a client status to add. No names were added."));
const QString AddMembers::kNoServiceChosen =
    QString::fromUtf8(QT_TRANSLATE_NOOP("AddMembers", "Please choose a delivery service to add. No names were added."));
const QString AddMembers::kNoClientChosen =
    QString::fromUtf8(QT_TRANSLATE_NOOP("AddMembers", "Please choose a client to add. No names were added."));

QString AddMembers::addedMessage(int n)
{
    return shown("AddMembers", kAddedStart) + QString::number(n) + shown("AddMembers", kAddedEnd);
}

QString AddMembers::serviceEntry(const QString &description, const QVariant &serviceId)
{
    return description + QStringLiteral("   [") + serviceId.toString() + QStringLiteral("]");
}

std::optional<int> AddMembers::serviceIdFromEntry(const QString &entry)
{
    // The last bracketed number: a description may hold brackets of its own.
    static const QRegularExpression re(QStringLiteral("\\[(-?\\d+)\\]\\s*$"));
    const QRegularExpressionMatch m = re.match(entry);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int id = m.captured(1).toInt(&ok);
    return ok ? std::optional<int>(id) : std::nullopt;
}

QStringList AddMembers::selectionLines(const AddMembersChoice &choice)
{
    QStringList lines;
    if (choice.method == AddMembersChoice::ByStatus) {
        if (choice.statusIndex < 0 || choice.statusIndex >= kStatusSelectLines.size())
            throw Error(shown("AddMembers", kNoStatusChosen));
        lines << kStatusSelectLines.at(choice.statusIndex);
    } else {
        if (!choice.serviceId)
            throw Error(shown("AddMembers", kNoServiceChosen));
        lines << kServiceSelectLine;
    }
    if (choice.deliveryType == AddMembersChoice::OngoingOnly)
        lines << kOngoingLine;
    else if (choice.deliveryType == AddMembersChoice::EpisodicOnly)
        lines << kEpisodicLine;
    lines << kExclusionLine;
    return lines;
}

AddMembers::AddMembers(Database &db, Prompts &prompts, Progress &progress)
    : m_db(db)
    , m_prompts(prompts)
    , m_progress(progress)
    , m_writer(db)
    , m_select(new Query(&db, QStringLiteral("QueryAddMembers")))
{
}

AddMembers::~AddMembers() = default;

AddMembers::Result AddMembers::run(int listId, const AddMembersChoice &choice)
{
    TraceScope trace(QStringLiteral("AddMembers.run"));
    const auto reset = qScopeGuard([this] {
        m_select->close();
        m_writer.close();
        try {
            m_progress.setPercent(0);
        } catch (...) {
            // A cancel asked for now has nothing left to stop.
        }
    });

    // What the user forgot to choose is said before any unit begins.
    QStringList lines;
    if (choice.method == AddMembersChoice::ByStatus || choice.method == AddMembersChoice::ByService)
        lines = selectionLines(choice);
    else if (choice.method == AddMembersChoice::SingleClient
             && (!choice.personId.isValid() || choice.personId.isNull()))
        throw Error(shown("AddMembers", kNoClientChosen));
    else if (choice.method != AddMembersChoice::SingleClient)
        return {};

    Result result;
    UnitOfWork::run(m_db, [&] {
        lockListRow(m_db, listId);
        result = choice.method == AddMembersChoice::SingleClient ? runSingleClient(listId, choice)
                                                                 : runSelection(listId, choice, lines);
    });
    // Told once the rows are committed, and without the write lock held.
    if (choice.method == AddMembersChoice::SingleClient) {
        if (result.alreadyMember)
            m_prompts.inform(shown("AddMembers", kAlreadyMember));
    } else {
        m_prompts.inform(result.added > 0 ? addedMessage(result.added) : shown("AddMembers", kNoNewNames));
    }
    return result;
}

AddMembers::Result AddMembers::runSelection(int listId, const AddMembersChoice &choice, const QStringList &lines)
{
    m_select->close();
    m_select->setSql(QStringList());
    m_select->setSql(lines);
    if (choice.method == AddMembersChoice::ByService) {
        m_select->paramByName(QStringLiteral("Svcs_Used")).setAsInteger(*choice.serviceId);
        Trace::lines(kTraceLabel, lines);
    }
    m_select->paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    m_select->open();
    m_select->first();

    const int n = m_select->recordCount();
    const NewMemberFlags &flags = choice.flags;
    const QString invited = flags.invitedText();
    const QString confirmed = flags.confirmedText();
    int done = 0;
    while (!m_select->eof()) {
        m_writer.insert(listId, int(m_select->asInteger(QStringLiteral("Person_ID"))),
                        m_select->fieldValue(QStringLiteral("Client_ID")).toString(), invited, confirmed);
        m_select->next();
        ++done;
        m_progress.setPercent(percentOf(done, n));
    }
    m_writer.flush();
    m_select->close();
    return {n, false};
}

AddMembers::Result AddMembers::runSingleClient(int listId, const AddMembersChoice &choice)
{
    const int personId = choice.personId.toInt();
    if (m_writer.isMember(listId, personId))
        return {0, true};
    m_writer.insert(listId, personId, choice.clientId, choice.flags.invitedText(), choice.flags.confirmedText());
    m_writer.flush();
    return {1, false};
}

} // namespace kv
