#pragma once

// The members window's controls and actions, kept out of its header: the
// operations reach the window through its handlers, nCurrentListID, the row
// set and the routines its header names; tests find these by object name.

#include <QString>

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabBar;

namespace kv {
class IncrementalSearch;
class MembersGrid;
class RecordNavigator;
class RowSetCursor;
} // namespace kv

class TFormListMembersPrivate
{
public:
    // The sort drop-down's entry shown after every load.
    static constexpr int kLastNameEntry = 2;

    // The name of the selected tab's list (empty with no tabs).
    QString selectedTabName() const;
    // A tab stands for its list by the list's Record_ID (two lists may share
    // a name); its caption is the name with "&" doubled, shown as it is.
    static QString tabCaption(const QString &listName);
    QString tabListName(int tab) const;
    int tabListId(int tab) const;
    // The tab of the list, or -1.
    int tabOfList(int listId) const;

    // Controls
    QTabBar *RzTabControl1 = nullptr;
    kv::MembersGrid *wwDBGridListMembers = nullptr;
    kv::RecordNavigator *wwDBNavigator1 = nullptr;
    kv::RowSetCursor *navigatorCursor = nullptr;
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
    // The label sheet that "Address Labels" and the alignment page print on:
    // one checked entry of three, the described 30-label sheet at first.
    QActionGroup *LabelStocks = nullptr;
    QAction *LabelStock30 = nullptr;
    QAction *LabelStock10 = nullptr;
    QAction *LabelStock14 = nullptr;
    QAction *LabelAlignmentPage1 = nullptr;
    QAction *Export1 = nullptr;
    QAction *About1 = nullptr;
};
