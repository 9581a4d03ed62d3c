// Member operations of the members window: adding, removing, copying, the
// invited and confirmed flags, quantities, visibility and filters. Each
// handler reads its dialog or the grid, hands the work to its operation
// through runMemberWrite (one unit of work, Escape stops its loop) and ends
// with the load procedure where the operation calls for it. Operations that
// change the row set commit its save in the same unit as the change.

#include "members/ui/form_list_members.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
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

#include <QAction>
#include <QLabel>

namespace {

template<typename F>
struct Finally
{
    F f;
    ~Finally() { f(); }
};
template<typename F>
Finally(F) -> Finally<F>;

} // namespace

// --- Adding members -----------------------------------------------------------

void TFormListMembers::ActionAddMembersExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionAddMembersExecute"));
    Finally cleanup{[this] {
        progress().setPercent(0);
        delete FormAddListMembers;
        FormAddListMembers = nullptr;
    }};
    try {
        FormAddListMembers = new TFormAddListMembers(*m_dm.QueryServices, *m_dm.QueryClientLookUp, this);
        // Clients added in the host meanwhile appear in the lookup.
        m_dm.QueryClientLookUp->close();
        m_dm.QueryClientLookUp->open();
        if (FormAddListMembers->exec() != QDialog::Accepted)
            return;
        kv::CursorScope busy(Qt::WaitCursor);
        kv::AddMembers op(*m_dm.DatabaseLists, m_prompts, progress());
        if (runMemberWrite([&] { op.run(nCurrentListID, FormAddListMembers->choice()); }))
            RzTabControl1Change();
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

// --- Removing members ---------------------------------------------------------

void TFormListMembers::ActionRemoveSelectedMembersExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionRemoveSelectedMembersExecute"));
    kv::CursorScope busy(Qt::WaitCursor);
    Finally cleanup{[this] { progress().setPercent(0); }};
    try {
        // A value still in the grid's editor belongs to its row before rows leave.
        commitGridEditor();
        kv::RemoveMembers op(*m_dm.DatabaseLists, m_prompts, progress());
        const QList<kv::MemberRowSet::Bookmark> selection = gridSelection();
        if (runMemberWrite([&] { op.removeSelected(memberRowSet(), selection); })) {
            clearGridSelection();
            RzTabControl1Change();
        }
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionRemoveAllMembersExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionRemoveAllMembersExecute"));
    kv::CursorScope busy(Qt::WaitCursor);
    Finally cleanup{[this] { progress().setPercent(0); }};
    try {
        commitGridEditor();
        if (memberRowSet().state() == kv::DataState::Edit)
            memberRowSet().post();
        kv::RemoveMembers op(*m_dm.DatabaseLists, m_prompts, progress());
        if (runMemberWrite([&] { op.removeAll(nCurrentListID); }))
            RzTabControl1Change();
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

// --- Copying members ----------------------------------------------------------

void TFormListMembers::ActionCopyToNewListExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionCopyToNewListExecute"));
    kv::CursorScope busy(Qt::WaitCursor);
    Finally cleanup{[this] {
        clearGridSelection();
        delete FormSaveToNewList;
        FormSaveToNewList = nullptr;
        progress().setPercent(0);
    }};
    try {
        commitGridEditor();
        kv::MemberRowSet &rows = memberRowSet();
        if (rows.state() == kv::DataState::Edit)
            rows.post();
        const QList<kv::MemberRowSet::Bookmark> selection = gridSelection();
        if (selection.isEmpty())
            return;
        FormSaveToNewList = new TFormSaveToNewList(*m_dm.DatabaseLists, m_prompts, this);
        // With no other list to copy into, the dialog starts on "New List".
        if (m_dm.QueryLists->isOpen() && m_dm.QueryLists->recordCount() < 2)
            FormSaveToNewList->setStartTab(TFormSaveToNewList::kNewListTab);
        if (FormSaveToNewList->exec() != QDialog::Accepted)
            return;
        const QString kind = FormSaveToNewList->cNewOrExistingList;
        // A new list the dialog posted commits with the copies or not at all.
        const std::unique_ptr<kv::UnitOfWork> posted = FormSaveToNewList->takeUnitOfWork();
        const auto copy = [&] {
            int destination = FormSaveToNewList->nSelectedListID;
            if (destination <= 0)
                destination = kv::CopyMembers::destinationByName(*m_dm.QueryGetListIDFromListName,
                                                                 FormSaveToNewList->cSelectedListName);
            if (destination <= 0)
                throw kv::Error(TFormSaveToNewList::kErrorLocatingList);
            kv::CopyMembers op(*m_dm.DatabaseLists, progress());
            op.copy(rows, selection, destination, kind != QLatin1String("N"), FormSaveToNewList->saveOptions());
        };
        const bool copied = runMemberWrite([&] {
            if (posted)
                kv::UnitOfWork::complete(*posted, copy);
            else
                kv::UnitOfWork::run(*m_dm.DatabaseLists, copy);
        });
        clearGridSelection();
        if (!copied)
            return;
        if (kind == QLatin1String("N")) {
            // The new list joins the tabs; the list on display stays current.
            kv::Query &lists = *m_dm.QueryLists;
            const QVariant current = lists.isOpen() && lists.recNo() >= 0 ? lists.fieldValue(QStringLiteral("Record_ID"))
                                                                          : QVariant();
            lists.close();
            lists.open();
            if (current.isValid())
                lists.locate({QStringLiteral("Record_ID")}, {current});
            FormShow();
        }
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

// --- Invited and confirmed flags ----------------------------------------------

namespace {

void setAllFlags(TFormListMembers &w, kv::MemberLoadSave &save, bool invited, bool checked)
{
    kv::CursorScope busy(Qt::WaitCursor);
    Finally cleanup{[&w] { w.progress().setPercent(0); }};
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
    kv::CursorScope busy(Qt::WaitCursor);
    Finally cleanup{[&w] { w.progress().setPercent(0); }};
    w.commitGridEditor();
    kv::MemberFlags op(*w.dataModule().DatabaseLists, w.progress());
    const QList<kv::MemberRowSet::Bookmark> selection = w.gridSelection();
    changeAndSave(w, save, [&] { op.setSelectedConfirmed(w.memberRowSet(), selection, checked); });
}

} // namespace

void TFormListMembers::ActionCheckAllInvitedChecksExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionCheckAllInvitedChecksExecute"));
    try {
        setAllFlags(*this, *m_loadSave, true, true);
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionClearAllInvitedChecksExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionClearAllInvitedChecksExecute"));
    try {
        setAllFlags(*this, *m_loadSave, true, false);
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionCheckAllRSVPChecksExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionCheckAllRSVPChecksExecute"));
    try {
        setAllFlags(*this, *m_loadSave, false, true);
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionClearAllRSVPChecksExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionClearAllRSVPChecksExecute"));
    try {
        setAllFlags(*this, *m_loadSave, false, false);
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionCheckSelectedRSVPChecksExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionCheckSelectedRSVPChecksExecute"));
    try {
        setSelectedConfirmed(*this, *m_loadSave, true);
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionClearSelectedRSVPChecksExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionClearSelectedRSVPChecksExecute"));
    try {
        setSelectedConfirmed(*this, *m_loadSave, false);
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionClickConfirmExecute()
{
    try {
        kv::MemberFlags::cycleConfirmed(memberRowSet());
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionClickInvitedExecute()
{
    try {
        kv::MemberFlags::cycleInvited(memberRowSet());
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

// --- Quantities ---------------------------------------------------------------

void TFormListMembers::ActionSetQuantitiesExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionSetQuantitiesExecute"));
    TFormGetQuantity dialog(this);
    kv::CursorScope busy(Qt::WaitCursor);
    Finally cleanup{[this] { progress().setPercent(0); }};
    try {
        if (dialog.exec() != QDialog::Accepted)
            return;
        commitGridEditor();
        kv::Quantities op(progress());
        const QList<kv::MemberRowSet::Bookmark> selection = gridSelection();
        changeAndSave(*this, *m_loadSave, [&] { op.setSelected(memberRowSet(), selection, dialog.quantity()); });
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

// --- Filters ------------------------------------------------------------------

namespace {

void chooseConfirmedFilter(TFormListMembers &w, kv::ConfirmedFilter::State entry)
{
    w.commitGridEditor();
    kv::MemberRowSet &rows = w.memberRowSet();
    // The expression in force tells which entry carries the check mark; it
    // lasts across loads and tab changes.
    kv::ConfirmedFilter filter(kv::ConfirmedFilter::stateOf(rows.filter()));
    kv::Visibility::chooseFilter(rows, filter, entry);
    w.ActionFilterListToConfirmed->setChecked(filter.isChecked(kv::ConfirmedFilter::Checked));
    w.ActionFilterListToUnconfirmed->setChecked(filter.isChecked(kv::ConfirmedFilter::NotChecked));
    w.ActionFilterListToUnknown->setChecked(filter.isChecked(kv::ConfirmedFilter::Unknown));
    w.RzStatusPaneFilter->setText(filter.paneText());
    w.wwDBGridListMembersUpdateFooter();
}

} // namespace

void TFormListMembers::ActionFilterListToConfirmedExecute()
{
    try {
        chooseConfirmedFilter(*this, kv::ConfirmedFilter::Checked);
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionFilterListToUnconfirmedExecute()
{
    try {
        chooseConfirmedFilter(*this, kv::ConfirmedFilter::NotChecked);
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionFilterListToUnknownExecute()
{
    try {
        chooseConfirmedFilter(*this, kv::ConfirmedFilter::Unknown);
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

// --- Visibility ---------------------------------------------------------------

void TFormListMembers::ActionHideSelectedDaysExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionHideSelectedDaysExecute"));
    // A value still in the grid's editor belongs to its own row, before any row moves.
    commitGridEditor();
    kv::MemberRowSet &rows = memberRowSet();
    const QString rememberedOrder = rows.indexName();
    TFormHideDeliveryDays dialog(this);
    Finally cleanup{[this] { progress().setPercent(0); }};
    try {
        if (dialog.exec() != QDialog::Accepted) {
            kv::Visibility::restoreAfterDays(rows, rememberedOrder);
            return;
        }
        kv::Visibility op(*m_dm.DatabaseLists, progress());
        runMemberWrite([&] {
            kv::UnitOfWork::run(*m_dm.DatabaseLists, [&] {
                op.hideByDays(rows, dialog.checkedDays(), [&] {
                    // Saved before the load, in this unit: the load then only reads.
                    m_loadSave->saveChanges(rows);
                    RzTabControl1Change();
                });
            });
        });
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionHideSelectedExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionHideSelectedExecute"));
    kv::CursorScope busy(Qt::WaitCursor);
    Finally cleanup{[this] { progress().setPercent(0); }};
    try {
        commitGridEditor();
        kv::Visibility op(*m_dm.DatabaseLists, progress());
        const QList<kv::MemberRowSet::Bookmark> selection = gridSelection();
        changeAndSave(*this, *m_loadSave, [&] { op.hideSelected(memberRowSet(), selection); });
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}

void TFormListMembers::ActionMakeAllVisibleExecute()
{
    kv::TraceScope trace(QStringLiteral("TFormListMembers.ActionMakeAllVisibleExecute"));
    kv::CursorScope busy(Qt::WaitCursor);
    Finally cleanup{[this] { progress().setPercent(0); }};
    try {
        commitGridEditor();
        kv::Visibility op(*m_dm.DatabaseLists, progress());
        if (runMemberWrite([&] { op.makeAllVisible(nCurrentListID); }))
            RzTabControl1Change();
    } catch (const kv::Error &e) {
        showError(e.text());
    }
}
