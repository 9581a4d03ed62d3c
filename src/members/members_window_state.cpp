#include "members/members_window_state.h"

#include "data/engine/db_error.h"
#include "data/engine/unit_of_work.h"
#include "data/prompts.h"

#include <QScopeGuard>

namespace kv {

MembersWindowState::MembersWindowState(TDataModuleLists &dm, Prompts &prompts)
    : m_rows(std::make_unique<MemberRowSet>())
    , m_loadSave(std::make_unique<MemberLoadSave>(dm, prompts))
{
}

MembersWindowState::~MembersWindowState() = default;

bool MembersWindowState::load(int listId, const QString &name)
{
    m_moved = false;
    // The list on display follows the rows the load left, also when it threw
    // after it had dropped them for the new list.
    const auto follow = qScopeGuard([&] {
        const MemberLoadSave::LoadResult &result = m_loadSave->lastLoad();
        if (!result.listIdKnown)
            return;
        m_listId = result.listId;
        m_listName = name;
        m_memberCount = result.completed ? result.memberCount : m_rows->totalRowCount();
        m_hiddenCount = m_rows->hiddenRowCount();
        m_moved = true;
    });
    m_loadSave->load(*m_rows, name, listId);
    return m_loadSave->lastLoad().listIdKnown;
}

void MembersWindowState::reload()
{
    if (m_reload)
        m_reload();
    else
        load(m_listId, m_listName);
}

bool MembersWindowState::runWrite(const std::function<void()> &write)
{
    // With no list on display there is nothing to write to, and nobody
    // deleted anything to be told about.
    if (m_listId <= 0)
        return false;
    if (m_rows->state() == DataState::Edit)
        m_rows->post();
    std::vector<MemberRowSet::PendingEdit> edits = m_rows->pendingEdits();
    try {
        write();
        return true;
    } catch (const RolledBack &e) {
        // Decides what the user sees after the rollback: the read-again/keep
        // question, or the database's rows again with the edits kept.
        if (e.conflict()) {
            // The rows on display hold the user's edits, this operation's
            // included: they stay unless the user asks for the stored values.
            if (m_loadSave->reloadAfterConflict(*m_rows, e))
                reloadDiscardingEdits();
            return false;
        }
        // The rollback is what the boundary reports; a read that fails
        // as well keeps the edits for the next one that succeeds.
        FirstFailure failure;
        failure.record();
        try {
            reloadKeeping(std::move(edits));
        } catch (const ApplicationEnding &) {
            throw;
        } catch (...) {
            failure.record();
        }
        failure.rethrow();
    }
    return false;
}

void MembersWindowState::saveNow()
{
    if (!m_rows->isOpen())
        return;
    if (m_rows->state() == DataState::Edit)
        m_rows->post();
    try {
        // A save that fails keeps every edit in the change log, unsaved.
        m_loadSave->saveChanges(*m_rows);
    } catch (const RolledBack &e) {
        // Decides: another user's change asks read again or keep; any other refusal passes on.
        if (!e.conflict())
            throw;
        if (m_loadSave->reloadAfterConflict(*m_rows, e))
            reloadDiscardingEdits();
    }
}

void MembersWindowState::reloadDiscardingEdits()
{
    if (m_rows->state() == DataState::Edit)
        m_rows->cancel();
    m_rows->close(); // closed, the load reads the rows without saving anything
    reload();
}

void MembersWindowState::reloadKeeping(std::vector<MemberRowSet::PendingEdit> edits)
{
    // Closed first so the load reads the rows without saving anything; the
    // edits come back with the read, or with the next one that succeeds.
    if (m_rows->state() == DataState::Edit)
        m_rows->cancel();
    m_rows->close();
    m_loadSave->keepEdits(m_listId, std::move(edits));
    reload();
}

} // namespace kv
