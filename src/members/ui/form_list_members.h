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
//   - RzProgressBar1, progress(): the status-bar progress bar;
//   - RzStatusPaneFilter: the filter pane;
//   - prompts(), dataModule(): questions/notices and the data module.

#include "data/prompts.h"
#include "members/member_load_save.h"
#include "members/member_row_set.h"
#include "shell/progress.h"
#include "shell/ui/run_action.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabBar;
class QToolButton;
class QWidget;
class QCloseEvent;
class QShowEvent;
class QKeyEvent;
class TDataModuleLists;

namespace kv {
class BarProgress;
class Query;
class MemberLoadSave;
class MembersGrid;
class MembersNavigator;
class IncrementalSearch;
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
    static const QString kMembersPrefix;      // "Members: "
    static const QString kFilterNone;         // "Filter: None"
    static const QString kLayoutFileName;     // "Brenqui.ini"
    static constexpr int kPageRows = 23;

    TFormListMembers(TDataModuleLists &dataModule, kv::Prompts &prompts, QWidget *parent = nullptr);
    ~TFormListMembers() override;

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
    // stopping the status-bar loops. On kv::RolledBack the text is shown and
    // the rows are read afresh from the database, with the user's unsaved
    // edits from before the operation put back, still unsaved. Other errors
    // pass through. Answers whether write completed.
    bool runMemberWrite(const std::function<void()> &write);
    void wwDBGridListMembersUpdateFooter();

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

    // This window's own handlers
    void ActionShowClientEditorExecute();
    void ActionSearchExecute();
    void Close1Click();
    void wwDBGridListMembersTitleButtonClick(const QString &fieldName);
    void RzKeyComboChange(int index);
    void wwDBNavigator1PriorPageClick();
    void wwDBNavigator1NextPageClick();

    // Sort drop-down entries and the group column.
    static const QStringList &keyComboEntries();
    QString groupColumn() const;

    // Controls
    QTabBar *RzTabControl1 = nullptr;
    kv::MembersGrid *wwDBGridListMembers = nullptr;
    kv::MembersNavigator *wwDBNavigator1 = nullptr;
    QPushButton *BitBtnAdd = nullptr;
    QPushButton *BitBtnDelete = nullptr;
    QPushButton *BitBtnFulfill = nullptr;
    QPushButton *BitBtnClose = nullptr;
    QLabel *LabelSort = nullptr;
    QComboBox *RzKeyCombo = nullptr;
    QLabel *LabelSearch = nullptr;
    kv::IncrementalSearch *wwIncrementalSearch1 = nullptr;
    QStatusBar *RzStatusBar1 = nullptr;
    QLabel *RzStatusPaneListName = nullptr;
    QLabel *RzStatusPaneMemberCount = nullptr;
    QLabel *RzStatusPaneFilter = nullptr;
    QProgressBar *RzProgressBar1 = nullptr;
    QLabel *RzClockStatus1 = nullptr;
    QMenuBar *MainMenu1 = nullptr;
    QMenu *PopupMenu1 = nullptr;

    // Actions
    QAction *ActionAddMembers = nullptr;
    QAction *ActionRemoveSelectedMembers = nullptr;
    QAction *ActionRemoveAllMembers = nullptr;
    QAction *ActionCopyToNewList = nullptr;
    QAction *ActionCheckAllInvitedChecks = nullptr;
    QAction *ActionClearAllInvitedChecks = nullptr;
    QAction *ActionCheckSelectedRSVPChecks = nullptr;
    QAction *ActionCheckAllRSVPChecks = nullptr;
    QAction *ActionClearSelectedRSVPChecks = nullptr;
    QAction *ActionClearAllRSVPChecks = nullptr;
    QAction *ActionClickConfirm = nullptr;
    QAction *ActionClickInvited = nullptr;
    QAction *ActionSetQuantities = nullptr;
    // The three filter entries are checkable and carry the filter's check mark;
    // a click leaves the mark as it was, so the handler decides it.
    QAction *ActionFilterListToConfirmed = nullptr;
    QAction *ActionFilterListToUnconfirmed = nullptr;
    QAction *ActionFilterListToUnknown = nullptr;
    QAction *ActionHideSelectedDays = nullptr;
    QAction *ActionHideSelected = nullptr;
    QAction *ActionMakeAllVisible = nullptr;
    QAction *ActionShowClientEditor = nullptr;
    QAction *ActionSearch = nullptr;
    QAction *Close1 = nullptr;
    QAction *PhoneList1 = nullptr;
    QAction *PhoneList2 = nullptr;
    QAction *Labels1 = nullptr;
    QAction *Export1 = nullptr;
    QAction *About1 = nullptr;

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
    void buildActions();
    void buildMenus();
    void buildControls();
    void updateMemberCount();
    void restoreGridLayout();
    void saveGridLayout();
    QString layoutFilePath() const;
    // Every handler's boundary (kv::runAction) with this window's prompts.
    bool runAction(const QString &handler, const std::function<void()> &fn,
                   kv::ActionCursor cursor = kv::ActionCursor::Busy);
    void showError(const QString &text);
    void reloadKeeping(const std::vector<kv::MemberRowSet::PendingEdit> &edits);
    // The window's one state rule, applied after every load (see the definition).
    void showListOf(int tab, const kv::MemberLoadSave::LoadResult &result);
    // Reads the list afresh, dropping the unsaved edits.
    void reloadDiscardingEdits();

    TDataModuleLists &m_dm;
    kv::Prompts &m_prompts;
    std::unique_ptr<kv::MemberLoadSave> m_loadSave;
    std::unique_ptr<kv::BarProgress> m_progress;
    bool m_shownOnce = false;
    int m_shownTab = -1; // the tab whose list is on display

    bool m_closed = false;
};

// The process-wide reference: set while the members window is shown.
extern TFormListMembers *FormListMembers;
