// Member operations of the members window: adding, removing, copying, the
// invited and confirmed flags, quantities, visibility and filters. Each
// handler reads its dialog or the grid, hands the work to its operation
// through runMemberWrite (one unit of work, Escape stops its loop) and ends
// with the load procedure where the operation calls for it. Operations that
// change the row set commit its save in the same unit as the change.

#include "members/ui/form_list_members.h"
#include "members/ui/form_list_members_p.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/trace.h"
#include "members/add_members.h"
#include "members/confirmed_filter.h"
#include "members/copy_members.h"
#include "members/member_flags.h"
#include "members/member_load_save.h"
#include "members/quantities.h"
#include "members/remove_members.h"
#include "members/visibility.h"
#include "members/ui/form_add_list_members.h"
#include "members/ui/form_get_quantity.h"
#include "members/ui/form_hide_delivery_days.h"
#include "members/ui/form_save_to_new_list.h"
#include "shell/ui/busy_cursor.h"
#include "shell/ui/run_action.h"
#include "shell/ui/scoped_global_dialog.h"

#include <QAction>
#include <QLabel>
#include <QScopeGuard>
#include <QTabBar>

// --- Adding members -----------------------------------------------------------

void TFormListMembers::ActionAddMembersExecute()
{
    runAction(
        QStringLiteral("ActionAddMembersExecute"),
        [this] {
            const auto cleanup = qScopeGuard([this] { progress().setPercent(0); });
            kv::ScopedGlobalDialog<TFormAddListMembers> add(FormAddListMembers, *m_dm.QueryServices,
                                                            *m_dm.QueryClientLookUp, this);
            // Clients added in the host meanwhile appear in the lookup.
            m_dm.QueryClientLookUp->close();
            m_dm.QueryClientLookUp->open();
            if (FormAddListMembers->exec() != QDialog::Accepted)
                return;
            const kv::CursorScope busy;
            kv::AddMembers op(*m_dm.DatabaseLists, m_prompts, progress());
            if (runMemberWrite([&] { op.run(nCurrentListID, FormAddListMembers->choice()); }))
                RzTabControl1Change();
        },
        kv::ActionCursor::Unchanged);
}

// --- Removing members ---------------------------------------------------------

void TFormListMembers::ActionRemoveSelectedMembersExecute()
{
    runAction(QStringLiteral("ActionRemoveSelectedMembersExecute"), [this] {
        const auto cleanup = qScopeGuard([this] { progress().setPercent(0); });
        // A value still in the grid's editor belongs to its row before rows leave.
        commitGridEditor();
        kv::RemoveMembers op(*m_dm.DatabaseLists, m_prompts, progress());
        const QList<kv::MemberRowSet::Bookmark> selection = gridSelection();
        if (runMemberWrite([&] { op.removeSelected(nCurrentListID, memberRowSet(), selection); })) {
            clearGridSelection();
            RzTabControl1Change();
        }
    });
}

void TFormListMembers::ActionRemoveAllMembersExecute()
{
    runAction(QStringLiteral("ActionRemoveAllMembersExecute"), [this] {
        const auto cleanup = qScopeGuard([this] { progress().setPercent(0); });
        commitGridEditor();
        if (memberRowSet().state() == kv::DataState::Edit)
            memberRowSet().post();
        kv::RemoveMembers op(*m_dm.DatabaseLists, m_prompts, progress());
        bool removed = false;
        if (!runMemberWrite([&] { removed = op.removeAll(nCurrentListID); }))
            return;
        // Edits pending on removed members have no row left to be saved into.
        if (removed)
            reloadDiscardingEdits();
        else
            RzTabControl1Change();
    });
}

// --- Copying members ----------------------------------------------------------

void TFormListMembers::ActionCopyToNewListExecute()
{
    // The dialog is filled in under the normal cursor; the busy one comes back with its OK.
    runAction(
        QStringLiteral("ActionCopyToNewListExecute"),
        [this] {
        const auto cleanup = qScopeGuard([this] {
            clearGridSelection();
            progress().setPercent(0);
        });
        commitGridEditor();
        kv::MemberRowSet &rows = memberRowSet();
        if (rows.state() == kv::DataState::Edit)
            rows.post();
        const QList<kv::MemberRowSet::Bookmark> selection = gridSelection();
        if (selection.isEmpty())
            return;
        const kv::ScopedGlobalDialog<TFormSaveToNewList> dialog(FormSaveToNewList, *m_dm.DatabaseLists, m_prompts, this);
        // With no other list to copy into, the dialog starts on "New List".
        if (m_dm.QueryLists->isOpen() && m_dm.QueryLists->recordCount() < 2)
            FormSaveToNewList->setStartTab(TFormSaveToNewList::kNewListTab);
        if (FormSaveToNewList->exec() != QDialog::Accepted)
            return;
        const std::optional<kv::CopyChoice> choice = FormSaveToNewList->choice();
        if (!choice)
            return;
        const kv::CursorScope busy;
        const bool copied = runMemberWrite([&] {
            kv::UnitOfWork::run(*m_dm.DatabaseLists, [&] {
                kv::CopyMembers op(*m_dm.DatabaseLists, progress());
                // A new list is created by the copy, in its unit: both or neither.
                if (choice->newList) {
                    op.copyToNewList(rows, selection, choice->list, choice->flags);
                    return;
                }
                int destination = choice->listId;
                if (destination <= 0)
                    destination = kv::CopyMembers::destinationByName(*m_dm.QueryGetListIDFromListName, choice->listName);
                if (destination <= 0)
                    throw kv::Error(TFormSaveToNewList::kErrorLocatingList);
                op.copy(rows, selection, destination, true, choice->flags);
            });
        });
        clearGridSelection();
        if (!copied)
            return;
        if (choice->newList) {
            // The new list joins the tabs; the window goes back to the list it
            // showed, and the lists window keeps its row.
            const int shownList = nCurrentListID;
            kv::Query &lists = *m_dm.QueryLists;
            const QVariant current = lists.isOpen() && lists.recNo() >= 0 ? lists.fieldValue(QStringLiteral("Record_ID"))
                                                                          : QVariant();
            lists.close();
            lists.open();
            if (current.isValid())
                lists.locate({QStringLiteral("Record_ID")}, {current});
            FormShow();
            const int t = d->tabOfList(shownList);
            if (t >= 0 && t != d->RzTabControl1->currentIndex())
                d->RzTabControl1->setCurrentIndex(t);
        }
        },
        kv::ActionCursor::Unchanged);
}

// --- Invited and confirmed flags ----------------------------------------------

namespace {

void setAllFlags(TFormListMembers &w, kv::MemberLoadSave &save, bool invited, bool checked)
{
    const auto cleanup = qScopeGuard([&w] { w.progress().setPercent(0); });
    using Flag = kv::MemberFlags::Flag;
    if (!kv::MemberFlags::askAll(w.prompts(), invited ? Flag::Invited : Flag::Confirmed, checked, w.memberRowSet().totalRowCount()))
        return;
    kv::Database &db = *w.dataModule().DatabaseLists;
    kv::MemberFlags op(db, w.progress());
    const bool done = w.runMemberWrite([&] {
        kv::UnitOfWork::run(db, [&] {
            // The save path writes every flag of an edited row as the row set holds
            // it; saved after the statement, a pending edit would put the old flag back.
            save.saveChanges(w.memberRowSet());
            if (invited)
                op.setAllInvited(w.nCurrentListID, checked);
            else
                op.setAllConfirmed(w.nCurrentListID, checked);
        });
    });
    if (done)
        w.RzTabControl1Change();
}

// A change of the selected rows and the save that writes it, as one unit.
bool changeAndSave(TFormListMembers &w, kv::MemberLoadSave &save, const std::function<void()> &change)
{
    kv::Database &db = *w.dataModule().DatabaseLists;
    const bool done = w.runMemberWrite([&] {
        kv::UnitOfWork::run(db, [&] {
            kv::lockListRow(db, w.nCurrentListID);
            change();
            save.saveChanges(w.memberRowSet());
        });
    });
    w.clearGridSelection();
    if (done)
        w.RzTabControl1Change();
    return done;
}

void setSelectedConfirmed(TFormListMembers &w, kv::MemberLoadSave &save, bool checked)
{
    const auto cleanup = qScopeGuard([&w] { w.progress().setPercent(0); });
    w.commitGridEditor();
    kv::MemberFlags op(*w.dataModule().DatabaseLists, w.progress());
    const QList<kv::MemberRowSet::Bookmark> selection = w.gridSelection();
    changeAndSave(w, save, [&] { op.setSelectedConfirmed(w.memberRowSet(), selection, checked); });
}

} // namespace

void TFormListMembers::ActionCheckAllInvitedChecksExecute()
{
    runAction(QStringLiteral("ActionCheckAllInvitedChecksExecute"), [this] { setAllFlags(*this, *m_loadSave, true, true); });
}

void TFormListMembers::ActionClearAllInvitedChecksExecute()
{
    runAction(QStringLiteral("ActionClearAllInvitedChecksExecute"), [this] { setAllFlags(*this, *m_loadSave, true, false); });
}

void TFormListMembers::ActionCheckAllRSVPChecksExecute()
{
    runAction(QStringLiteral("ActionCheckAllRSVPChecksExecute"), [this] { setAllFlags(*this, *m_loadSave, false, true); });
}

void TFormListMembers::ActionClearAllRSVPChecksExecute()
{
    runAction(QStringLiteral("ActionClearAllRSVPChecksExecute"), [this] { setAllFlags(*this, *m_loadSave, false, false); });
}

void TFormListMembers::ActionCheckSelectedRSVPChecksExecute()
{
    runAction(QStringLiteral("ActionCheckSelectedRSVPChecksExecute"), [this] { setSelectedConfirmed(*this, *m_loadSave, true); });
}

void TFormListMembers::ActionClearSelectedRSVPChecksExecute()
{
    runAction(QStringLiteral("ActionClearSelectedRSVPChecksExecute"), [this] { setSelectedConfirmed(*this, *m_loadSave, false); });
}

void TFormListMembers::ActionClickConfirmExecute()
{
    runAction(QStringLiteral("ActionClickConfirmExecute"), [this] { kv::MemberFlags::cycleConfirmed(memberRowSet()); },
              kv::ActionCursor::Unchanged);
}

void TFormListMembers::ActionClickInvitedExecute()
{
    runAction(QStringLiteral("ActionClickInvitedExecute"), [this] { kv::MemberFlags::cycleInvited(memberRowSet()); },
              kv::ActionCursor::Unchanged);
}

// --- Quantities ---------------------------------------------------------------

void TFormListMembers::ActionSetQuantitiesExecute()
{
    // The quantity is typed under the normal cursor; the busy one comes back with OK.
    runAction(
        QStringLiteral("ActionSetQuantitiesExecute"),
        [this] {
            const auto cleanup = qScopeGuard([this] { progress().setPercent(0); });
            TFormGetQuantity dialog(this);
            if (dialog.exec() != QDialog::Accepted)
                return;
            const kv::CursorScope busy;
            commitGridEditor();
            kv::Quantities op(progress());
            const QList<kv::MemberRowSet::Bookmark> selection = gridSelection();
            changeAndSave(*this, *m_loadSave, [&] { op.setSelected(memberRowSet(), selection, dialog.quantity()); });
        },
        kv::ActionCursor::Unchanged);
}

// --- Filters ------------------------------------------------------------------

namespace {

void chooseConfirmedFilter(TFormListMembers &w, TFormListMembersPrivate &d, kv::ConfirmedFilter::State entry)
{
    w.commitGridEditor();
    kv::MemberRowSet &rows = w.memberRowSet();
    // The expression in force tells which entry carries the check mark; it
    // lasts across loads and tab changes.
    kv::ConfirmedFilter filter(kv::ConfirmedFilter::stateOf(rows.filter()));
    kv::Visibility::chooseFilter(rows, filter, entry);
    d.ActionFilterListToConfirmed->setChecked(filter.isChecked(kv::ConfirmedFilter::Checked));
    d.ActionFilterListToUnconfirmed->setChecked(filter.isChecked(kv::ConfirmedFilter::NotChecked));
    d.ActionFilterListToUnknown->setChecked(filter.isChecked(kv::ConfirmedFilter::Unknown));
    d.RzStatusPaneFilter->setText(filter.paneText());
    w.wwDBGridListMembersUpdateFooter();
}

} // namespace

void TFormListMembers::ActionFilterListToConfirmedExecute()
{
    runAction(QStringLiteral("ActionFilterListToConfirmedExecute"), [this] { chooseConfirmedFilter(*this, *d, kv::ConfirmedFilter::Checked); });
}

void TFormListMembers::ActionFilterListToUnconfirmedExecute()
{
    runAction(QStringLiteral("ActionFilterListToUnconfirmedExecute"), [this] { chooseConfirmedFilter(*this, *d, kv::ConfirmedFilter::NotChecked); });
}

void TFormListMembers::ActionFilterListToUnknownExecute()
{
    runAction(QStringLiteral("ActionFilterListToUnknownExecute"), [this] { chooseConfirmedFilter(*this, *d, kv::ConfirmedFilter::Unknown); });
}

// --- Visibility ---------------------------------------------------------------

void TFormListMembers::ActionHideSelectedDaysExecute()
{
    runAction(
        QStringLiteral("ActionHideSelectedDaysExecute"),
        [this] {
        const auto cleanup = qScopeGuard([this] { progress().setPercent(0); });
        // A value still in the grid's editor belongs to its own row, before any row moves.
        commitGridEditor();
        kv::MemberRowSet &rows = memberRowSet();
        const QString rememberedOrder = rows.indexName();
        TFormHideDeliveryDays dialog(this);
        if (dialog.exec() != QDialog::Accepted) {
            kv::Visibility::restoreAfterDays(rows, rememberedOrder);
            return;
        }
        const kv::CursorScope busy;
        kv::Visibility op(*m_dm.DatabaseLists, progress());
        runMemberWrite([&] {
            op.hideByDays(rows, dialog.checkedDays(), [&] {
                // The hides are saved in a unit of their own; the load reads
                // after it has ended, so a failing read can neither undo the
                // hides unnoticed nor show its box while the lock is held.
                kv::UnitOfWork::run(*m_dm.DatabaseLists, [&] {
                    kv::lockListRow(*m_dm.DatabaseLists, nCurrentListID);
                    m_loadSave->saveChanges(rows);
                });
                RzTabControl1Change();
            });
        });
        },
        kv::ActionCursor::Unchanged);
}

void TFormListMembers::ActionHideSelectedExecute()
{
    runAction(QStringLiteral("ActionHideSelectedExecute"), [this] {
        const auto cleanup = qScopeGuard([this] { progress().setPercent(0); });
        commitGridEditor();
        kv::Visibility op(*m_dm.DatabaseLists, progress());
        const QList<kv::MemberRowSet::Bookmark> selection = gridSelection();
        changeAndSave(*this, *m_loadSave, [&] { op.hideSelected(memberRowSet(), selection); });
    });
}

void TFormListMembers::ActionMakeAllVisibleExecute()
{
    runAction(QStringLiteral("ActionMakeAllVisibleExecute"), [this] {
        const auto cleanup = qScopeGuard([this] { progress().setPercent(0); });
        commitGridEditor();
        kv::Visibility op(*m_dm.DatabaseLists, progress());
        if (runMemberWrite([&] { op.makeAllVisible(nCurrentListID); }))
            RzTabControl1Change();
    });
}
