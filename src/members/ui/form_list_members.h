#pragma once

// The members window: one tab per list, the members of the selected tab's list
// in an in-memory row set shown by the grid, and every member operation in its
// menus. The member operations (add, remove, copy, flags, quantities,
// visibility, reports) are handlers of this class defined in
// form_list_members_actions.cpp and form_list_members_reports.cpp; they build
// on:
//   - nCurrentListID: the Record_ID of the list on display;
//   - memberRowSet(): the member row set (ClientDataSetListMembers);
//   - gridSelection() / clearGridSelection(): the selected rows as bookmarks;
//   - RzTabControl1Change(): the load procedure (saves pending edits and reads
//     the list afresh);
//   - runMemberWrite(fn): runs a writing operation with Escape armed; after
//     a rollback shows the text and reads the rows afresh, unsaved edits kept;
//   - wwDBGridListMembersUpdateFooter(): the footer totals;
//   - progress(): the status-bar progress bar RzProgressBar1;
//   - the filter pane RzStatusPaneFilter, through the filter handlers;
//   - prompts(), dataModule(): questions/notices and the data module.

#include "data/prompts.h"
#include "members/member_load_save.h"
#include "members/member_row_set.h"
#include "shell/progress.h"
#include "shell/ui/members_window_opener.h"
#include "shell/ui/run_action.h"

#include <QDialog>
#include <QList>
#include <QLocale>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
class QCloseEvent;
class QShowEvent;
class QKeyEvent;
class QMenu;
class QAction;
class QVBoxLayout;
class TDataModuleLists;
class TFormListMembersPrivate;

namespace kv {
class BarProgress;
class Query;
class MemberLoadSave;
class MembersWindowState;
} // namespace kv

class TFormListMembers : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption;            // "List Members"
    static const QString kPlacementKey;       // "FormListMembers"
    static const QString kSaveBeforeClosing;  // "Save your changes before closing the window?"
    // Asked when another user's change refused the save on closing.
    static const QString kCloseAfterConflict;
    // Asked when saving on closing failed for any other reason (a lock wait that ran out).
    static const QString kCloseAfterFailure;
    // Said on closing while a failed read keeps edits off screen.
    static const QString kEditsNotShown;
    static const QString kMembersPrefix;      // "Members: "
    static const QString kHiddenCount;        // ", %1 hidden", after the count when some are hidden
    static const QString kFilterNone;         // "Filter: None"
    static const QString kLayoutFileName;     // "Brenqui.ini"
    static constexpr int kPageRows = 23;

    TFormListMembers(TDataModuleLists &dataModule, kv::Prompts &prompts, QWidget *parent = nullptr);
    ~TFormListMembers() override;

    // How the lists window opens this window (members_window_opener.cpp):
    // modally, held in FormListMembers while it is open.
    static kv::MembersWindowOpener opener();

    // The Record_ID of the list on display (0 when the selected tab names no list).
    int nCurrentListID = 0;

    kv::MemberRowSet &memberRowSet() { return *ClientDataSetListMembers; }
    kv::MemberRowSet *ClientDataSetListMembers;

    // The grid selection: bookmarks of the selected rows, in the grid's order.
    QList<kv::MemberRowSet::Bookmark> gridSelection() const;
    void clearGridSelection();
    // Hands a value still in the grid's cell editor to its own row, before an
    // operation moves the current row or rebuilds the view.
    void commitGridEditor();

    TDataModuleLists &dataModule() const { return m_dm; }
    kv::Prompts &prompts() const { return m_prompts; }
    // Paints RzProgressBar1 and lets the window repaint.
    kv::Progress &progress();
    // The current member's client row ("Select * from Clients where Person_ID = :Person_ID").
    kv::Query *QueryClientInfo = nullptr;

    // Routines the member operations call.
    void FormShow();
    void RzTabControl1Change();
    // Runs a writing operation (its unit of work inside write) with Escape
    // stopping the status-bar loops. On kv::RolledBack the rows are read
    // afresh from the database, with the user's unsaved edits from before the
    // operation put back, still unsaved, and the rollback goes on to the
    // handler's boundary (another user's change asks its question instead).
    // Other errors pass through. Answers whether write completed.
    bool runMemberWrite(const std::function<void()> &write);
    void wwDBGridListMembersUpdateFooter();
    // RzStatusPaneMemberCount's text: "Members: " and every member of the list
    // (hidden ones included), then ", N hidden" when some are hidden; numbers
    // in the user's locale ("Members: 1,651, 1 hidden").
    static QString memberCountText(int members, int hidden, const QLocale &locale = QLocale());

    // Member operations (form_list_members_actions.cpp)
    void ActionAddMembersExecute();
    void ActionRemoveSelectedMembersExecute();
    void ActionRemoveAllMembersExecute();
    void ActionCopyToNewListExecute();
    void ActionCheckAllInvitedChecksExecute();
    void ActionClearAllInvitedChecksExecute();
    void ActionCheckSelectedRSVPChecksExecute();
    void ActionCheckAllRSVPChecksExecute();
    void ActionClearSelectedRSVPChecksExecute();
    void ActionClearAllRSVPChecksExecute();
    void ActionClickConfirmExecute();
    void ActionClickInvitedExecute();
    void ActionSetQuantitiesExecute();
    void ActionFilterListToConfirmedExecute();
    void ActionFilterListToUnconfirmedExecute();
    void ActionFilterListToUnknownExecute();
    void ActionHideSelectedDaysExecute();
    void ActionHideSelectedExecute();
    void ActionMakeAllVisibleExecute();

    // Reports (form_list_members_reports.cpp)
    void PhoneList1Click();
    void PhoneList2Click();
    void Labels1Click();
    // One page with every label cell of the chosen sheet outlined, in the preview.
    void LabelAlignmentPage1Click();

    // This window's own handlers
    void ActionShowClientEditorExecute();
    void ActionSearchExecute();
    void Close1Click();
    void wwDBGridListMembersTitleButtonClick(const QString &fieldName);
    void RzKeyComboChange(int index);
    void wwDBNavigator1PriorPageClick();
    void wwDBNavigator1NextPageClick();
    // The navigator's Post: the row's edit and every edit posted before are
    // written at once, in one unit of work, as the save on closing does.
    void wwDBNavigator1PostClick();

    // Sort drop-down entries and the group column.
    static QStringList keyComboEntries();
    QString groupColumn() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

private:
    void FormCreate();
    // Saves and closes the row set; false when another user's change refused
    // the save and the user keeps the window open with the edits.
    bool FormClose();
    // Building the window (form_list_members_build.cpp).
    void buildActions();
    void buildMenus();
    void buildControls();
    void connectRowSet(); // the navigator and the row set's signals
    void buildStatusBar(QVBoxLayout *main);
    // The label sheet entries of the Print menu (form_list_members_reports.cpp).
    void buildLabelChoices(QMenu *print);
    void chooseLabelStock(QAction *stock);
    void updateMemberCount();
    void restoreGridLayout();
    void saveGridLayout();
    QString layoutFilePath() const;
    // Every handler's boundary (kv::runAction) with this window's prompts.
    bool runAction(const QString &handler, const std::function<void()> &fn,
                   kv::ActionCursor cursor = kv::ActionCursor::Busy, kv::Prompts::Kind shownAs = kv::Prompts::Kind::Error);
    void showError(const QString &text);
    // The window's one state rule, applied after every load (see the definition).
    // moved: the load moved the state to the tab's list.
    void showListOf(int tab, bool moved);
    // Reads the list afresh, dropping the unsaved edits.
    void reloadDiscardingEdits();

    std::unique_ptr<TFormListMembersPrivate> d;
    TDataModuleLists &m_dm;
    kv::Prompts &m_prompts;
    // The row set, the list on display and their load and save.
    std::unique_ptr<kv::MembersWindowState> m_state;
    kv::MemberLoadSave *m_loadSave = nullptr;
    std::unique_ptr<kv::BarProgress> m_progress;
    bool m_shownOnce = false;
    int m_shownTab = -1; // the tab whose list is on display

    bool m_closed = false;
};

// The process-wide reference: set while the members window is shown.
extern TFormListMembers *FormListMembers;
