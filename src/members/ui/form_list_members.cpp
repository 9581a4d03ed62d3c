#include "members/ui/form_list_members.h"

#include "members/ui/bar_progress.h"
#include "data/engine/unit_of_work.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/trace.h"
#include "members/member_load_save.h"
#include "members/ui/form_client_editor.h"
#include "members/ui/members_grid.h"
#include "shell/ui/busy_cursor.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/run_action.h"
#include "shell/window_placement.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

TFormListMembers *FormListMembers = nullptr;

const QString TFormListMembers::kCaption = QStringLiteral("List Members");
const QString TFormListMembers::kPlacementKey = QStringLiteral("FormListMembers");
const QString TFormListMembers::kSaveBeforeClosing = QStringLiteral("Save your changes before closing the window?");
const QString TFormListMembers::kCloseAfterConflict =
    QStringLiteral("Close the window without saving your changes?\n\n"
                   "Yes closes it and discards them.\n"
                   "No keeps the window open with your changes; saving them again writes them over the other user's values.");
const QString TFormListMembers::kCloseAfterFailure =
    QStringLiteral("Close the window without saving your changes?\n\n"
                   "Yes closes it and discards them.\n"
                   "No keeps the window open with your changes, to save them again.");
const QString TFormListMembers::kMembersPrefix = QStringLiteral("Members: ");
const QString TFormListMembers::kFilterNone = QStringLiteral("Filter: None");
const QString TFormListMembers::kLayoutFileName = QStringLiteral("Brenqui.ini");

namespace {

const QString kLayoutGroup = QStringLiteral("FormListMembers.wwDBGridListMembers");
const QString kInitialFilter = QStringLiteral("RecVisible = True");
// RecVisible has no grid column; the menus speak of visible names.
const QString kVisibleCaption = QStringLiteral("Visible");

// The sort drop-down: its entries and the named order each one selects. The
// column an order sorts by comes from the row set's order table; its title
// selects the entry (byTitle) and, for some, groups the grid by it (groups).
struct SortEntry
{
    const char *caption;
    const char *order;
    bool byTitle;
    bool groups;

    int field() const { return kv::MemberRowSet::orderField(QString::fromLatin1(order)); }
    int titleField() const { return byTitle ? field() : -1; }
    int groupField() const { return groups ? field() : -1; }
};
const SortEntry kSortEntries[] = {
    {"Client ID", "Client_ID", true, false},
    {"First Name", "First_Name", true, false},
    {"Last Name", "Last_Name", true, false},
    {"City", "City", true, true},
    {"Invited", "Invited", true, false},
    {"Confirmed", "Confirmed", true, false},
    {"Quantity", "Quantity", true, false},
    {"Service", "Service_Desc", true, true},
    {"Status", "Status", true, false},
    {"Start Date", "Start", true, false},
    {"Stop Date", "Stop", true, false},
    {"Dependent", "Dependent", true, false},
    {"Household Name", "Household_Name", true, true},
    {"Delivery Type", "Delivery_Type", true, false},
    {"Default Route", "Def_Rte", true, true},
    {"Monday", "Monday", true, true},
    {"Tuesday", "Tuesday", true, true},
    {"Wednesday", "Wednesday", true, true},
    {"Thursday", "Thursday", true, true},
    {"Friday", "Friday", true, true},
    {"Saturday", "Saturday", true, true},
    {"Sunday", "Sunday", true, true},
    {"Date Added", "Added", true, false},
    {"Date Added (recent first)", "Added_Desc", false, false},
};
constexpr int kLastNameEntry = 2;

} // namespace

const QStringList &TFormListMembers::keyComboEntries()
{
    static const QStringList entries = [] {
        QStringList l;
        for (const SortEntry &e : kSortEntries)
            l << QString::fromLatin1(e.caption);
        return l;
    }();
    return entries;
}

TFormListMembers::TFormListMembers(TDataModuleLists &dataModule, kv::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_dm(dataModule)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("FormListMembers"));
    setWindowTitle(kCaption);
    resize(800, 600);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    ClientDataSetListMembers = new kv::MemberRowSet(this);
    ClientDataSetListMembers->setFilter(kInitialFilter);
    ClientDataSetListMembers->setFiltered(true);
    m_loadSave = std::make_unique<kv::MemberLoadSave>(m_dm, m_prompts);
    QueryClientInfo = m_loadSave->QueryClientInfo;
    // Another user's change is reported with the grid's titles, not column names.
    QHash<int, QString> captions{{kv::MemberRowSet::RecVisible, kVisibleCaption}};
    for (const kv::GridColumn &c : kv::MembersGrid::designColumns())
        captions.insert(c.field, QString(c.title).remove(QLatin1Char('~')));
    m_loadSave->setColumnCaptions(captions);

    buildActions();
    buildControls();
    buildMenus();
    m_progress = std::make_unique<kv::BarProgress>(RzProgressBar1, this);

    FormCreate();
}

TFormListMembers::~TFormListMembers()
{
    if (FormListMembers == this)
        FormListMembers = nullptr;
    // The grid goes before the row set it shows.
    delete wwDBGridListMembers;
    wwDBGridListMembers = nullptr;
}

kv::Progress &TFormListMembers::progress()
{
    return *m_progress;
}

QList<kv::MemberRowSet::Bookmark> TFormListMembers::gridSelection() const
{
    return wwDBGridListMembers->selectedBookmarks();
}

void TFormListMembers::clearGridSelection()
{
    wwDBGridListMembers->clearGridSelection();
}

void TFormListMembers::commitGridEditor()
{
    wwDBGridListMembers->commitPendingEditor();
}

void TFormListMembers::showError(const QString &text)
{
    m_prompts.show(kv::Prompts::Kind::Error, text);
}

bool TFormListMembers::runAction(const QString &handler, const std::function<void()> &fn, kv::ActionCursor cursor)
{
    return kv::runAction(m_prompts, QStringLiteral("TFormListMembers.") + handler, fn, cursor);
}

bool TFormListMembers::runMemberWrite(const std::function<void()> &write)
{
    kv::MemberRowSet &rows = *ClientDataSetListMembers;
    commitGridEditor();
    if (rows.state() == kv::DataState::Edit)
        rows.post();
    const std::vector<kv::MemberRowSet::PendingEdit> edits = rows.pendingEdits();
    try {
        m_progress->arm();
        write();
        m_progress->disarm();
        return true;
    } catch (const kv::RolledBack &e) {
        m_progress->disarm();
        if (e.conflict()) {
            // The rows on display hold the user's edits, this operation's
            // included: they stay unless the user asks for the stored values.
            if (m_loadSave->reloadAfterConflict(rows, e))
                reloadDiscardingEdits();
            return false;
        }
        showError(e.text());
        reloadKeeping(edits);
    } catch (...) {
        m_progress->disarm();
        throw;
    }
    return false;
}

void TFormListMembers::reloadDiscardingEdits()
{
    kv::MemberRowSet &rows = *ClientDataSetListMembers;
    if (rows.state() == kv::DataState::Edit)
        rows.cancel();
    rows.close(); // closed, the load reads the rows without saving anything
    RzTabControl1Change();
}

void TFormListMembers::reloadKeeping(const std::vector<kv::MemberRowSet::PendingEdit> &edits)
{
    kv::MemberRowSet &rows = *ClientDataSetListMembers;
    // Closed first so the load reads the rows without saving anything.
    if (rows.state() == kv::DataState::Edit)
        rows.cancel();
    rows.close();
    RzTabControl1Change();
    rows.restorePendingEdits(edits);
    wwDBGridListMembersUpdateFooter();
}

// ---------------------------------------------------------------------------
// Building the window

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
    make(ActionAddMembers, "ActionAddMembers", QStringLiteral("Add"), &TFormListMembers::ActionAddMembersExecute);
    make(ActionRemoveSelectedMembers, "ActionRemoveSelectedMembers", QStringLiteral("Remove selected names from list"),
         &TFormListMembers::ActionRemoveSelectedMembersExecute);
    make(ActionRemoveAllMembers, "ActionRemoveAllMembers", QStringLiteral("Remove all names from list"),
         &TFormListMembers::ActionRemoveAllMembersExecute);
    make(ActionCopyToNewList, "ActionCopyToNewList", QStringLiteral("Copy selected names to another list"),
         &TFormListMembers::ActionCopyToNewListExecute);
    make(ActionCheckAllInvitedChecks, "ActionCheckAllInvitedChecks", QStringLiteral("Check all Invited checkmarks"),
         &TFormListMembers::ActionCheckAllInvitedChecksExecute);
    make(ActionClearAllInvitedChecks, "ActionClearAllInvitedChecks", QStringLiteral("Clear all Invited checkmarks"),
         &TFormListMembers::ActionClearAllInvitedChecksExecute);
    make(ActionCheckSelectedRSVPChecks, "ActionCheckSelectedRSVPChecks", QStringLiteral("Check selected Confirmed checkmarks"),
         &TFormListMembers::ActionCheckSelectedRSVPChecksExecute);
    make(ActionCheckAllRSVPChecks, "ActionCheckAllRSVPChecks", QStringLiteral("Check all Confirmed checkmarks"),
         &TFormListMembers::ActionCheckAllRSVPChecksExecute);
    make(ActionClearSelectedRSVPChecks, "ActionClearSelectedRSVPChecks", QStringLiteral("Clear selected Confirmed checkmarks"),
         &TFormListMembers::ActionClearSelectedRSVPChecksExecute);
    make(ActionClearAllRSVPChecks, "ActionClearAllRSVPChecks", QStringLiteral("Clear all Confirmed checkmarks"),
         &TFormListMembers::ActionClearAllRSVPChecksExecute);
    make(ActionClickConfirm, "ActionClickConfirm", QString(), &TFormListMembers::ActionClickConfirmExecute);
    make(ActionClickInvited, "ActionClickInvited", QString(), &TFormListMembers::ActionClickInvitedExecute);
    make(ActionSetQuantities, "ActionSetQuantities", QStringLiteral("Set Selected Quantities"),
         &TFormListMembers::ActionSetQuantitiesExecute);
    make(ActionFilterListToConfirmed, "ActionFilterListToConfirmed", QStringLiteral("Filter list to Confirmed status is checked"),
         &TFormListMembers::ActionFilterListToConfirmedExecute);
    make(ActionFilterListToUnconfirmed, "ActionFilterListToUnconfirmed",
         QStringLiteral("Filter list to Confirmed status is not checked"), &TFormListMembers::ActionFilterListToUnconfirmedExecute);
    make(ActionFilterListToUnknown, "ActionFilterListToUnknown", QStringLiteral("Filter list to Confirmed status is unknown"),
         &TFormListMembers::ActionFilterListToUnknownExecute);
    make(ActionHideSelectedDays, "ActionHideSelectedDays", QStringLiteral("Hide specified delivery days"),
         &TFormListMembers::ActionHideSelectedDaysExecute);
    make(ActionHideSelected, "ActionHideSelected", QStringLiteral("Hide selected names"), &TFormListMembers::ActionHideSelectedExecute);
    make(ActionMakeAllVisible, "ActionMakeAllVisible", QStringLiteral("Make all names visible"),
         &TFormListMembers::ActionMakeAllVisibleExecute);
    make(ActionShowClientEditor, "ActionShowClientEditor", QStringLiteral("Edit Client Info"),
         &TFormListMembers::ActionShowClientEditorExecute);
    make(ActionSearch, "ActionSearch", QString(), &TFormListMembers::ActionSearchExecute);
    make(Close1, "Close1", QStringLiteral("Close"), &TFormListMembers::Close1Click);
    make(PhoneList1, "PhoneList1", QStringLiteral("Complete Information"), &TFormListMembers::PhoneList1Click);
    make(PhoneList2, "PhoneList2", QStringLiteral("Phone List"), &TFormListMembers::PhoneList2Click);
    make(Labels1, "Labels1", QStringLiteral("Address Labels"), &TFormListMembers::Labels1Click);
    Export1 = new QAction(QStringLiteral("Export"), this);
    Export1->setObjectName(QStringLiteral("Export1"));
    Export1->setEnabled(false);
    About1 = new QAction(QStringLiteral("About"), this);
    About1->setObjectName(QStringLiteral("About1"));

    for (QAction *a : {ActionFilterListToConfirmed, ActionFilterListToUnconfirmed, ActionFilterListToUnknown})
        a->setCheckable(true);

    ActionClickConfirm->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    ActionClickInvited->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    ActionSearch->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    for (QAction *a : {ActionClickConfirm, ActionClickInvited, ActionSearch}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
}

void TFormListMembers::buildControls()
{
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 0);
    main->setSpacing(4);

    RzTabControl1 = new QTabBar(this);
    RzTabControl1->setObjectName(QStringLiteral("RzTabControl1"));
    RzTabControl1->setExpanding(false);
    RzTabControl1->setUsesScrollButtons(true);
    RzTabControl1->setStyleSheet(QStringLiteral("QTabBar::tab:selected { font-weight: bold; }"));
    connect(RzTabControl1, &QTabBar::currentChanged, this,
            [this] { runAction(QStringLiteral("RzTabControl1Change"), [this] { RzTabControl1Change(); }); });
    main->addWidget(RzTabControl1);

    auto *top = new QHBoxLayout;
    BitBtnAdd = new QPushButton(QStringLiteral("Add"), this);
    BitBtnAdd->setObjectName(QStringLiteral("BitBtnAdd"));
    connect(BitBtnAdd, &QPushButton::clicked, ActionAddMembers, &QAction::trigger);
    BitBtnDelete = new QPushButton(QStringLiteral("Remove"), this);
    BitBtnDelete->setObjectName(QStringLiteral("BitBtnDelete"));
    connect(BitBtnDelete, &QPushButton::clicked, ActionRemoveSelectedMembers, &QAction::trigger);
    BitBtnFulfill = new QPushButton(QStringLiteral("Add"), this);
    BitBtnFulfill->setObjectName(QStringLiteral("BitBtnFulfill"));
    BitBtnFulfill->setVisible(false);
    connect(BitBtnFulfill, &QPushButton::clicked, ActionAddMembers, &QAction::trigger);
    for (QPushButton *b : {BitBtnAdd, BitBtnDelete, BitBtnFulfill}) {
        b->setAutoDefault(false);
        b->setFixedWidth(64);
    }

    wwDBNavigator1 = new kv::MembersNavigator(this);
    LabelSort = new QLabel(QStringLiteral("Sort:"), this);
    LabelSort->setObjectName(QStringLiteral("LabelSort"));
    RzKeyCombo = new QComboBox(this);
    RzKeyCombo->setObjectName(QStringLiteral("RzKeyCombo"));
    RzKeyCombo->setEditable(false);
    RzKeyCombo->addItems(keyComboEntries());
    RzKeyCombo->setCurrentIndex(kLastNameEntry);
    RzKeyCombo->setMaxVisibleItems(24);
    RzKeyCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    RzKeyCombo->setMinimumContentsLength(11);
    LabelSort->setBuddy(RzKeyCombo);
    connect(RzKeyCombo, &QComboBox::activated, this, [this](int i) { RzKeyComboChange(i); });
    LabelSearch = new QLabel(QStringLiteral("Search:"), this);
    LabelSearch->setObjectName(QStringLiteral("LabelSearch"));
    wwIncrementalSearch1 = new kv::IncrementalSearch(this);
    wwIncrementalSearch1->setRowSet(ClientDataSetListMembers);
    LabelSearch->setBuddy(wwIncrementalSearch1);
    wwIncrementalSearch1->setMinimumWidth(90);
    BitBtnClose = new QPushButton(QStringLiteral("Close"), this);
    BitBtnClose->setObjectName(QStringLiteral("BitBtnClose"));
    BitBtnClose->setAutoDefault(false);
    BitBtnClose->setFixedWidth(64);
    connect(BitBtnClose, &QPushButton::clicked, this, [this] { close(); });

    top->addWidget(BitBtnAdd);
    top->addWidget(BitBtnDelete);
    top->addWidget(BitBtnFulfill);
    top->addSpacing(8);
    top->addWidget(wwDBNavigator1);
    top->addSpacing(8);
    top->addWidget(LabelSort);
    top->addWidget(RzKeyCombo);
    top->addSpacing(8);
    top->addWidget(LabelSearch);
    top->addWidget(wwIncrementalSearch1, 1);
    top->addSpacing(8);
    top->addWidget(BitBtnClose);
    main->addLayout(top);

    wwDBGridListMembers = new kv::MembersGrid(this);
    wwDBGridListMembers->setRowSet(ClientDataSetListMembers);
    connect(wwDBGridListMembers, &kv::MembersGrid::titleButtonClick, this,
            [this](const QString &f) { wwDBGridListMembersTitleButtonClick(f); });
    connect(wwDBGridListMembers, &kv::MembersGrid::editClientRequested, ActionShowClientEditor, &QAction::trigger);
    connect(wwDBGridListMembers, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        PopupMenu1->popup(wwDBGridListMembers->viewport()->mapToGlobal(p));
    });
    main->addWidget(wwDBGridListMembers, 1);
    main->addWidget(wwDBGridListMembers->footer());

    wwDBNavigator1->setRowSet(ClientDataSetListMembers);
    // A move posts a pending edit first; whatever fails is shown, never thrown into Qt.
    const auto move = [this](void (kv::MemberRowSet::*step)()) {
        return [this, step] {
            runAction(QStringLiteral("wwDBNavigator1Click"), [this, step] { (ClientDataSetListMembers->*step)(); },
                      kv::ActionCursor::Unchanged);
        };
    };
    connect(wwDBNavigator1, &kv::MembersNavigator::firstClicked, this, move(&kv::MemberRowSet::first));
    connect(wwDBNavigator1, &kv::MembersNavigator::priorPageClicked, this, [this] {
        runAction(QStringLiteral("wwDBNavigator1PriorPageClick"), [this] { wwDBNavigator1PriorPageClick(); },
                  kv::ActionCursor::Unchanged);
    });
    connect(wwDBNavigator1, &kv::MembersNavigator::priorClicked, this, move(&kv::MemberRowSet::prior));
    connect(wwDBNavigator1, &kv::MembersNavigator::nextClicked, this, move(&kv::MemberRowSet::next));
    connect(wwDBNavigator1, &kv::MembersNavigator::nextPageClicked, this, [this] {
        runAction(QStringLiteral("wwDBNavigator1NextPageClick"), [this] { wwDBNavigator1NextPageClick(); },
                  kv::ActionCursor::Unchanged);
    });
    connect(wwDBNavigator1, &kv::MembersNavigator::lastClicked, this, move(&kv::MemberRowSet::last));
    connect(wwDBNavigator1, &kv::MembersNavigator::postClicked, this, [this] {
        runAction(QStringLiteral("wwDBNavigator1PostClick"), [this] {
            wwDBGridListMembers->commitPendingEditor();
            ClientDataSetListMembers->post();
        });
    });
    connect(wwDBNavigator1, &kv::MembersNavigator::cancelClicked, this, [this] {
        runAction(QStringLiteral("wwDBNavigator1CancelClick"), [this] {
            wwDBGridListMembers->discardPendingEditor();
            ClientDataSetListMembers->cancel();
        });
    });

    connect(ClientDataSetListMembers, &kv::MemberRowSet::writeFailed, this,
            [this](const QString &text) { showError(text.isEmpty() ? kv::kUnexpectedErrorText : text); });
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

    RzStatusBar1 = new QStatusBar(this);
    RzStatusBar1->setObjectName(QStringLiteral("RzStatusBar1"));
    RzStatusBar1->setSizeGripEnabled(false);
    RzStatusPaneListName = new QLabel(this);
    RzStatusPaneListName->setObjectName(QStringLiteral("RzStatusPaneListName"));
    RzStatusPaneListName->setMinimumWidth(140);
    RzStatusPaneMemberCount = new QLabel(this);
    RzStatusPaneMemberCount->setObjectName(QStringLiteral("RzStatusPaneMemberCount"));
    RzStatusPaneMemberCount->setMinimumWidth(110);
    RzStatusPaneFilter = new QLabel(kFilterNone, this);
    RzStatusPaneFilter->setObjectName(QStringLiteral("RzStatusPaneFilter"));
    RzStatusPaneFilter->setMinimumWidth(180);
    RzProgressBar1 = new QProgressBar(this);
    RzProgressBar1->setObjectName(QStringLiteral("RzProgressBar1"));
    RzProgressBar1->setRange(0, 100);
    RzProgressBar1->setValue(0);
    RzClockStatus1 = new QLabel(this);
    RzClockStatus1->setObjectName(QStringLiteral("RzClockStatus1"));
    RzStatusBar1->addWidget(RzStatusPaneListName);
    RzStatusBar1->addWidget(RzStatusPaneMemberCount);
    RzStatusBar1->addWidget(RzStatusPaneFilter);
    RzStatusBar1->addWidget(RzProgressBar1, 1);
    RzStatusBar1->addPermanentWidget(RzClockStatus1);
    auto *clock = new QTimer(this);
    auto tick = [this] { RzClockStatus1->setText(QLocale().toString(QTime::currentTime(), QLocale::LongFormat)); };
    connect(clock, &QTimer::timeout, this, tick);
    tick();
    clock->start(1000);
    main->addWidget(RzStatusBar1);
}

void TFormListMembers::buildMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto *file = MainMenu1->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addAction(Close1);

    auto *manage = MainMenu1->addMenu(QStringLiteral("Manage Members"));
    manage->setObjectName(QStringLiteral("ManageMembers1"));
    auto *addNames = manage->addAction(QStringLiteral("Add Names"));
    addNames->setObjectName(QStringLiteral("AddNames1"));
    connect(addNames, &QAction::triggered, ActionAddMembers, &QAction::trigger);
    manage->addSeparator();
    manage->addAction(ActionRemoveSelectedMembers);
    manage->addAction(ActionRemoveAllMembers);
    manage->addSeparator();
    manage->addAction(ActionCopyToNewList);

    auto *checks = MainMenu1->addMenu(QStringLiteral("Manage Checkmarks and Visibility"));
    checks->setObjectName(QStringLiteral("ManageCheckmarks1"));
    checks->addAction(ActionCheckAllInvitedChecks);
    checks->addAction(ActionClearAllInvitedChecks);
    checks->addSeparator();
    checks->addAction(ActionCheckSelectedRSVPChecks);
    checks->addAction(ActionCheckAllRSVPChecks);
    checks->addAction(ActionClearSelectedRSVPChecks);
    checks->addAction(ActionClearAllRSVPChecks);
    checks->addSeparator();
    checks->addAction(ActionSetQuantities);
    checks->addSeparator();
    checks->addAction(ActionFilterListToConfirmed);
    checks->addAction(ActionFilterListToUnconfirmed);
    checks->addAction(ActionFilterListToUnknown);
    checks->addSeparator();
    checks->addAction(ActionHideSelectedDays);
    checks->addAction(ActionHideSelected);
    checks->addAction(ActionMakeAllVisible);

    auto *reports = MainMenu1->addMenu(QStringLiteral("Filtered Reports"));
    reports->setObjectName(QStringLiteral("FilteredReports1"));
    auto *print = reports->addMenu(QStringLiteral("Print"));
    print->setObjectName(QStringLiteral("Print1"));
    print->addAction(PhoneList1);
    print->addAction(PhoneList2);
    print->addAction(Labels1);
    reports->addAction(Export1);

    auto *help = MainMenu1->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addAction(About1);

    layout()->setMenuBar(MainMenu1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto *addToList = PopupMenu1->addAction(QStringLiteral("Add names to list"));
    addToList->setObjectName(QStringLiteral("Addnamestolist1"));
    connect(addToList, &QAction::triggered, ActionAddMembers, &QAction::trigger);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ActionRemoveSelectedMembers);
    PopupMenu1->addAction(ActionRemoveAllMembers);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ActionCopyToNewList);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ActionCheckSelectedRSVPChecks);
    PopupMenu1->addAction(ActionCheckAllRSVPChecks);
    PopupMenu1->addAction(ActionClearSelectedRSVPChecks);
    PopupMenu1->addAction(ActionClearAllRSVPChecks);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ActionCheckAllInvitedChecks);
    PopupMenu1->addAction(ActionClearAllInvitedChecks);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ActionSetQuantities);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ActionFilterListToConfirmed);
    PopupMenu1->addAction(ActionFilterListToUnconfirmed);
    PopupMenu1->addAction(ActionFilterListToUnknown);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ActionHideSelectedDays);
    PopupMenu1->addAction(ActionHideSelected);
    PopupMenu1->addAction(ActionMakeAllVisible);
}

// ---------------------------------------------------------------------------
// Creation, showing, closing

QString TFormListMembers::layoutFilePath() const
{
    return kv::LocalSettings::filePath(m_dm.cAppDataFolder);
}

void TFormListMembers::FormCreate()
{
    runAction(
        QStringLiteral("FormCreate"),
        [this] {
            kv::SetFormPos(this, kPlacementKey, layoutFilePath());
            restoreGridLayout();
        },
        kv::ActionCursor::Unchanged);
}

void TFormListMembers::restoreGridLayout()
{
    QSettings settings(layoutFilePath(), QSettings::IniFormat);
    wwDBGridListMembers->restoreLayout(settings, kLayoutGroup);
}

void TFormListMembers::saveGridLayout()
{
    kv::LocalSettings::updateKeys(layoutFilePath(), [this](QSettings &settings) { wwDBGridListMembers->saveLayout(settings, kLayoutGroup); });
}

void TFormListMembers::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    FormListMembers = this;
    runAction(QStringLiteral("FormShow"), [this] { FormShow(); });
}

void TFormListMembers::FormShow()
{
    {
        const QSignalBlocker block(RzTabControl1);
        while (RzTabControl1->count() > 0)
            RzTabControl1->removeTab(0);
        m_shownTab = -1;
        kv::Query *lookup = m_dm.QueryListLookup;
        lookup->close();
        lookup->open();
        // The lists window's current list, matched by name also when the name is empty.
        const bool hasCurrent = m_dm.QueryLists && m_dm.QueryLists->isOpen() && m_dm.QueryLists->recNo() >= 0;
        const QString current = hasCurrent ? m_dm.QueryLists->fieldValue(QStringLiteral("List_Name")).toString() : QString();
        int position = -1;
        lookup->first();
        for (int i = 0; !lookup->eof(); ++i, lookup->next()) {
            const QString name = lookup->fieldValue(QStringLiteral("List_Name")).toString();
            RzTabControl1->addTab(name);
            if (hasCurrent && name == current)
                position = i;
        }
        lookup->close();
        if (position >= 0)
            RzTabControl1->setCurrentIndex(position);
    }
    RzTabControl1Change();
    wwIncrementalSearch1->setFocus();
}

void TFormListMembers::RzTabControl1Change()
{
    if (RzTabControl1->count() == 0)
        return;
    const kv::CursorScope busy;
    kv::MemberRowSet &rows = *ClientDataSetListMembers;
    wwDBGridListMembers->commitPendingEditor();
    kv::MemberRowSet::SuspendDisplay paused(rows);
    clearGridSelection();
    const int tab = RzTabControl1->currentIndex();
    const kv::MemberLoadSave::LoadResult result = m_loadSave->load(rows, RzTabControl1->tabText(tab));
    paused.resume();
    showListOf(tab, result);
    {
        const QSignalBlocker block(RzKeyCombo);
        RzKeyCombo->setCurrentIndex(kLastNameEntry);
    }
    wwDBGridListMembersUpdateFooter();
}

void TFormListMembers::showListOf(int tab, const kv::MemberLoadSave::LoadResult &result)
{
    // The list on display, its tab, the status pane and nCurrentListID move
    // together: once the rows come from the tab's list (the load got that far),
    // all of them follow it; otherwise the old list's rows are still on screen
    // and the tab goes back to name them.
    if (result.listIdKnown) {
        m_shownTab = tab;
        nCurrentListID = result.listId;
        RzStatusPaneListName->setText(RzTabControl1->tabText(tab));
        const int count = result.completed ? result.memberCount : ClientDataSetListMembers->totalRowCount();
        RzStatusPaneMemberCount->setText(kMembersPrefix + QString::number(count));
        return;
    }
    if (m_shownTab >= 0 && m_shownTab < RzTabControl1->count() && m_shownTab != tab) {
        const QSignalBlocker block(RzTabControl1);
        RzTabControl1->setCurrentIndex(m_shownTab);
    }
}

void TFormListMembers::wwDBGridListMembersUpdateFooter()
{
    const QVariant sum = ClientDataSetListMembers->sumQuantity();
    const QString sumText = sum.isValid() ? sum.toString() : QString();
    const QString countText = QString::number(ClientDataSetListMembers->countClients());
    wwDBGridListMembers->setFooterText(kv::MemberRowSet::Quantity, sumText.isEmpty() ? QStringLiteral("0") : sumText);
    wwDBGridListMembers->setFooterText(kv::MemberRowSet::Client_ID, countText.isEmpty() ? QStringLiteral("0") : countText);
}

void TFormListMembers::Close1Click()
{
    BitBtnClose->click();
}

void TFormListMembers::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
}

void TFormListMembers::keyPressEvent(QKeyEvent *event)
{
    // Escape leaves an edit, it does not close the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormListMembers::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        if (!FormClose()) {
            m_closed = false;
            return; // the user keeps the window and the edits another user's change refused
        }
        if (FormListMembers == this)
            FormListMembers = nullptr;
    }
    QDialog::done(result);
}

bool TFormListMembers::FormClose()
{
    bool stay = false;
    runAction(QStringLiteral("FormClose"), [this, &stay] {
        // The layout and the placement are kept however saving the members ends.
        const auto keepPlacement = qScopeGuard([this] {
            try {
                saveGridLayout();
                kv::SaveFormPos(this, kPlacementKey, layoutFilePath());
            } catch (...) {
                // A settings file that cannot be written costs the placement, nothing more.
            }
        });
        kv::MemberRowSet &rows = *ClientDataSetListMembers;
        m_loadSave->closeClientInfo();
        wwDBGridListMembers->commitPendingEditor();
        try {
            if (rows.state() == kv::DataState::Edit) {
                if (m_prompts.confirm(kSaveBeforeClosing))
                    rows.post();
                else
                    rows.cancel();
            }
            if (rows.isOpen())
                m_loadSave->saveChanges(rows);
        } catch (const kv::ApplicationEnding &) {
            throw;
        } catch (const kv::Error &e) {
            // Whatever refused the save, the edits stay unless the user lets
            // them go: closing is never what loses them.
            const auto *refused = dynamic_cast<const kv::RolledBack *>(&e);
            const bool conflict = refused && refused->conflict();
            const QString question = conflict ? kCloseAfterConflict : kCloseAfterFailure;
            if (!m_prompts.warnDestroying(e.text() + QStringLiteral("\n\n") + question)) {
                if (conflict)
                    rows.adoptStored(*refused->conflict());
                m_loadSave->openClientInfo(rows);
                stay = true;
                return;
            }
            if (rows.state() == kv::DataState::Edit)
                rows.cancel();
        }
        rows.close();
    });
    return !stay;
}

// ---------------------------------------------------------------------------
// Sorting, paging, search

QString TFormListMembers::groupColumn() const
{
    const int f = wwDBGridListMembers->groupField();
    return f < 0 ? QString() : kv::MemberRowSet::fieldName(f);
}

void TFormListMembers::wwDBGridListMembersTitleButtonClick(const QString &fieldName)
{
    const int field = kv::MemberRowSet::fieldIndex(fieldName);
    for (int i = 0; i < int(std::size(kSortEntries)); ++i) {
        const SortEntry &e = kSortEntries[i];
        if (e.titleField() < 0 || e.titleField() != field)
            continue;
        runAction(QStringLiteral("wwDBGridListMembersTitleButtonClick"), [&] {
            ClientDataSetListMembers->setIndexName(QString::fromLatin1(e.order));
            wwDBGridListMembers->setGroupField(e.groupField());
            const QSignalBlocker block(RzKeyCombo);
            RzKeyCombo->setCurrentIndex(i);
        });
        return;
    }
}

void TFormListMembers::RzKeyComboChange(int index)
{
    if (index < 0 || index >= int(std::size(kSortEntries)))
        return;
    runAction(QStringLiteral("RzKeyComboChange"), [&] {
        ClientDataSetListMembers->setIndexName(QString::fromLatin1(kSortEntries[index].order));
        wwDBGridListMembers->viewport()->update();
    });
}

void TFormListMembers::wwDBNavigator1PriorPageClick()
{
    if (ClientDataSetListMembers->isOpen())
        ClientDataSetListMembers->moveBy(-kPageRows);
}

void TFormListMembers::wwDBNavigator1NextPageClick()
{
    if (ClientDataSetListMembers->isOpen())
        ClientDataSetListMembers->moveBy(kPageRows);
}

void TFormListMembers::ActionSearchExecute()
{
    wwIncrementalSearch1->setFocus(Qt::ShortcutFocusReason);
    wwIncrementalSearch1->selectAll();
}

// ---------------------------------------------------------------------------
// Client editor

void TFormListMembers::ActionShowClientEditorExecute()
{
    runAction(
        QStringLiteral("ActionShowClientEditorExecute"),
        [this] {
            kv::MemberRowSet &rows = *ClientDataSetListMembers;
            wwDBGridListMembers->commitPendingEditor();
            if (!rows.isOpen() || rows.isEmpty()) {
                m_prompts.inform(TFormClientEditor::kNoMemberMessage);
                return;
            }
            m_loadSave->openClientInfo(rows);
            if (QueryClientInfo->isEmpty()) {
                m_prompts.inform(TFormClientEditor::kNoMemberMessage);
                return;
            }
            const QVariant person = rows.fieldValue(kv::MemberRowSet::Person_ID);
            TFormClientEditor editor(*QueryClientInfo, m_prompts, this);
            if (editor.exec() != QDialog::Accepted)
                return;
            // The grid shows what the user just stored, not the values replaced.
            const kv::CursorScope busy;
            m_loadSave->refreshClient(rows, nCurrentListID, person);
        },
        kv::ActionCursor::Unchanged);
}
