// Building the members window: its actions, controls and menus, each with
// its described object name, wired to the window's handlers.

#include "members/ui/form_list_members.h"
#include "members/ui/form_list_members_p.h"

#include "members/ui/incremental_search.h"
#include "members/ui/members_footer.h"
#include "members/ui/members_grid.h"
#include "members/ui/row_set_cursor.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/mnemonic.h"
#include "shell/ui/run_action.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

void TFormListMembers::buildActions()
{
    auto make = [this](QAction *&a, const char *name, const QString &caption, void (TFormListMembers::*handler)()) {
        a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, a, handler](bool checked) {
            // The filter entries' marks belong to their handlers, not to the click.
            if (a->isCheckable()) {
                const QSignalBlocker block(a);
                a->setChecked(!checked);
            }
            (this->*handler)();
        });
    };
    make(d->ActionAddMembers, "ActionAddMembers", tr("Add"), &TFormListMembers::ActionAddMembersExecute);
    make(d->ActionRemoveSelectedMembers, "ActionRemoveSelectedMembers", kv::withMnemonic(tr("Remove selected names from list"), QStringLiteral("Remove &selected names from list")),
         &TFormListMembers::ActionRemoveSelectedMembersExecute);
    make(d->ActionRemoveAllMembers, "ActionRemoveAllMembers", kv::withMnemonic(tr("Remove all names from list"), QStringLiteral("Remove a&ll names from list")),
         &TFormListMembers::ActionRemoveAllMembersExecute);
    make(d->ActionCopyToNewList, "ActionCopyToNewList", kv::withMnemonic(tr("Copy selected names to another list"), QStringLiteral("&Copy selected names to another list")),
         &TFormListMembers::ActionCopyToNewListExecute);
    make(d->ActionCheckAllInvitedChecks, "ActionCheckAllInvitedChecks", kv::withMnemonic(tr("Check all Invited checkmarks"), QStringLiteral("Check all &Invited checkmarks")),
         &TFormListMembers::ActionCheckAllInvitedChecksExecute);
    make(d->ActionClearAllInvitedChecks, "ActionClearAllInvitedChecks", kv::withMnemonic(tr("Clear all Invited checkmarks"), QStringLiteral("Clear all I&nvited checkmarks")),
         &TFormListMembers::ActionClearAllInvitedChecksExecute);
    make(d->ActionCheckSelectedRSVPChecks, "ActionCheckSelectedRSVPChecks", kv::withMnemonic(tr("Check selected Confirmed checkmarks"), QStringLiteral("Check &selected Confirmed checkmarks")),
         &TFormListMembers::ActionCheckSelectedRSVPChecksExecute);
    make(d->ActionCheckAllRSVPChecks, "ActionCheckAllRSVPChecks", kv::withMnemonic(tr("Check all Confirmed checkmarks"), QStringLiteral("Check &all Confirmed checkmarks")),
         &TFormListMembers::ActionCheckAllRSVPChecksExecute);
    make(d->ActionClearSelectedRSVPChecks, "ActionClearSelectedRSVPChecks", kv::withMnemonic(tr("Clear selected Confirmed checkmarks"), QStringLiteral("C&lear selected Confirmed checkmarks")),
         &TFormListMembers::ActionClearSelectedRSVPChecksExecute);
    make(d->ActionClearAllRSVPChecks, "ActionClearAllRSVPChecks", kv::withMnemonic(tr("Clear all Confirmed checkmarks"), QStringLiteral("Clear all C&onfirmed checkmarks")),
         &TFormListMembers::ActionClearAllRSVPChecksExecute);
    make(d->ActionClickConfirm, "ActionClickConfirm", QString(), &TFormListMembers::ActionClickConfirmExecute);
    make(d->ActionClickInvited, "ActionClickInvited", QString(), &TFormListMembers::ActionClickInvitedExecute);
    make(d->ActionSetQuantities, "ActionSetQuantities", kv::withMnemonic(tr("Set Selected Quantities"), QStringLiteral("Set Selected &Quantities")),
         &TFormListMembers::ActionSetQuantitiesExecute);
    make(d->ActionFilterListToConfirmed, "ActionFilterListToConfirmed", kv::withMnemonic(tr("Filter list to Confirmed status is checked"), QStringLiteral("&Filter list to Confirmed status is checked")),
         &TFormListMembers::ActionFilterListToConfirmedExecute);
    make(d->ActionFilterListToUnconfirmed, "ActionFilterListToUnconfirmed",
         kv::withMnemonic(tr("Filter list to Confirmed status is not checked"), QStringLiteral("Filter list to Confirmed status is no&t checked")), &TFormListMembers::ActionFilterListToUnconfirmedExecute);
    make(d->ActionFilterListToUnknown, "ActionFilterListToUnknown", kv::withMnemonic(tr("Filter list to Confirmed status is unknown"), QStringLiteral("Filter list to Confirmed status is &unknown")),
         &TFormListMembers::ActionFilterListToUnknownExecute);
    make(d->ActionHideSelectedDays, "ActionHideSelectedDays", kv::withMnemonic(tr("Hide specified delivery days"), QStringLiteral("Hide specified &delivery days")),
         &TFormListMembers::ActionHideSelectedDaysExecute);
    make(d->ActionHideSelected, "ActionHideSelected", kv::withMnemonic(tr("Hide selected names"), QStringLiteral("&Hide selected names")),
         &TFormListMembers::ActionHideSelectedExecute);
    make(d->ActionMakeAllVisible, "ActionMakeAllVisible", kv::withMnemonic(tr("Make all names visible"), QStringLiteral("Make all names &visible")),
         &TFormListMembers::ActionMakeAllVisibleExecute);
    make(d->ActionShowClientEditor, "ActionShowClientEditor", tr("Edit Client Info"),
         &TFormListMembers::ActionShowClientEditorExecute);
    make(d->ActionSearch, "ActionSearch", QString(), &TFormListMembers::ActionSearchExecute);
    make(d->Close1, "Close1", kv::withMnemonic(tr("Close"), QStringLiteral("&Close")), &TFormListMembers::Close1Click);
    make(d->PhoneList1, "PhoneList1", kv::withMnemonic(tr("Complete Information"), QStringLiteral("&Complete Information")), &TFormListMembers::PhoneList1Click);
    make(d->PhoneList2, "PhoneList2", kv::withMnemonic(tr("Phone List"), QStringLiteral("&Phone List")), &TFormListMembers::PhoneList2Click);
    make(d->Labels1, "Labels1", kv::withMnemonic(tr("Address Labels"), QStringLiteral("&Address Labels")), &TFormListMembers::Labels1Click);
    d->Export1 = new QAction(kv::withMnemonic(tr("Export"), QStringLiteral("&Export")), this);
    d->Export1->setObjectName(QStringLiteral("Export1"));
    d->Export1->setEnabled(false);
    d->About1 = new QAction(kv::withMnemonic(tr("About"), QStringLiteral("&About")), this);
    d->About1->setObjectName(QStringLiteral("About1"));

    for (QAction *a : {d->ActionFilterListToConfirmed, d->ActionFilterListToUnconfirmed, d->ActionFilterListToUnknown})
        a->setCheckable(true);

    d->ActionClickConfirm->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    d->ActionClickInvited->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    d->ActionSearch->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    for (QAction *a : {d->ActionClickConfirm, d->ActionClickInvited, d->ActionSearch}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
}

void TFormListMembers::buildControls()
{
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 0);
    main->setSpacing(4);

    d->RzTabControl1 = new QTabBar(this);
    d->RzTabControl1->setObjectName(QStringLiteral("RzTabControl1"));
    d->RzTabControl1->setExpanding(false);
    d->RzTabControl1->setUsesScrollButtons(true);
    d->RzTabControl1->setStyleSheet(QStringLiteral("QTabBar::tab:selected { font-weight: bold; }"));
    connect(d->RzTabControl1, &QTabBar::currentChanged, this,
            [this] { runAction(QStringLiteral("RzTabControl1Change"), [this] { RzTabControl1Change(); }); });
    main->addWidget(d->RzTabControl1);

    auto *top = new QHBoxLayout;
    d->BitBtnAdd = new QPushButton(kv::withMnemonic(tr("Add"), QStringLiteral("&Add")), this);
    d->BitBtnAdd->setObjectName(QStringLiteral("BitBtnAdd"));
    connect(d->BitBtnAdd, &QPushButton::clicked, d->ActionAddMembers, &QAction::trigger);
    d->BitBtnDelete = new QPushButton(kv::withMnemonic(tr("Remove"), QStringLiteral("Remo&ve")), this);
    d->BitBtnDelete->setObjectName(QStringLiteral("BitBtnDelete"));
    connect(d->BitBtnDelete, &QPushButton::clicked, d->ActionRemoveSelectedMembers, &QAction::trigger);
    d->BitBtnFulfill = new QPushButton(tr("Add"), this);
    d->BitBtnFulfill->setObjectName(QStringLiteral("BitBtnFulfill"));
    d->BitBtnFulfill->setVisible(false);
    connect(d->BitBtnFulfill, &QPushButton::clicked, d->ActionAddMembers, &QAction::trigger);
    for (QPushButton *b : {d->BitBtnAdd, d->BitBtnDelete, d->BitBtnFulfill}) {
        b->setAutoDefault(false);
        b->setFixedWidth(64);
    }

    {
        using N = kv::RecordNavigator;
        d->navigatorCursor = new kv::RowSetCursor(this);
        d->wwDBNavigator1 = new N(d->navigatorCursor, {N::First, N::PriorPage, N::Prior, N::Next, N::NextPage, N::Last, N::Post, N::Cancel},
                                  QStringLiteral("wwDBNavigator1"), this);
        d->wwDBNavigator1->setObjectName(QStringLiteral("wwDBNavigator1"));
        d->wwDBNavigator1->setMovesWhileRows(true);
        d->wwDBNavigator1->setHint(N::Post, tr("Post edit"));
        d->wwDBNavigator1->setHint(N::Cancel, tr("Cancel edit"));
    }
    d->LabelSort = new QLabel(kv::withMnemonic(tr("Sort:"), QStringLiteral("Sor&t:")), this);
    d->LabelSort->setObjectName(QStringLiteral("LabelSort"));
    d->RzKeyCombo = new QComboBox(this);
    d->RzKeyCombo->setObjectName(QStringLiteral("RzKeyCombo"));
    d->RzKeyCombo->setEditable(false);
    d->RzKeyCombo->addItems(keyComboEntries());
    d->RzKeyCombo->setCurrentIndex(TFormListMembersPrivate::kLastNameEntry);
    d->RzKeyCombo->setMaxVisibleItems(24);
    d->RzKeyCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    d->RzKeyCombo->setMinimumContentsLength(11);
    d->LabelSort->setBuddy(d->RzKeyCombo);
    connect(d->RzKeyCombo, &QComboBox::activated, this, [this](int i) { RzKeyComboChange(i); });
    d->LabelSearch = new QLabel(kv::withMnemonic(tr("Search:"), QStringLiteral("S&earch:")), this);
    d->LabelSearch->setObjectName(QStringLiteral("LabelSearch"));
    d->wwIncrementalSearch1 = new kv::IncrementalSearch(this);
    d->wwIncrementalSearch1->setRowSet(ClientDataSetListMembers);
    d->LabelSearch->setBuddy(d->wwIncrementalSearch1);
    d->wwIncrementalSearch1->setMinimumWidth(90);
    // The window's keys that no menu shows: said where the user looks for them.
    d->wwIncrementalSearch1->setToolTip(tr("Searches the sort column (Ctrl+S)"));
    d->BitBtnClose = new QPushButton(kv::withMnemonic(tr("Close"), QStringLiteral("Cl&ose")), this);
    d->BitBtnClose->setObjectName(QStringLiteral("BitBtnClose"));
    d->BitBtnClose->setAutoDefault(false);
    d->BitBtnClose->setFixedWidth(64);
    connect(d->BitBtnClose, &QPushButton::clicked, this, [this] { close(); });

    top->addWidget(d->BitBtnAdd);
    top->addWidget(d->BitBtnDelete);
    top->addWidget(d->BitBtnFulfill);
    top->addSpacing(8);
    top->addWidget(d->wwDBNavigator1);
    top->addSpacing(8);
    top->addWidget(d->LabelSort);
    top->addWidget(d->RzKeyCombo);
    top->addSpacing(8);
    top->addWidget(d->LabelSearch);
    top->addWidget(d->wwIncrementalSearch1, 1);
    top->addSpacing(8);
    top->addWidget(d->BitBtnClose);
    main->addLayout(top);

    d->wwDBGridListMembers = new kv::MembersGrid(this);
    // The grid has no label of its own; it is spoken as the window is named.
    d->wwDBGridListMembers->setAccessibleName(windowTitle());
    d->wwDBGridListMembers->setRowSet(ClientDataSetListMembers);
    connect(d->wwDBGridListMembers, &kv::MembersGrid::titleButtonClick, this,
            [this](const QString &f) { wwDBGridListMembersTitleButtonClick(f); });
    connect(d->wwDBGridListMembers, &kv::MembersGrid::editClientRequested, d->ActionShowClientEditor, &QAction::trigger);
    connect(d->wwDBGridListMembers, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        d->PopupMenu1->popup(d->wwDBGridListMembers->viewport()->mapToGlobal(p));
    });
    main->addWidget(d->wwDBGridListMembers, 1);
    main->addWidget(d->wwDBGridListMembers->footer());

    connectRowSet();
    buildStatusBar(main);
}

void TFormListMembers::connectRowSet()
{
    d->navigatorCursor->setRowSet(ClientDataSetListMembers);
    // A move posts a pending edit first; whatever fails is shown, never thrown into Qt.
    d->wwDBNavigator1->setRunner([this](kv::RecordNavigator::Button which, const std::function<void()> &step) {
        using N = kv::RecordNavigator;
        switch (which) {
        case N::PriorPage:
            runAction(QStringLiteral("wwDBNavigator1PriorPageClick"), [this] { wwDBNavigator1PriorPageClick(); },
                      kv::ActionCursor::Unchanged);
            break;
        case N::NextPage:
            runAction(QStringLiteral("wwDBNavigator1NextPageClick"), [this] { wwDBNavigator1NextPageClick(); },
                      kv::ActionCursor::Unchanged);
            break;
        case N::Post:
            runAction(QStringLiteral("wwDBNavigator1PostClick"), [this] {
                d->wwDBGridListMembers->commitPendingEditor();
                wwDBNavigator1PostClick();
            });
            break;
        case N::Cancel:
            runAction(QStringLiteral("wwDBNavigator1CancelClick"), [this, &step] {
                d->wwDBGridListMembers->discardPendingEditor();
                step();
            });
            break;
        default:
            runAction(QStringLiteral("wwDBNavigator1Click"), step, kv::ActionCursor::Unchanged);
        }
    });

    connect(ClientDataSetListMembers, &kv::MemberRowSet::writeFailed, this,
            [this](const QString &text) { showError(text); });
    // The footer follows every post and every change of the view.
    connect(ClientDataSetListMembers, &kv::MemberRowSet::totalsChanged, this, [this] { wwDBGridListMembersUpdateFooter(); });
    auto followClient = [this] {
        try {
            m_loadSave->followCurrentRow(*ClientDataSetListMembers);
        } catch (...) {
            // The client row is read again when the editor or a report needs it.
        }
    };
    connect(ClientDataSetListMembers, &kv::MemberRowSet::afterScroll, this, followClient);
    // Moves made while the display was suspended are caught up when it resumes.
    connect(ClientDataSetListMembers, &QAbstractItemModel::modelReset, this, followClient);
}

void TFormListMembers::buildStatusBar(QVBoxLayout *main)
{
    d->RzStatusBar1 = new QStatusBar(this);
    d->RzStatusBar1->setObjectName(QStringLiteral("RzStatusBar1"));
    d->RzStatusBar1->setSizeGripEnabled(false);
    d->RzStatusPaneListName = new QLabel(this);
    d->RzStatusPaneListName->setObjectName(QStringLiteral("RzStatusPaneListName"));
    d->RzStatusPaneListName->setMinimumWidth(140);
    d->RzStatusPaneMemberCount = new QLabel(this);
    d->RzStatusPaneMemberCount->setObjectName(QStringLiteral("RzStatusPaneMemberCount"));
    d->RzStatusPaneMemberCount->setMinimumWidth(110);
    d->RzStatusPaneFilter = new QLabel(tr(qUtf8Printable(kFilterNone)), this);
    d->RzStatusPaneFilter->setObjectName(QStringLiteral("RzStatusPaneFilter"));
    d->RzStatusPaneFilter->setMinimumWidth(180);
    d->RzProgressBar1 = new QProgressBar(this);
    d->RzProgressBar1->setObjectName(QStringLiteral("RzProgressBar1"));
    d->RzProgressBar1->setRange(0, 100);
    d->RzProgressBar1->setValue(0);
    d->RzClockStatus1 = new QLabel(this);
    d->RzClockStatus1->setObjectName(QStringLiteral("RzClockStatus1"));
    d->RzStatusBar1->addWidget(d->RzStatusPaneListName);
    d->RzStatusBar1->addWidget(d->RzStatusPaneMemberCount);
    d->RzStatusBar1->addWidget(d->RzStatusPaneFilter);
    d->RzStatusBar1->addWidget(d->RzProgressBar1, 1);
    d->RzStatusBar1->addPermanentWidget(d->RzClockStatus1);
    auto *clock = new QTimer(this);
    auto tick = [this] { d->RzClockStatus1->setText(QLocale().toString(QTime::currentTime(), QLocale::LongFormat)); };
    connect(clock, &QTimer::timeout, this, tick);
    tick();
    clock->start(1000);
    main->addWidget(d->RzStatusBar1);
}

void TFormListMembers::buildMenus()
{
    d->MainMenu1 = new QMenuBar(this);
    d->MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto *file = d->MainMenu1->addMenu(kv::withMnemonic(tr("File"), QStringLiteral("&File")));
    file->setObjectName(QStringLiteral("File1"));
    file->addAction(d->Close1);

    auto *manage = d->MainMenu1->addMenu(kv::withMnemonic(tr("Manage Members"), QStringLiteral("&Manage Members")));
    manage->setObjectName(QStringLiteral("ManageMembers1"));
    auto *addNames = manage->addAction(kv::withMnemonic(tr("Add Names"), QStringLiteral("&Add Names")));
    addNames->setObjectName(QStringLiteral("AddNames1"));
    connect(addNames, &QAction::triggered, d->ActionAddMembers, &QAction::trigger);
    manage->addSeparator();
    manage->addAction(d->ActionRemoveSelectedMembers);
    manage->addAction(d->ActionRemoveAllMembers);
    manage->addSeparator();
    manage->addAction(d->ActionCopyToNewList);

    auto *checks = d->MainMenu1->addMenu(kv::withMnemonic(tr("Manage Checkmarks and Visibility"), QStringLiteral("Manage &Checkmarks and Visibility")));
    checks->setObjectName(QStringLiteral("ManageCheckmarks1"));
    checks->addAction(d->ActionCheckAllInvitedChecks);
    checks->addAction(d->ActionClearAllInvitedChecks);
    checks->addSeparator();
    checks->addAction(d->ActionCheckSelectedRSVPChecks);
    checks->addAction(d->ActionCheckAllRSVPChecks);
    checks->addAction(d->ActionClearSelectedRSVPChecks);
    checks->addAction(d->ActionClearAllRSVPChecks);
    checks->addSeparator();
    checks->addAction(d->ActionSetQuantities);
    checks->addSeparator();
    checks->addAction(d->ActionFilterListToConfirmed);
    checks->addAction(d->ActionFilterListToUnconfirmed);
    checks->addAction(d->ActionFilterListToUnknown);
    checks->addSeparator();
    checks->addAction(d->ActionHideSelectedDays);
    checks->addAction(d->ActionHideSelected);
    checks->addAction(d->ActionMakeAllVisible);

    auto *reports = d->MainMenu1->addMenu(kv::withMnemonic(tr("Filtered Reports"), QStringLiteral("Filtered &Reports")));
    reports->setObjectName(QStringLiteral("FilteredReports1"));
    auto *print = reports->addMenu(kv::withMnemonic(tr("Print"), QStringLiteral("&Print")));
    print->setObjectName(QStringLiteral("Print1"));
    print->addAction(d->PhoneList1);
    print->addAction(d->PhoneList2);
    print->addAction(d->Labels1);
    buildLabelChoices(print);
    reports->addAction(d->Export1);

    auto *help = d->MainMenu1->addMenu(kv::withMnemonic(tr("Help"), QStringLiteral("&Help")));
    help->setObjectName(QStringLiteral("Help1"));
    help->addAction(d->About1);

    layout()->setMenuBar(d->MainMenu1);

    d->PopupMenu1 = new QMenu(this);
    d->PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto *addToList = d->PopupMenu1->addAction(kv::withMnemonic(tr("Add names to list"), QStringLiteral("A&dd names to list")));
    addToList->setObjectName(QStringLiteral("Addnamestolist1"));
    connect(addToList, &QAction::triggered, d->ActionAddMembers, &QAction::trigger);
    d->PopupMenu1->addSeparator();
    d->PopupMenu1->addAction(d->ActionRemoveSelectedMembers);
    d->PopupMenu1->addAction(d->ActionRemoveAllMembers);
    d->PopupMenu1->addSeparator();
    d->PopupMenu1->addAction(d->ActionCopyToNewList);
    d->PopupMenu1->addSeparator();
    d->PopupMenu1->addAction(d->ActionCheckSelectedRSVPChecks);
    d->PopupMenu1->addAction(d->ActionCheckAllRSVPChecks);
    d->PopupMenu1->addAction(d->ActionClearSelectedRSVPChecks);
    d->PopupMenu1->addAction(d->ActionClearAllRSVPChecks);
    d->PopupMenu1->addSeparator();
    d->PopupMenu1->addAction(d->ActionCheckAllInvitedChecks);
    d->PopupMenu1->addAction(d->ActionClearAllInvitedChecks);
    d->PopupMenu1->addSeparator();
    d->PopupMenu1->addAction(d->ActionSetQuantities);
    d->PopupMenu1->addSeparator();
    d->PopupMenu1->addAction(d->ActionFilterListToConfirmed);
    d->PopupMenu1->addAction(d->ActionFilterListToUnconfirmed);
    d->PopupMenu1->addAction(d->ActionFilterListToUnknown);
    d->PopupMenu1->addSeparator();
    d->PopupMenu1->addAction(d->ActionHideSelectedDays);
    d->PopupMenu1->addAction(d->ActionHideSelected);
    d->PopupMenu1->addAction(d->ActionMakeAllVisible);

    // Built whole, the window is made to fit a small screen; the grid is what gives way.
    kv::fitToScreen(this, 1);
}
