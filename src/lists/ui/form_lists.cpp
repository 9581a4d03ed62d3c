#include "lists/ui/form_lists.h"

#include "lists/ui/fulfilment_flow.h"

#include "data/conflict_question.h"
#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/trace.h"
#include "lists/cancel_pending.h"
#include "lists/delete_list.h"
#include "lists/fulfil_list.h"
#include "lists/ui/form_list_fulfillment_options.h"
#include "lists/ui/list_option_rules.h"
#include "lists/ui/query_table_model.h"
#include "shell/ui/busy_cursor.h"
#include "shell/ui/run_action.h"
#include "shell/ui/scoped_global_dialog.h"
#include "shell/ui/data_binding.h"
#include "shell/ui/form_about_kestrovan.h"
#include "shell/ui/form_message_box.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/qt_prompts.h"
#include "shell/ui/radio_group.h"
#include "shell/window_placement.h"

#include "members/ui/form_list_members.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTime>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using kv::DataState;
using kv::TraceScope;

const QString TFormLists::kCaption = QStringLiteral("Lists Maintenance");
const QString TFormLists::kReloadAfterConflict =
    QStringLiteral("Read the lists again from the database?\n\n"
                   "Yes shows the values stored now and discards your change.\n"
                   "No keeps your change; Post then writes it over the other user's values.");
const QString TFormLists::kModuleName = QStringLiteral("Kestrovan");
const QString TFormLists::kMenuCaption = QStringLiteral("Kestrovan");
const QString TFormLists::kPlacementKey = QStringLiteral("FormLists");
const QString TFormLists::kSaveBeforeClosing = QStringLiteral("Save your changes before closing this window?");
const QString TFormLists::kSaveBeforeMembers = QStringLiteral("Save your changes to the list before editing the members?");

namespace {

// Captions of the Edit page.
const QString kListNameCaption = QStringLiteral("List Name");
const QString kDescriptionCaption = QStringLiteral("Description/Use:");
const QString kAddModeCaption = QStringLiteral("Default Member Add Mode");
const QString kOptionsCaption = QStringLiteral("Default Fulfillment Options");
const QString kActiveOnlyCaption = QStringLiteral("Fulfill only to clients active at time of fullfillment");
const QString kConfirmedCaption = QStringLiteral("Confirmed Checkbox should be");
const QStringList kConfirmedItems = {QStringLiteral("Checked"), QStringLiteral("Unchecked"), QStringLiteral("Unknown"),
                                     QStringLiteral("Irrelevant")};
const QStringList kConfirmedCodes = {QStringLiteral("C"), QStringLiteral("U"), QStringLiteral("N"), QStringLiteral("I")};
const QString kServiceCaption = QStringLiteral("Service to Use");
const QStringList kServiceItems = {QStringLiteral("Client's Own Service"), QStringLiteral("Selected Service:")};
const QStringList kServiceCodes = {QStringLiteral("C"), QStringLiteral("S")};
const QString kItemsCaption = QStringLiteral("Items to Deliver");
const QStringList kItemsItems = {QStringLiteral("Defaults for the service to be used"), QStringLiteral("Specified Quantity and Item:")};
const QStringList kItemsCodes = {QStringLiteral("D"), QStringLiteral("S")};
const QString kUpdatedByCaption = QStringLiteral("Edited/Updated By");
const QString kServiceColumnTitle = QStringLiteral("Service");
const QString kItemColumnTitle = QStringLiteral("Item");
const QString kDescriptionColumnTitle = QStringLiteral("Description");
const kv::DataBinding::Codes kAddModes = {{QStringLiteral("Add to existing members"), QStringLiteral("A")},
                                          {QStringLiteral("Replace existing members"), QStringLiteral("R")}};

// Pages, buttons, actions and menus.
const QString kEditPage = QStringLiteral("Edit");
const QString kBrowsePage = QStringLiteral("Browse");
const QString kFulfillCaption = QStringLiteral("Fulfill");
const QString kEditMembersCaption = QStringLiteral("Edit Members");
const QString kDeleteCaption = QStringLiteral("Delete");
const QString kCancelPendingCaption = QStringLiteral("Cancel Pendg");
const QString kCloseCaption = QStringLiteral("Close");
const QString kDeleteListMenu = QStringLiteral("Delete List");

struct NavButton
{
    const char *name;
    QString text;
    QString hint;
};
const NavButton kNavButtons[] = {
    {"NavFirst", QStringLiteral("|◀"), QStringLiteral("Move to first record")},
    {"NavPrior", QStringLiteral("◀"), QStringLiteral("Move to prior record")},
    {"NavNext", QStringLiteral("▶"), QStringLiteral("Move to next record")},
    {"NavLast", QStringLiteral("▶|"), QStringLiteral("Move to last record")},
    {"NavInsert", QStringLiteral("+"), QStringLiteral("Insert new record")},
    {"NavPost", QStringLiteral("✓"), QStringLiteral("Post changes of current record")},
    {"NavCancel", QStringLiteral("✗"), QStringLiteral("Cancel changes made to current record")},
};

kv::Prompts &defaultPrompts()
{
    static kv::QtPrompts prompts;
    return prompts;
}

template<class T>
T *named(T *object, const QString &name)
{
    object->setObjectName(name);
    return object;
}

QGroupBox *captioned(const QString &caption, QWidget *content, QWidget *parent)
{
    auto *box = new QGroupBox(caption, parent);
    auto *l = new QVBoxLayout(box);
    l->setContentsMargins(8, 4, 8, 6);
    l->addWidget(content);
    return box;
}

QComboBox *lookupCombo(const QString &name, QueryTableModel *model, int displayColumn, QWidget *parent)
{
    auto *combo = named(new QComboBox(parent), name);
    combo->setModel(model);
    combo->setModelColumn(displayColumn);
    auto *view = new QTableView(combo);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setShowGrid(false);
    combo->setView(view);
    for (int c = 0; c < model->columnCount(); ++c)
        view->setColumnHidden(c, c != displayColumn);
    combo->setMinimumContentsLength(18);
    return combo;
}

} // namespace

TFormLists::TFormLists(QWidget *parent, kv::Prompts *prompts)
    : QDialog(parent)
    , m_prompts(prompts ? prompts : &defaultPrompts())
{
    TraceScope trace(QStringLiteral("TFormLists.FormCreate"));
    setObjectName(QStringLiteral("FormLists"));
    setWindowTitle(kCaption);
    resize(kWidth, kHeight);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    m_dataModuleFactory = [](kv::Prompts &p, std::function<void()> shutdown) {
        return std::make_unique<TDataModuleLists>(p, std::move(shutdown));
    };
    m_shutdownRequest = [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); };
    buildUi();

    // The data folder and the placement; a failure is reported and the window
    // keeps its design placement.
    runAction(
        QStringLiteral("FormCreate.placement"),
        [this] {
            cAppDataFolder = kv::LocalSettings::findAppDataFolder();
            kv::Trace::value(QStringLiteral("cAppDataFolder"), cAppDataFolder);
            SetFormPos(this, kPlacementKey, settingsFilePath());
        },
        kv::ActionCursor::Unchanged);
}

TFormLists::~TFormLists()
{
    if (m_clock)
        m_clock->stop();
}

// ---------------------------------------------------------------- plug-in interface

kestrovan::HResult TFormLists::QueryInterface(const QUuid &iid, void **out)
{
    if (!out)
        return kestrovan::E_Pointer;
    if (iid == kestrovan::IID_IPlugInModule || iid == kestrovan::IID_IUnknown) {
        *out = static_cast<kestrovan::IPlugInModule *>(this);
        return kestrovan::S_Ok;
    }
    *out = nullptr;
    return kestrovan::E_NoInterface;
}

// The host creates and frees the object; references do not govern its life.
std::uint32_t TFormLists::AddRef()
{
    return 1;
}

std::uint32_t TFormLists::Release()
{
    return 1;
}

void TFormLists::Init(QWidget *hostControl)
{
    TraceScope trace(QStringLiteral("TFormLists.Init"));
    m_hostControl = hostControl;
    m_hostServices.attach(kestrovan::unknownOf(hostControl));
}

void TFormLists::SetMenu(QMenu *menuItem)
{
    TraceScope trace(QStringLiteral("TFormLists.SetMenu"));
    if (!menuItem)
        return;
    auto *entry = new QAction(kMenuCaption, menuItem);
    entry->setObjectName(QStringLiteral("MenuKestrovan"));
    connect(entry, &QAction::triggered, this, &TFormLists::FormListsShowModal);
    menuItem->addAction(entry);
}

void TFormLists::PrepareMenuDate(const QDateTime &when)
{
    Q_UNUSED(when)
}

bool TFormLists::GetIsModuleInstalled(const QString &moduleName)
{
    return moduleName == kModuleName;
}

void TFormLists::FormListsShowModal()
{
    kv::runAction(*m_prompts, QStringLiteral("FormListsShowModal menu choice"), [this] {
        if (!DataModuleLists) {
            kv::Trace::message(QStringLiteral("About to create the DataModuleLists..."));
            std::unique_ptr<TDataModuleLists> dm = m_dataModuleFactory(*m_prompts, m_shutdownRequest);
            dm->DataModuleCreate();
            // Owned by the application: it lives until the host ends.
            dm->setParent(qApp);
            DataModuleLists = dm.release();
        }
        DataModuleLists->cAppDataFolder = cAppDataFolder;
        attachDataModule(DataModuleLists);
        const kv::CursorScope normal(Qt::ArrowCursor);
        exec();
    });
}

bool TFormLists::runAction(const QString &handler, const std::function<void()> &fn, kv::ActionCursor cursor)
{
    return kv::runAction(*m_prompts, QStringLiteral("TFormLists.") + handler, fn, cursor);
}

QString TFormLists::settingsFilePath() const
{
    return kv::LocalSettings::filePath(cAppDataFolder);
}

void TFormLists::SetFormPos(QWidget *window, const QString &entry, const QString &file)
{
    kv::SetFormPos(window, entry, file);
}

bool TFormLists::SaveFormPos(QWidget *window, const QString &entry, const QString &file)
{
    return kv::SaveFormPos(window, entry, file);
}

// ---------------------------------------------------------------- building

void TFormLists::buildUi()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ActionFulfill = named(new QAction(kFulfillCaption, this), QStringLiteral("ActionFulfill"));
    ActionEditListMembers = named(new QAction(kEditMembersCaption, this), QStringLiteral("ActionEditListMembers"));
    ActionDeleteList = named(new QAction(kDeleteCaption, this), QStringLiteral("ActionDeleteList"));
    ActionCancelPending = named(new QAction(kCancelPendingCaption, this), QStringLiteral("ActionCancelPending"));
    connect(ActionFulfill, &QAction::triggered, this, &TFormLists::ActionFulfillExecute);
    connect(ActionEditListMembers, &QAction::triggered, this, &TFormLists::ActionEditListMembersExecute);
    connect(ActionDeleteList, &QAction::triggered, this, &TFormLists::ActionDeleteListExecute);
    connect(ActionCancelPending, &QAction::triggered, this, &TFormLists::ActionCancelPendingExecute);

    buildMenu();
    layout->setMenuBar(MainMenu1);

    PageControl = named(new QTabWidget(this), QStringLiteral("PageControl"));
    TabSheetEdit = buildEditPage();
    TabSheetBrowse = buildBrowsePage();
    PageControl->addTab(TabSheetEdit, kEditPage);
    PageControl->addTab(TabSheetBrowse, kBrowsePage);
    PageControl->setCurrentIndex(0);
    auto *pageHolder = new QWidget(this);
    auto *pl = new QVBoxLayout(pageHolder);
    pl->setContentsMargins(6, 6, 6, 4);
    pl->addWidget(PageControl);
    layout->addWidget(pageHolder, 1);
    layout->addWidget(buildBottomBar());

    StatusBar1 = named(new QStatusBar(this), QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    StatusListName = named(new QLabel(this), QStringLiteral("StatusListName"));
    StatusRowState = named(new QLabel(this), QStringLiteral("StatusRowState"));
    StatusClock = named(new QLabel(this), QStringLiteral("StatusClock"));
    StatusRowState->setMinimumWidth(90);
    StatusClock->setMinimumWidth(80);
    StatusClock->setAlignment(Qt::AlignCenter);
    StatusBar1->addWidget(StatusListName, 1);
    StatusBar1->addPermanentWidget(StatusRowState);
    StatusBar1->addPermanentWidget(StatusClock);
    layout->addWidget(StatusBar1);

    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    auto tick = [this] { StatusClock->setText(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat)); };
    connect(m_clock, &QTimer::timeout, this, tick);
    tick();
    m_clock->start();
    updateNavigator();
}

void TFormLists::buildMenu()
{
    MainMenu1 = named(new QMenuBar(this), QStringLiteral("MainMenu1"));
    QMenu *file = named(MainMenu1->addMenu(QStringLiteral("&File")), QStringLiteral("MenuFile"));
    MenuFileClose = named(file->addAction(QStringLiteral("&Close")), QStringLiteral("MenuFileClose"));
    connect(MenuFileClose, &QAction::triggered, this, &QDialog::reject);

    QMenu *edit = named(MainMenu1->addMenu(QStringLiteral("&Edit")), QStringLiteral("MenuEdit"));
    edit->addAction(ActionEditListMembers);
    MenuEditMembers = ActionEditListMembers;
    edit->addSeparator();
    // The entry has a caption of its own; it runs the same action.
    MenuDeleteList = named(edit->addAction(kDeleteListMenu), QStringLiteral("MenuDeleteList"));
    connect(MenuDeleteList, &QAction::triggered, ActionDeleteList, &QAction::trigger);
    connect(ActionDeleteList, &QAction::changed, MenuDeleteList, [this] { MenuDeleteList->setEnabled(ActionDeleteList->isEnabled()); });

    QMenu *view = named(MainMenu1->addMenu(QStringLiteral("&View")), QStringLiteral("MenuView"));
    MenuViewEdit = named(view->addAction(kEditPage), QStringLiteral("MenuViewEdit"));
    MenuViewBrowse = named(view->addAction(kBrowsePage), QStringLiteral("MenuViewBrowse"));
    connect(MenuViewEdit, &QAction::triggered, this, &TFormLists::ViewEditClick);
    connect(MenuViewBrowse, &QAction::triggered, this, &TFormLists::ViewBrowseClick);

    QMenu *utilities = named(MainMenu1->addMenu(QStringLiteral("&Utilities")), QStringLiteral("MenuUtilities"));
    utilities->addAction(ActionFulfill);
    MenuUtilitiesFulfill = ActionFulfill;

    MenuReports = named(MainMenu1->addMenu(QStringLiteral("&Reports")), QStringLiteral("MenuReports"));

    QMenu *help = named(MainMenu1->addMenu(QStringLiteral("Help")), QStringLiteral("MenuHelp"));
    MenuHelpAbout = named(help->addAction(QStringLiteral("About")), QStringLiteral("MenuHelpAbout"));
    connect(MenuHelpAbout, &QAction::triggered, this, &TFormLists::About1Click);
}

QWidget *TFormLists::buildEditPage()
{
    auto *page = named(new QWidget(this), QStringLiteral("TabSheetEdit"));

    DBEditListName = named(new QLineEdit(page), QStringLiteral("DBEditListName"));
    DBMemo1 = named(new QPlainTextEdit(page), QStringLiteral("DBMemo1"));
    DBMemo1->setTabChangesFocus(true);
    wwDBComboBox1 = named(new QComboBox(page), QStringLiteral("wwDBComboBox1"));
    DBEdituser = named(new QLineEdit(page), QStringLiteral("DBEdituser"));

    wwCheckBoxCurrentlyActive = named(new QCheckBox(kActiveOnlyCaption, page), QStringLiteral("wwCheckBoxCurrentlyActive"));
    RzDBRadioGroupConfirmedStatus = named(new kv::RadioGroup(kConfirmedCaption, kConfirmedItems, page),
                                          QStringLiteral("RzDBRadioGroupConfirmedStatus"));
    RzDBRadioGroupService = named(new kv::RadioGroup(kServiceCaption, kServiceItems, page), QStringLiteral("RzDBRadioGroupService"));
    RzDBRadioGroupItems = named(new kv::RadioGroup(kItemsCaption, kItemsItems, page), QStringLiteral("RzDBRadioGroupItems"));

    // The lookups show their sets as soon as a data module is there; until
    // then they have empty models.
    wwDBLookupComboService = named(new QComboBox(page), QStringLiteral("wwDBLookupComboService"));
    wwDBLookupComboItem = named(new QComboBox(page), QStringLiteral("wwDBLookupComboItem"));
    wwDBSpinEditQuantity = named(new QSpinBox(page), QStringLiteral("wwDBSpinEditQuantity"));
    // 1 to 99; the empty position below 1 stands for "no quantity".
    wwDBSpinEditQuantity->setRange(0, 99);
    wwDBSpinEditQuantity->setSingleStep(1);
    wwDBSpinEditQuantity->setSpecialValueText(QStringLiteral(" "));

    RzDBRadioGroupService->setItemWidget(1, wwDBLookupComboService);
    auto *itemLine = new QWidget(page);
    auto *il = new QHBoxLayout(itemLine);
    il->setContentsMargins(0, 0, 0, 0);
    il->addWidget(wwDBSpinEditQuantity);
    il->addWidget(wwDBLookupComboItem, 1);
    RzDBRadioGroupItems->setItemWidget(1, itemLine);

    // In this window the options show the stored defaults; only the check
    // box can be changed here.
    for (QWidget *w : {static_cast<QWidget *>(RzDBRadioGroupConfirmedStatus), static_cast<QWidget *>(RzDBRadioGroupService),
                       static_cast<QWidget *>(wwDBLookupComboService), static_cast<QWidget *>(RzDBRadioGroupItems),
                       static_cast<QWidget *>(wwDBSpinEditQuantity), static_cast<QWidget *>(wwDBLookupComboItem)})
        w->setEnabled(false);

    auto *options = named(new QGroupBox(kOptionsCaption, page), QStringLiteral("GroupBoxOptions"));
    auto *ol = new QGridLayout(options);
    ol->addWidget(wwCheckBoxCurrentlyActive, 0, 0, 1, 2);
    ol->addWidget(RzDBRadioGroupConfirmedStatus, 1, 0, 2, 1);
    ol->addWidget(RzDBRadioGroupService, 1, 1);
    ol->addWidget(RzDBRadioGroupItems, 2, 1);
    ol->setColumnStretch(1, 1);

    const QFontMetrics fm(font());
    DBEditListName->setMinimumWidth(fm.averageCharWidth() * 50);
    DBEdituser->setMaximumWidth(fm.averageCharWidth() * 30);
    DBMemo1->setFixedHeight(fm.lineSpacing() * 5 + 12);

    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setVerticalSpacing(8);
    grid->addWidget(named(captioned(kListNameCaption, DBEditListName, page), QStringLiteral("GroupBoxListName")), 0, 0);
    grid->addWidget(named(captioned(kAddModeCaption, wwDBComboBox1, page), QStringLiteral("GroupBoxAddMode")), 0, 1);
    grid->addWidget(named(captioned(kDescriptionCaption, DBMemo1, page), QStringLiteral("GroupBoxDescription")), 1, 0, 1, 2);
    grid->addWidget(options, 2, 0, 1, 2);
    auto *userBox = named(captioned(kUpdatedByCaption, DBEdituser, page), QStringLiteral("GroupBoxUpdatedBy"));
    grid->addWidget(userBox, 3, 0);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    return page;
}

QWidget *TFormLists::buildBrowsePage()
{
    auto *page = named(new QWidget(this), QStringLiteral("TabSheetBrowse"));
    wwDBGridLists = named(new QTableView(page), QStringLiteral("wwDBGridLists"));
    wwDBGridLists->setEditTriggers(QAbstractItemView::NoEditTriggers);
    wwDBGridLists->setSelectionBehavior(QAbstractItemView::SelectRows);
    wwDBGridLists->setSelectionMode(QAbstractItemView::SingleSelection);
    wwDBGridLists->setAlternatingRowColors(true);
    wwDBGridLists->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    wwDBGridLists->verticalHeader()->hide();
    wwDBGridLists->horizontalHeader()->setMinimumHeight(fontMetrics().height() * 2 + 8);
    wwDBGridLists->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    wwDBGridLists->setWordWrap(false);
    connect(wwDBGridLists, &QTableView::doubleClicked, this, &TFormLists::wwDBGridListsDblClick);
    auto *l = new QVBoxLayout(page);
    l->setContentsMargins(4, 4, 4, 4);
    l->addWidget(wwDBGridLists);
    return page;
}

QWidget *TFormLists::buildBottomBar()
{
    auto *bar = named(new QWidget(this), QStringLiteral("PanelBottom"));
    auto *l = new QHBoxLayout(bar);
    l->setContentsMargins(6, 2, 6, 4);

    DBNavigator = named(new QWidget(bar), QStringLiteral("DBNavigator"));
    auto *nl = new QHBoxLayout(DBNavigator);
    nl->setContentsMargins(0, 0, 0, 0);
    nl->setSpacing(1);
    QToolButton **targets[] = {&NavFirst, &NavPrior, &NavNext, &NavLast, &NavInsert, &NavPost, &NavCancel};
    for (int i = 0; i < 7; ++i) {
        auto *b = named(new QToolButton(DBNavigator), QString::fromLatin1(kNavButtons[i].name));
        b->setText(kNavButtons[i].text);
        b->setToolTip(kNavButtons[i].hint);
        b->setMinimumSize(28, 26);
        nl->addWidget(b);
        *targets[i] = b;
    }
    connect(NavFirst, &QToolButton::clicked, this, [this] { navigate([](kv::Query &q) { q.first(); }); });
    connect(NavPrior, &QToolButton::clicked, this, [this] { navigate([](kv::Query &q) { q.prior(); }); });
    connect(NavNext, &QToolButton::clicked, this, [this] { navigate([](kv::Query &q) { q.next(); }); });
    connect(NavLast, &QToolButton::clicked, this, [this] { navigate([](kv::Query &q) { q.last(); }); });
    connect(NavInsert, &QToolButton::clicked, this, [this] {
        ViewEditClick();
        navigate([](kv::Query &q) { q.insert(); });
        DBEditListName->setFocus();
    });
    connect(NavPost, &QToolButton::clicked, this, [this] { navigate([](kv::Query &q) { q.post(); }); });
    connect(NavCancel, &QToolButton::clicked, this, [this] { navigate([](kv::Query &q) { q.cancel(); }); });
    l->addWidget(DBNavigator);
    l->addSpacing(12);

    auto button = [bar, l](QAction *action, const QString &name) {
        auto *b = named(new QPushButton(action->text(), bar), name);
        QObject::connect(b, &QPushButton::clicked, action, &QAction::trigger);
        QObject::connect(action, &QAction::changed, b, [b, action] { b->setEnabled(action->isEnabled()); });
        l->addWidget(b);
        return b;
    };
    ButtonDelete = button(ActionDeleteList, QStringLiteral("ButtonDelete"));
    ButtonEditMembers = button(ActionEditListMembers, QStringLiteral("ButtonEditMembers"));
    ButtonFulfill = button(ActionFulfill, QStringLiteral("ButtonFulfill"));
    ButtonCancelPending = button(ActionCancelPending, QStringLiteral("ButtonCancelPending"));
    l->addStretch(1);
    BitBtnClose = named(new QPushButton(kCloseCaption, bar), QStringLiteral("BitBtnClose"));
    BitBtnClose->setAutoDefault(false);
    connect(BitBtnClose, &QPushButton::clicked, this, &QDialog::reject);
    l->addWidget(BitBtnClose);
    for (auto *b : bar->findChildren<QPushButton *>())
        b->setAutoDefault(false);
    return bar;
}

// ---------------------------------------------------------------- data

kv::Query *TFormLists::lists() const
{
    return m_dm ? m_dm->QueryLists : nullptr;
}

void TFormLists::attachDataModule(TDataModuleLists *dm)
{
    if (m_dm == dm)
        return;
    m_dm = dm;
    kv::Query *q = dm->QueryLists;

    m_servicesModel = new QueryTableModel(dm->QueryServices, this);
    m_servicesModel->setColumns({{QStringLiteral("Service_Desc"), kServiceColumnTitle, 30, {}},
                                 {QStringLiteral("Service_ID"), QStringLiteral("ID"), 6, {}}});
    m_itemsModel = new QueryTableModel(dm->QueryItems, this);
    m_itemsModel->setColumns({{QStringLiteral("Meal_Item"), kItemColumnTitle, 30, {}},
                              {QStringLiteral("Item_ID"), QStringLiteral("ID"), 6, {}}});
    auto replaceLookup = [](QComboBox *&combo, QueryTableModel *model) {
        QComboBox *fresh = lookupCombo(combo->objectName(), model, 0, combo->parentWidget());
        fresh->setEnabled(combo->isEnabled());
        combo->parentWidget()->layout()->replaceWidget(combo, fresh);
        delete combo;
        combo = fresh;
    };
    replaceLookup(wwDBLookupComboService, m_servicesModel);
    replaceLookup(wwDBLookupComboItem, m_itemsModel);

    m_listsModel = new QueryTableModel(q, this);
    kv::Query *services = dm->QueryServices;
    m_listsModel->setColumns({
        {QStringLiteral("List_Name"), QStringLiteral("List"), 25, {}},
        {QStringLiteral("List_Desc"), kDescriptionColumnTitle, 40, {}},
        {QStringLiteral("Service_Used_Named"), QStringLiteral("Assigned~Service"), 17,
         [this, services](int row) {
             // The computed column: the list's service by name, as the
             // services lookup names it (up to 50 characters).
             const QVariant text = QueryTableModel::lookupText(*services, QStringLiteral("Service_ID"),
                                                               QStringLiteral("Service_Desc"),
                                                               m_listsModel->valueAt(row, QStringLiteral("Service_Used")));
             return text.isValid() ? QVariant(text.toString().left(50)) : QVariant();
         }},
        {QStringLiteral("Updated_By"), QStringLiteral("Updated~By"), 15, {}},
        {QStringLiteral("Create_Date"), QStringLiteral("Created"), 12, {}},
        {QStringLiteral("Last_Update"), QStringLiteral("Updated"), 12, {}},
    });
    connect(services, &kv::Query::afterOpen, m_listsModel, &QueryTableModel::reset);
    // Another user's change is reported in the words of this window, not in column names.
    q->setColumnCaptions({{QStringLiteral("List_Name"), kListNameCaption},
                          {QStringLiteral("List_Desc"), kDescriptionColumnTitle},
                          {QStringLiteral("Add_Mode"), kAddModeCaption},
                          {QStringLiteral("Active_Only"), kActiveOnlyCaption},
                          {QStringLiteral("Checkbox_Setting"), kConfirmedCaption},
                          {QStringLiteral("Service_Method"), kServiceCaption},
                          {QStringLiteral("Service_Used"), kServiceColumnTitle},
                          {QStringLiteral("Item_Method"), kItemsCaption},
                          {QStringLiteral("Item_to_Deliver"), kItemColumnTitle},
                          {QStringLiteral("Updated_By"), kUpdatedByCaption}});
    wwDBGridLists->setModel(m_listsModel);
    const int charWidth = wwDBGridLists->fontMetrics().averageCharWidth();
    for (int c = 0; c < m_listsModel->columnCount(); ++c)
        wwDBGridLists->setColumnWidth(c, m_listsModel->columns()[c].widthChars * charWidth + 8);
    connect(wwDBGridLists->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (m_syncingGrid || !current.isValid() || !lists() || !lists()->isOpen() || current.row() == lists()->recNo())
            return;
        if (!runAction(QStringLiteral("wwDBGridListsRowChange"), [&] { lists()->setRecNo(current.row()); },
                       kv::ActionCursor::Unchanged))
            syncGridToQuery();
    });

    m_binding = new kv::DataBinding(q, this);
    m_binding->bindLineEdit(DBEditListName, QStringLiteral("List_Name"), 50);
    m_binding->bindMemo(DBMemo1, QStringLiteral("List_Desc"), 250);
    m_binding->bindCodeCombo(wwDBComboBox1, QStringLiteral("Add_Mode"), kAddModes);
    m_binding->bindCheckBox(wwCheckBoxCurrentlyActive, QStringLiteral("Active_Only"), QStringLiteral("Y"), QStringLiteral("N"));
    m_binding->bindRadioGroup(RzDBRadioGroupConfirmedStatus, QStringLiteral("Checkbox_Setting"), kConfirmedCodes);
    m_binding->bindRadioGroup(RzDBRadioGroupService, QStringLiteral("Service_Method"), kServiceCodes);
    m_binding->bindLookup(wwDBLookupComboService, QStringLiteral("Service_Used"), 1);
    m_binding->bindRadioGroup(RzDBRadioGroupItems, QStringLiteral("Item_Method"), kItemsCodes);
    m_binding->bindSpin(wwDBSpinEditQuantity, QStringLiteral("Quantity"));
    m_binding->bindLookup(wwDBLookupComboItem, QStringLiteral("Item_to_Deliver"), 1);
    m_binding->bindLineEdit(DBEdituser, QStringLiteral("Updated_By"), 25);
    connect(m_binding, &kv::DataBinding::writeFailed, this, [this](const QString &text) { m_prompts->error(text); });
    // A lookup set that is reopened shows the row's value again.
    for (kv::Query *lookup : {dm->QueryServices, dm->QueryItems})
        connect(lookup, &kv::Query::afterOpen, m_binding, &kv::DataBinding::showRow);

    connectRuleHandlers();

    for (auto signal : {&kv::Query::afterScroll, &kv::Query::afterOpen, &kv::Query::afterClose, &kv::Query::afterPost,
                        &kv::Query::afterCancel, &kv::Query::afterInsert}) {
        connect(q, signal, this, [this] {
            syncGridToQuery();
            showRowState();
            updateNavigator();
        });
    }
    connect(q, &kv::Query::stateChanged, this, [this] {
        showRowState();
        updateNavigator();
    });
    connect(q, &kv::Query::fieldChanged, this, [this](const QString &field) {
        if (field.compare(QStringLiteral("List_Name"), Qt::CaseInsensitive) == 0)
            showRowState();
    });
    m_binding->showRow();
    syncGridToQuery();
    showRowState();
    updateNavigator();
}

void TFormLists::connectRuleHandlers()
{
    connect(RzDBRadioGroupService, &kv::RadioGroup::changed, this, &TFormLists::RzDBRadioGroupServiceChange);
    connect(RzDBRadioGroupItems, &kv::RadioGroup::changed, this, &TFormLists::RzDBRadioGroupItemsChange);
    // Rules 3 and 4 follow the user's own choice in a lookup (activated),
    // never a lookup set that is reopened or reset under the row.
    m_serviceLookupHandler = connect(wwDBLookupComboService, &QComboBox::activated, this,
                                     &TFormLists::wwDBLookupComboServiceChange);
    m_itemLookupHandler = connect(wwDBLookupComboItem, &QComboBox::activated, this,
                                  &TFormLists::wwDBLookupComboItemChange);
    m_quantityHandler = connect(wwDBSpinEditQuantity, &QSpinBox::valueChanged, this, &TFormLists::wwDBSpinEditQuantityChange);
}

void TFormLists::syncGridToQuery()
{
    if (!m_listsModel || !lists())
        return;
    m_syncingGrid = true;
    const int row = lists()->isOpen() ? lists()->recNo() : -1;
    if (row >= 0 && row < m_listsModel->rowCount()) {
        const QModelIndex idx = m_listsModel->index(row, 0);
        wwDBGridLists->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        wwDBGridLists->scrollTo(idx);
    } else {
        wwDBGridLists->selectionModel()->clear();
    }
    m_syncingGrid = false;
}

QString TFormLists::stateText(int state)
{
    switch (DataState(state)) {
    case DataState::Browse: return QStringLiteral("Browsing");
    case DataState::Edit: return QStringLiteral("Editing");
    case DataState::Insert: return QStringLiteral("Inserting");
    default: return QStringLiteral("Closed");
    }
}

void TFormLists::showRowState()
{
    kv::Query *q = lists();
    const bool hasRow = q && q->isOpen() && !q->isEmpty();
    StatusListName->setText(hasRow ? q->asString(QStringLiteral("List_Name")) : QString());
    StatusRowState->setText(stateText(int(q ? q->state() : DataState::Inactive)));
}

void TFormLists::updateNavigator()
{
    kv::Query *q = lists();
    const bool open = q && q->isOpen();
    const bool editing = open && (q->state() == DataState::Edit || q->state() == DataState::Insert);
    const int n = open ? q->recordCount() : 0;
    const int at = open ? q->recNo() : -1;
    NavFirst->setEnabled(open && n > 0 && (at > 0 || editing));
    NavPrior->setEnabled(open && n > 0 && (at > 0 || editing));
    NavNext->setEnabled(open && n > 0 && (at < n - 1 || editing));
    NavLast->setEnabled(open && n > 0 && (at < n - 1 || editing));
    NavInsert->setEnabled(open);
    NavPost->setEnabled(editing);
    NavCancel->setEnabled(editing);
    const bool hasList = open && !q->isEmpty();
    ActionDeleteList->setEnabled(hasList);
    ActionEditListMembers->setEnabled(hasList);
    ActionFulfill->setEnabled(hasList);
    ActionCancelPending->setEnabled(hasList);
}

void TFormLists::navigate(const std::function<void(kv::Query &)> &step)
{
    if (!lists() || !lists()->isOpen())
        return;
    runAction(
        QStringLiteral("wwDBNavigatorClick"),
        [&] {
            kv::Query &q = *lists();
            try {
                step(q);
            } catch (const kv::EditConflict &e) {
                // Another user saved this list after it was read; nothing was written.
                kv::askReadAgainOrKeep(
                    *m_prompts, e.text(), kReloadAfterConflict,
                    [&q] {
                        q.cancel();
                        q.refresh();
                    },
                    [&q, &e] {
                        for (const kv::EditConflict::Row &row : e.rows())
                            q.adoptStored(row);
                    });
            }
        },
        kv::ActionCursor::Unchanged);
    syncGridToQuery();
    updateNavigator();
}

void TFormLists::resolvePendingEdits(const QString &question)
{
    kv::Query *q = lists();
    if (!q || (q->state() != DataState::Edit && q->state() != DataState::Insert))
        return;
    if (m_prompts->confirm(question))
        q->post();
    else
        q->cancel();
}

// ---------------------------------------------------------------- show and close

void TFormLists::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormLists::FormShow()
{
    if (!m_dm)
        return;
    PageControl->setCurrentIndex(0);
    // The lookups and the lists open on their own: one failing leaves the other shown.
    runAction(QStringLiteral("FormShow"), [this] {
        // Reopening the lookups shows values; it is no change of the user's.
        kv::DataBinding::ShowingScope showing(*m_binding);
        m_dm->QueryItems->close();
        m_dm->QueryItems->open();
        m_dm->QueryServices->close();
        m_dm->QueryServices->open();
    });
    runAction(QStringLiteral("FormShow.QueryLists"), [this] {
        if (!lists()->isOpen())
            lists()->open();
        lists()->refresh();
    });
}

bool TFormLists::FormClose()
{
    // A row that cannot be saved keeps the window open with it.
    bool closing = false;
    runAction(
        QStringLiteral("FormClose"),
        [&] {
            if (m_dm) {
                {
                    // Emptying the lookups is no change of the user's: it must not
                    // run the rules that select "Selected Service:" and "Specified
                    // Quantity and Item:" on a row about to be saved.
                    kv::DataBinding::ShowingScope showing(*m_binding);
                    m_dm->QueryItems->close();
                    m_dm->QueryServices->close();
                }
                resolvePendingEdits(kSaveBeforeClosing);
                lists()->close();
            }
            closing = true;
            SaveFormPos(this, kPlacementKey, settingsFilePath());
        },
        kv::ActionCursor::Unchanged);
    return closing;
}

void TFormLists::done(int result)
{
    if (isVisible() && !FormClose())
        return;
    QDialog::done(result);
}

// ---------------------------------------------------------------- pages and menu

void TFormLists::ViewEditClick()
{
    PageControl->setCurrentWidget(TabSheetEdit);
}

void TFormLists::ViewBrowseClick()
{
    PageControl->setCurrentWidget(TabSheetBrowse);
}

void TFormLists::wwDBGridListsDblClick(const QModelIndex &index)
{
    runAction(
        QStringLiteral("wwDBGridListsDblClick"),
        [&] {
            if (index.isValid() && lists() && lists()->isOpen() && index.row() != lists()->recNo())
                lists()->setRecNo(index.row());
            ViewEditClick();
        },
        kv::ActionCursor::Unchanged);
}

void TFormLists::About1Click()
{
    runAction(
        QStringLiteral("About1Click"),
        [this] {
            TFormAboutKestrovan about(this);
            about.exec();
        },
        kv::ActionCursor::Unchanged);
}

// ---------------------------------------------------------------- consistency rules

void TFormLists::RzDBRadioGroupServiceChange()
{
    runAction(
        QStringLiteral("RzDBRadioGroupServiceChange"),
        [this] {
            disconnect(m_serviceLookupHandler);
            const auto reattach = qScopeGuard([this] {
                m_serviceLookupHandler = connect(wwDBLookupComboService, &QComboBox::activated, this,
                                                 &TFormLists::wwDBLookupComboServiceChange);
            });
            if (RzDBRadioGroupService->itemIndex() != 0 || !lists())
                return;
            if (ListOptionRules::clearServiceForOwnMethod(*lists()))
                wwDBLookupComboService->setCurrentIndex(-1);
        },
        kv::ActionCursor::Unchanged);
}

void TFormLists::RzDBRadioGroupItemsChange()
{
    runAction(
        QStringLiteral("RzDBRadioGroupItemsChange"),
        [this] {
            disconnect(m_itemLookupHandler);
            disconnect(m_quantityHandler);
            const auto reattach = qScopeGuard([this] {
                m_itemLookupHandler = connect(wwDBLookupComboItem, &QComboBox::activated, this,
                                              &TFormLists::wwDBLookupComboItemChange);
                m_quantityHandler =
                    connect(wwDBSpinEditQuantity, &QSpinBox::valueChanged, this, &TFormLists::wwDBSpinEditQuantityChange);
            });
            if (RzDBRadioGroupItems->itemIndex() != 0 || !lists())
                return;
            if (ListOptionRules::clearItemForDefaultMethod(*lists())) {
                wwDBLookupComboItem->setCurrentIndex(-1);
                wwDBSpinEditQuantity->setValue(wwDBSpinEditQuantity->minimum());
            }
        },
        kv::ActionCursor::Unchanged);
}

namespace {
// Selects the second item of a method group, and stores its code when the
// row is being edited (as a data-aware group does when its item changes).
void selectSecond(kv::RadioGroup *group, kv::Query *lists, const QString &field, const QString &code)
{
    group->setItemIndex(1);
    if (lists && (lists->state() == DataState::Edit || lists->state() == DataState::Insert))
        lists->setFieldValue(field, code);
}
} // namespace

void TFormLists::wwDBLookupComboServiceChange()
{
    if (m_binding && m_binding->isShowing())
        return;
    runAction(
        QStringLiteral("wwDBLookupComboServiceChange"),
        [this] { selectSecond(RzDBRadioGroupService, lists(), QStringLiteral("Service_Method"), kServiceCodes[1]); },
        kv::ActionCursor::Unchanged);
}

void TFormLists::wwDBLookupComboItemChange()
{
    if (m_binding && m_binding->isShowing())
        return;
    runAction(
        QStringLiteral("wwDBLookupComboItemChange"),
        [this] { selectSecond(RzDBRadioGroupItems, lists(), QStringLiteral("Item_Method"), kItemsCodes[1]); },
        kv::ActionCursor::Unchanged);
}

void TFormLists::wwDBSpinEditQuantityChange()
{
    if (m_binding && m_binding->isShowing())
        return;
    runAction(
        QStringLiteral("wwDBSpinEditQuantityChange"),
        [this] { selectSecond(RzDBRadioGroupItems, lists(), QStringLiteral("Item_Method"), kItemsCodes[1]); },
        kv::ActionCursor::Unchanged);
}

// ---------------------------------------------------------------- list operations

void TFormLists::ActionDeleteListExecute()
{
    if (!m_dm)
        return;
    runAction(QStringLiteral("ActionDeleteListExecute"), [this] {
        kv::DeleteList op(*m_dm, *m_prompts, m_hostServices.userNameSource());
        op.run();
    });
}

void TFormLists::ActionEditListMembersExecute()
{
    if (!m_dm)
        return;
    runAction(
        QStringLiteral("ActionEditListMembersExecute"),
        [this] {
            resolvePendingEdits(kSaveBeforeMembers);
            kv::ScopedGlobalDialog<TFormListMembers> members(FormListMembers, *m_dm, *m_prompts, this);
            members->exec();
        },
        kv::ActionCursor::Unchanged);
}

void TFormLists::ActionFulfillExecute()
{
    if (!m_dm)
        return;
    runAction(
        QStringLiteral("ActionFulfillExecute"),
        [this] {
            // The list of an open members window, else the current row's (a new,
            // unsaved list reads as 0 and is reported by the lookup).
            const int listId = FormListMembers ? FormListMembers->nCurrentListID
                                               : int(lists()->fieldValue(QStringLiteral("Record_ID")).toLongLong());
            TFormMessageBox progress(this);
            kv::runFulfilment(this, *m_dm, listId, *m_prompts, progress, m_hostServices.userNameSource());
        },
        kv::ActionCursor::Unchanged);
}

void TFormLists::ActionCancelPendingExecute()
{
    if (!m_dm || !lists()->isOpen())
        return;
    runAction(
        QStringLiteral("ActionCancelPendingExecute"),
        [this] {
            kv::runCancelPending(this, *m_dm, lists()->fieldValue(QStringLiteral("Record_ID")),
                                 lists()->asString(QStringLiteral("List_Name")), *m_prompts, m_hostServices.userNameSource());
        },
        kv::ActionCursor::Unchanged);
}
