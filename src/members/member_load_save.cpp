#include "members/member_load_save.h"

#include "data/conflict_question.h"
#include "data/data_module.h"
#include "data/engine/batch_update.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/trace.h"
#include "data/translate.h"

#include <QDateTime>
#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace kv {

const QString MemberLoadSave::kUpdateListMemberSql = QStringLiteral(
    "Update List_Members set RecVisible = :RecVisible, Invited = :Invited, Confirmed = :Confirmed, Quantity = :Quantity, "
    "Last_Update = :Last_Update, Updated_By = :Updated_By where Record_ID = :Record_ID");
const QString MemberLoadSave::kStoredMemberSql =
    QStringLiteral("Select RecVisible, Invited, Confirmed, Quantity from List_Members where Record_ID = :Record_ID");
const QString MemberLoadSave::kOneClientCondition = QStringLiteral("and List_Members.Person_ID = :Person_ID");
const QString MemberLoadSave::kClientInfoSql = QStringLiteral("Select * from Clients where Person_ID = :Person_ID");
const QString MemberLoadSave::kUpdatedBy = QStringLiteral("(List)");
const QString MemberLoadSave::kMemberRowName = QString::fromUtf8(QT_TRANSLATE_NOOP("MemberLoadSave", "the member %1"));
const QString MemberLoadSave::kClientRowName = QString::fromUtf8(QT_TRANSLATE_NOOP("MemberLoadSave", "the client %1"));
const QString MemberLoadSave::kReloadAfterConflict =
    QString::fromUtf8(QT_TRANSLATE_NOOP("MemberLoadSave", "Read the list again from the database?\n\n"
                                        "Yes shows the values stored now and discards your unsaved changes to this list.\n"
                                        "No keeps your changes on screen; saving them again writes them over the other user's values."));

namespace {

// The columns the grid and the member operations edit, in the order the
// statement sets them; bit i of a mask stands for kEditable[i].
struct Editable
{
    int field;
    FieldType type;
};
constexpr Editable kEditable[] = {
    {MemberRowSet::RecVisible, FieldType::Boolean},
    {MemberRowSet::Invited, FieldType::Text},
    {MemberRowSet::Confirmed, FieldType::Text},
    {MemberRowSet::Quantity, FieldType::Integer},
};
constexpr unsigned kEditableCount = std::size(kEditable);

QString oldParam(int field)
{
    return QStringLiteral("Old_") + MemberRowSet::fieldName(field);
}

bool sameMemberValue(const QVariant &a, const QVariant &b, FieldType type)
{
    if (isEmptyValue(a) || isEmptyValue(b))
        return isEmptyValue(a) == isEmptyValue(b);
    switch (type) {
    case FieldType::Boolean: return a.toBool() == b.toBool();
    case FieldType::Integer: return a.toLongLong() == b.toLongLong();
    default: return a.toString() == b.toString();
    }
}

void bindMember(Param &p, const QVariant &v, FieldType type)
{
    if (isEmptyValue(v))
        p.clear();
    else if (type == FieldType::Boolean)
        p.setAsBoolean(v.toBool());
    else if (type == FieldType::Integer)
        p.setAsInteger(v.toLongLong());
    else
        p.setAsString(v.toString());
}

QString memberName(const MemberRowSet::UpdateRecord &row)
{
    QStringList parts;
    for (int f : {int(MemberRowSet::First_Name), int(MemberRowSet::Last_Name)}) {
        const QString part = row.oldValue(f).toString().trimmed();
        if (!part.isEmpty())
            parts << part;
    }
    if (parts.isEmpty())
        parts << row.oldValue(MemberRowSet::Client_ID).toString();
    return shown("MemberLoadSave", MemberLoadSave::kMemberRowName).arg(parts.join(QLatin1Char(' ')));
}

} // namespace

MemberLoadSave::MemberLoadSave(TDataModuleLists &dm, Prompts &prompts)
    : m_clientInfo(std::make_unique<Query>(dm.DatabaseLists, QStringLiteral("QueryClientInfo")))
    , QueryClientInfo(m_clientInfo.get())
    , m_dm(dm)
    , m_prompts(prompts)
{
    QueryClientInfo->setSql(kClientInfoSql);
    QueryClientInfo->setRequestLive(true);
    QueryClientInfo->setRowName(shown("MemberLoadSave", kClientRowName), {QStringLiteral("First_Name"), QStringLiteral("Last_Name")});
}

MemberLoadSave::~MemberLoadSave() = default;

int MemberLoadSave::listIdByName(const QString &listName)
{
    Query *q = m_dm.QueryGetListIDFromListName;
    q->close();
    q->paramByName(QStringLiteral("List_Name")).setAsString(listName);
    q->open();
    const QVariant id = q->isEmpty() ? QVariant() : q->fieldValue(QStringLiteral("Record_ID"));
    return id.isValid() ? id.toInt() : 0;
}

void MemberLoadSave::saveChanges(MemberRowSet &rows)
{
    TraceScope trace(QStringLiteral("ClientDataSetListMembers.ApplyUpdates"));
    m_saved = 0;
    m_conflicts.clear();
    rows.post();
    if (rows.changeCount() == 0)
        return; // nothing to write: no unit, no write lock
    // One save is one moment: every row carries the same stamp, and the clock
    // (a time-zone lookup each call) is read once, not per row.
    m_saveStamp = QDateTime::currentDateTime();
    try {
        UnitOfWork::run(*m_dm.DatabaseLists, [&] {
            const auto dropBatches = qScopeGuard([this] {
                m_batches.clear();
                m_pending.clear();
            });
            rows.applyUpdates([this](const MemberRowSet::UpdateRecord &r) { DataSetProvider1BeforeUpdateRecord(r); },
                              [this] {
                                  runBatches();
                                  // Every row was tried, so the message names each member changed meanwhile.
                                  if (!m_conflicts.isEmpty())
                                      throw EditConflict(std::exchange(m_conflicts, {}));
                              });
        });
    } catch (...) {
        m_saved = 0;
        throw;
    }
}

QString MemberLoadSave::updateSqlFor(unsigned changed, unsigned readEmpty)
{
    QStringList sets, where{QStringLiteral("Record_ID = :Record_ID")};
    for (unsigned i = 0; i < kEditableCount; ++i) {
        if (!(changed & (1u << i)))
            continue;
        const QString name = MemberRowSet::fieldName(kEditable[i].field);
        sets << QStringLiteral("%1 = :%1").arg(name);
        where << unchangedCondition(name, oldParam(kEditable[i].field), (readEmpty & (1u << i)) ? QVariant() : QVariant(1),
                                    kEditable[i].type == FieldType::Text);
    }
    sets << QStringLiteral("Last_Update = :Last_Update") << QStringLiteral("Updated_By = :Updated_By");
    return QStringLiteral("Update List_Members set %1 where %2").arg(sets.join(QStringLiteral(", ")), where.join(QStringLiteral(" and ")));
}

Query &MemberLoadSave::updateFor(unsigned changed, unsigned readEmpty)
{
    std::unique_ptr<Query> &q = m_updates[changed | (readEmpty << kEditableCount)];
    if (!q) {
        q = std::make_unique<Query>(m_dm.DatabaseLists, QStringLiteral("QueryUpdateListMember"));
        q->setSql(updateSqlFor(changed, readEmpty));
    }
    return *q;
}

void MemberLoadSave::DataSetProvider1BeforeUpdateRecord(const MemberRowSet::UpdateRecord &row)
{
    // Deleted rows were removed from the database by the operation that removed them.
    if (row.kind() != MemberRowSet::ChangeKind::Modified)
        return;
    // Parameter names made once: this runs for every edited row of a save.
    static const auto names = [] {
        std::array<std::pair<QString, QString>, kEditableCount> n;
        for (unsigned i = 0; i < kEditableCount; ++i)
            n[i] = {MemberRowSet::fieldName(kEditable[i].field), oldParam(kEditable[i].field)};
        return n;
    }();
    QVariant read[kEditableCount], now[kEditableCount];
    unsigned changed = 0, readEmpty = 0;
    for (unsigned i = 0; i < kEditableCount; ++i) {
        read[i] = row.oldValue(kEditable[i].field);
        now[i] = row.newValue(kEditable[i].field);
        if (sameMemberValue(read[i], now[i], kEditable[i].type))
            continue;
        changed |= 1u << i;
        if (isEmptyValue(read[i]))
            readEmpty |= 1u << i;
    }
    if (changed == 0)
        return; // edited back to what was read: nothing to write
    Query &q = updateFor(changed, readEmpty);
    q.close();
    for (unsigned i = 0; i < kEditableCount; ++i) {
        if (!(changed & (1u << i)))
            continue;
        bindMember(q.paramByName(names[i].first), now[i], kEditable[i].type);
        if (!(readEmpty & (1u << i)))
            bindMember(q.paramByName(names[i].second), read[i], kEditable[i].type);
    }
    static const QString lastUpdate = QStringLiteral("Last_Update");
    static const QString updatedBy = QStringLiteral("Updated_By");
    static const QString recordId = QStringLiteral("Record_ID");
    q.paramByName(lastUpdate).setAsDateTime(m_saveStamp);
    q.paramByName(updatedBy).setAsString(kUpdatedBy);
    q.paramByName(recordId).setAsInteger(row.oldValue(MemberRowSet::Record_ID).toLongLong());
    std::unique_ptr<BatchUpdate> &batch = m_batches[changed | (readEmpty << kEditableCount)];
    if (!batch) {
        QHash<QString, FieldType> types{{recordId, FieldType::Integer}, {lastUpdate, FieldType::DateTime}, {updatedBy, FieldType::Text}};
        for (unsigned i = 0; i < kEditableCount; ++i)
            types.insert(names[i].first, kEditable[i].type), types.insert(names[i].second, kEditable[i].type);
        batch = std::make_unique<BatchUpdate>(q, recordId, types);
    }
    const std::optional<bool> touched = batch->addRow();
    if (!touched)
        m_pending.push_back({row, changed}); // decided by runBatches
    else if (*touched)
        ++m_saved;
    else
        m_conflicts.append(conflictOf(row, changed));
}

void MemberLoadSave::runBatches()
{
    // Each set of changed columns is one statement for all its rows; a row it
    // did not touch was changed or removed by another user meanwhile.
    QSet<qint64> touched;
    for (auto &[mask, batch] : m_batches)
        touched.unite(batch->run());
    for (const Pending &p : m_pending) {
        if (touched.contains(p.row.oldValue(MemberRowSet::Record_ID).toLongLong()))
            ++m_saved;
        else
            m_conflicts.append(conflictOf(p.row, p.changed));
    }
    m_pending.clear();
}

EditConflict::Row MemberLoadSave::conflictOf(const MemberRowSet::UpdateRecord &row, unsigned changed)
{
    if (!m_stored) {
        m_stored = std::make_unique<Query>(m_dm.DatabaseLists, QStringLiteral("QueryStoredMember"));
        m_stored->setSql(kStoredMemberSql);
    }
    Query &q = *m_stored;
    q.close();
    q.paramByName(QStringLiteral("Record_ID")).setAsInteger(row.oldValue(MemberRowSet::Record_ID).toLongLong());
    q.open();
    EditConflict::Row r;
    r.name = memberName(row);
    r.key = row.oldValue(MemberRowSet::Record_ID);
    r.gone = q.isEmpty();
    for (unsigned i = 0; i < kEditableCount; ++i) {
        if (!(changed & (1u << i)))
            continue;
        const int f = kEditable[i].field;
        const QString name = MemberRowSet::fieldName(f);
        r.changes.append({name, row.oldValue(f), row.newValue(f), r.gone ? QVariant() : q.fieldValue(name), m_captions.value(f)});
    }
    q.close();
    return r;
}

bool MemberLoadSave::reloadAfterConflict(MemberRowSet &rows, const RolledBack &e)
{
    Q_ASSERT(e.conflict());
    return askReadAgainOrKeep(m_prompts, e.text(), shown("MemberLoadSave", kReloadAfterConflict), [] {},
                              [&] { rows.adoptStored(*e.conflict()); });
}

void MemberLoadSave::keepEdits(int listId, std::vector<MemberRowSet::PendingEdit> edits)
{
    if (edits.empty())
        return;
    if (m_keptListId != listId)
        m_kept.clear();
    m_keptListId = listId;
    // Edits kept from an earlier failed read stay unless a newer edit of the same row replaces them.
    for (MemberRowSet::PendingEdit &e : edits) {
        auto same = std::find_if(m_kept.begin(), m_kept.end(),
                                 [&e](const MemberRowSet::PendingEdit &k) { return k.recordId == e.recordId; });
        if (same != m_kept.end())
            *same = std::move(e);
        else
            m_kept.push_back(std::move(e));
    }
}

void MemberLoadSave::restoreKeptEdits(MemberRowSet &rows, int listId)
{
    if (m_kept.empty() || listId != m_keptListId || !rows.isOpen())
        return;
    rows.restorePendingEdits(m_kept);
    m_kept.clear();
}

void MemberLoadSave::refreshClient(MemberRowSet &rows, int listId, const QVariant &personId)
{
    if (!m_oneClient) {
        m_oneClient = std::make_unique<Query>(m_dm.DatabaseLists, QStringLiteral("QueryOneClientMembers"));
        m_oneClient->setSql(TDataModuleLists::kListMembersSql + QStringList{kOneClientCondition});
    }
    Query &q = *m_oneClient;
    q.close();
    q.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    q.paramByName(QStringLiteral("Person_ID")).setAsInteger(personId.toLongLong());
    q.open();
    const auto close = qScopeGuard([&q] { q.close(); });
    for (q.first(); !q.eof(); q.next()) {
        QHash<int, QVariant> values;
        for (int f = MemberRowSet::First_Name; f <= MemberRowSet::Add_Dte; ++f)
            if (!MemberRowSet::isEditableField(f) && q.hasField(MemberRowSet::fieldName(f)))
                values.insert(f, q.fieldValue(MemberRowSet::fieldName(f)));
        rows.refreshRow(q.fieldValue(QStringLiteral("Record_ID")), values);
    }
}

void MemberLoadSave::openClientInfo(const MemberRowSet &rows)
{
    QueryClientInfo->close();
    const QVariant person = rows.fieldValue(MemberRowSet::Person_ID);
    if (person.isValid())
        QueryClientInfo->paramByName(QStringLiteral("Person_ID")).setAsInteger(person.toLongLong());
    else
        QueryClientInfo->paramByName(QStringLiteral("Person_ID")).clear();
    QueryClientInfo->open();
}

void MemberLoadSave::followCurrentRow(const MemberRowSet &rows)
{
    if (!QueryClientInfo->isOpen() || rows.controlsDisabled())
        return;
    const QVariant person = rows.fieldValue(MemberRowSet::Person_ID);
    const QVariant bound = QueryClientInfo->paramByName(QStringLiteral("Person_ID")).value();
    if (person.isValid() == bound.isValid() && (!person.isValid() || person.toLongLong() == bound.toLongLong()))
        return;
    // An unposted change of the client row is not carried to another member.
    if (QueryClientInfo->state() != DataState::Browse)
        QueryClientInfo->cancel();
    openClientInfo(rows);
}

void MemberLoadSave::closeClientInfo()
{
    QueryClientInfo->close();
}

MemberLoadSave::LoadResult MemberLoadSave::load(MemberRowSet &rows, const QString &listName, std::optional<int> knownListId)
{
    TraceScope trace(QStringLiteral("TFormListMembers.RzTabControl1Change"));
    m_lastLoad = {};
    LoadResult &result = m_lastLoad;
    Query *members = m_dm.QueryListMembers;
    // The first error is passed on once the closing steps have run; the
    // caller's boundary shows it.
    FirstFailure failure;
    try {
        const int listId = knownListId ? *knownListId : listIdByName(listName);
        // Pending edits of the list shown before are saved here, after the new
        // id has been looked up; the save does not depend on it. A save that
        // rolls back keeps them and the rows of that list on display.
        rows.post();
        bool keepShown = false;
        if (rows.isOpen()) {
            try {
                saveChanges(rows);
            } catch (const RolledBack &e) {
                // Decides: another user's change asks read again or keep; any other refusal passes on.
                if (!e.conflict())
                    throw;
                // The user chose to drop the edits (the list is read below) or
                // to keep them on display.
                keepShown = !reloadAfterConflict(rows, e);
            }
        }
        if (!keepShown) {
            result.listId = listId;
            result.listIdKnown = true;
            rows.close();
            members->close();
            members->paramByName(QStringLiteral("List_ID")).setAsInteger(result.listId);
            rows.load(*members);
            restoreKeptEdits(rows, result.listId);
            openClientInfo(rows);
            result.memberCount = rows.totalRowCount();
            result.completed = true;
        }
    } catch (const ApplicationEnding &) {
        throw;
    } catch (...) {
        failure.record();
    }

    // Closing steps, on every path.
    try {
        m_dm.QueryGetListIDFromListName->close();
        // An edit still pending here (the lookup failed before it was posted)
        // joins the change log, so the next load or the close saves it.
        if (rows.state() == DataState::Edit) {
            try {
                rows.post();
            } catch (...) {
                rows.cancel();
                throw;
            }
        }
        rows.setIndexName(QStringLiteral("Last_Name"));
        if (!rows.isOpen()) {
            rows.load(*members); // with the list id the statement was last given
            restoreKeptEdits(rows, int(members->paramByName(QStringLiteral("List_ID")).value().toLongLong()));
        }
        rows.setIndexName(QStringLiteral("Last_Name"));
    } catch (const ApplicationEnding &) {
        throw;
    } catch (...) {
        failure.record();
    }
    members->close();
    failure.rethrow();
    return result;
}

} // namespace kv
