#include "lists/ui/form_lists_p.h"

#include "shell/ui/fulfilment_defaults_panel.h"
#include "shell/ui/radio_group.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/mnemonic.h"
#include "shell/ui/record_navigator.h"
#include "shell/ui/screen_reader_names.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTime>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace form_lists_text;

namespace {

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

} // namespace

void TFormLists::buildUi()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The captions are the described ones; the underlined letters (Alt+letter)
    // are the keyboard's way to the buttons and menu entries.
    d->ActionFulfill = named(new QAction(kv::withMnemonic(tr("Fulfill"), QStringLiteral("Fulfi&ll")), this), QStringLiteral("ActionFulfill"));
    d->ActionEditListMembers = named(new QAction(kv::withMnemonic(tr("Edit Members"), QStringLiteral("Edit &Members")), this), QStringLiteral("ActionEditListMembers"));
    d->ActionDeleteList = named(new QAction(kv::withMnemonic(tr("Delete"), QStringLiteral("&Delete")), this), QStringLiteral("ActionDeleteList"));
    d->ActionCancelPending = named(new QAction(kv::withMnemonic(tr("Cancel Pendg"), QStringLiteral("Cancel &Pendg")), this), QStringLiteral("ActionCancelPending"));
    connect(d->ActionFulfill, &QAction::triggered, this, &TFormLists::ActionFulfillExecute);
    connect(d->ActionEditListMembers, &QAction::triggered, this, &TFormLists::ActionEditListMembersExecute);
    connect(d->ActionDeleteList, &QAction::triggered, this, &TFormLists::ActionDeleteListExecute);
    connect(d->ActionCancelPending, &QAction::triggered, this, &TFormLists::ActionCancelPendingExecute);

    buildMenu();
    layout->setMenuBar(d->MainMenu1);

    d->PageControl = named(new QTabWidget(this), QStringLiteral("PageControl"));
    d->TabSheetEdit = buildEditPage();
    d->TabSheetBrowse = buildBrowsePage();
    d->PageControl->addTab(d->TabSheetEdit, tr(kEditPage));
    d->PageControl->addTab(d->TabSheetBrowse, tr(kBrowsePage));
    d->PageControl->setCurrentIndex(0);
    auto *pageHolder = new QWidget(this);
    auto *pl = new QVBoxLayout(pageHolder);
    pl->setContentsMargins(6, 6, 6, 4);
    pl->addWidget(d->PageControl);
    layout->addWidget(pageHolder, 1);
    layout->addWidget(buildBottomBar());

    d->StatusBar1 = named(new QStatusBar(this), QStringLiteral("StatusBar1"));
    d->StatusBar1->setSizeGripEnabled(true);
    d->StatusListName = named(new QLabel(this), QStringLiteral("StatusListName"));
    d->StatusRowState = named(new QLabel(this), QStringLiteral("StatusRowState"));
    d->StatusClock = named(new QLabel(this), QStringLiteral("StatusClock"));
    d->StatusRowState->setMinimumWidth(90);
    d->StatusClock->setMinimumWidth(80);
    d->StatusClock->setAlignment(Qt::AlignCenter);
    d->StatusBar1->addWidget(d->StatusListName, 1);
    d->StatusBar1->addPermanentWidget(d->StatusRowState);
    d->StatusBar1->addPermanentWidget(d->StatusClock);
    layout->addWidget(d->StatusBar1);

    d->clock = new QTimer(this);
    d->clock->setInterval(1000);
    auto tick = [this] { d->StatusClock->setText(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat)); };
    connect(d->clock, &QTimer::timeout, this, tick);
    tick();
    d->clock->start();
    updateNavigator();
    // The edit page's boxes are spoken by the captions of the groups they sit in.
    kv::nameControlsForScreenReaders(this);
    // On a small screen the pages scroll; the navigator, the buttons and the
    // status bar stay in view.
    kv::fitToScreen(this, 2);
}

void TFormLists::buildMenu()
{
    d->MainMenu1 = named(new QMenuBar(this), QStringLiteral("MainMenu1"));
    QMenu *file = named(d->MainMenu1->addMenu(tr("&File")), QStringLiteral("MenuFile"));
    d->MenuFileClose = named(file->addAction(tr("&Close")), QStringLiteral("MenuFileClose"));
    connect(d->MenuFileClose, &QAction::triggered, this, &QDialog::reject);

    QMenu *edit = named(d->MainMenu1->addMenu(tr("&Edit")), QStringLiteral("MenuEdit"));
    edit->addAction(d->ActionEditListMembers);
    d->MenuEditMembers = d->ActionEditListMembers;
    edit->addSeparator();
    // The entry has a caption of its own; it runs the same action.
    d->MenuDeleteList = named(edit->addAction(kv::withMnemonic(tr("Delete List"), QStringLiteral("&Delete List"))), QStringLiteral("MenuDeleteList"));
    connect(d->MenuDeleteList, &QAction::triggered, d->ActionDeleteList, &QAction::trigger);
    connect(d->ActionDeleteList, &QAction::changed, d->MenuDeleteList, [this] { d->MenuDeleteList->setEnabled(d->ActionDeleteList->isEnabled()); });

    QMenu *view = named(d->MainMenu1->addMenu(tr("&View")), QStringLiteral("MenuView"));
    d->MenuViewEdit = named(view->addAction(QLatin1Char('&') + tr(kEditPage)), QStringLiteral("MenuViewEdit"));
    d->MenuViewBrowse = named(view->addAction(QLatin1Char('&') + tr(kBrowsePage)), QStringLiteral("MenuViewBrowse"));
    connect(d->MenuViewEdit, &QAction::triggered, this, &TFormLists::ViewEditClick);
    connect(d->MenuViewBrowse, &QAction::triggered, this, &TFormLists::ViewBrowseClick);

    QMenu *utilities = named(d->MainMenu1->addMenu(tr("&Utilities")), QStringLiteral("MenuUtilities"));
    utilities->addAction(d->ActionFulfill);
    d->MenuUtilitiesFulfill = d->ActionFulfill;

    d->MenuReports = named(d->MainMenu1->addMenu(tr("&Reports")), QStringLiteral("MenuReports"));

    QMenu *help = named(d->MainMenu1->addMenu(kv::withMnemonic(tr("Help"), QStringLiteral("&Help"))), QStringLiteral("MenuHelp"));
    d->MenuHelpAbout = named(help->addAction(kv::withMnemonic(tr("About"), QStringLiteral("&About"))), QStringLiteral("MenuHelpAbout"));
    connect(d->MenuHelpAbout, &QAction::triggered, this, &TFormLists::About1Click);
}

QWidget *TFormLists::buildEditPage()
{
    auto *page = named(new QWidget(this), QStringLiteral("TabSheetEdit"));

    d->DBEditListName = named(new QLineEdit(page), QStringLiteral("DBEditListName"));
    d->DBMemo1 = named(new QPlainTextEdit(page), QStringLiteral("DBMemo1"));
    d->DBMemo1->setTabChangesFocus(true);
    d->wwDBComboBox1 = named(new QComboBox(page), QStringLiteral("wwDBComboBox1"));
    d->DBEdituser = named(new QLineEdit(page), QStringLiteral("DBEdituser"));

    kv::FulfilmentDefaultsPanel::Options panelOptions;
    panelOptions.names = {QStringLiteral("wwCheckBoxCurrentlyActive"), QStringLiteral("RzDBRadioGroupConfirmedStatus"),
                          QStringLiteral("RzDBRadioGroupService"),     QStringLiteral("wwDBLookupComboService"),
                          QStringLiteral("RzDBRadioGroupItems"),       QStringLiteral("wwDBSpinEditQuantity"),
                          QStringLiteral("wwDBLookupComboItem")};
    panelOptions.activeOnlyCaption = tr(kActiveOnlyCaption);
    panelOptions.selectedItemCaption = tr(kSpecifiedItemCaption);
    // 1 to 99; the empty position below 1 stands for "no quantity". The
    // lookups show their sets as soon as a data module is there.
    panelOptions.quantityMaximum = 99;
    panelOptions.widenServiceColumn = true;
    auto *options = named(new QGroupBox(tr(kOptionsCaption), page), QStringLiteral("GroupBoxOptions"));
    auto *panel = new kv::FulfilmentDefaultsPanel(panelOptions, options);
    auto *ol = new QVBoxLayout(options);
    ol->addWidget(panel);
    d->defaults = panel;

    // In this window the options show the stored defaults; only the check
    // box can be changed here.
    for (QWidget *w : {static_cast<QWidget *>(d->defaults->confirmed()), static_cast<QWidget *>(d->defaults->service()),
                       static_cast<QWidget *>(d->defaults->serviceLookup()), static_cast<QWidget *>(d->defaults->items()),
                       static_cast<QWidget *>(d->defaults->quantity()), static_cast<QWidget *>(d->defaults->itemLookup())})
        w->setEnabled(false);

    const QFontMetrics fm(font());
    d->DBEditListName->setMinimumWidth(fm.averageCharWidth() * 50);
    d->DBEdituser->setMaximumWidth(fm.averageCharWidth() * 30);
    d->DBMemo1->setFixedHeight(fm.lineSpacing() * 5 + 12);

    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setVerticalSpacing(8);
    grid->addWidget(named(captioned(tr(kListNameCaption), d->DBEditListName, page), QStringLiteral("GroupBoxListName")), 0, 0);
    grid->addWidget(named(captioned(tr(kAddModeCaption), d->wwDBComboBox1, page), QStringLiteral("GroupBoxAddMode")), 0, 1);
    grid->addWidget(named(captioned(tr(kDescriptionCaption), d->DBMemo1, page), QStringLiteral("GroupBoxDescription")), 1, 0, 1, 2);
    grid->addWidget(options, 2, 0, 1, 2);
    auto *userBox = named(captioned(tr(kUpdatedByCaption), d->DBEdituser, page), QStringLiteral("GroupBoxUpdatedBy"));
    grid->addWidget(userBox, 3, 0);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    return page;
}

QWidget *TFormLists::buildBrowsePage()
{
    auto *page = named(new QWidget(this), QStringLiteral("TabSheetBrowse"));
    d->wwDBGridLists = named(new QTableView(page), QStringLiteral("wwDBGridLists"));
    d->wwDBGridLists->setEditTriggers(QAbstractItemView::NoEditTriggers);
    d->wwDBGridLists->setSelectionBehavior(QAbstractItemView::SelectRows);
    d->wwDBGridLists->setSelectionMode(QAbstractItemView::SingleSelection);
    d->wwDBGridLists->setAlternatingRowColors(true);
    d->wwDBGridLists->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    d->wwDBGridLists->verticalHeader()->hide();
    d->wwDBGridLists->horizontalHeader()->setMinimumHeight(fontMetrics().height() * 2 + 8);
    d->wwDBGridLists->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    d->wwDBGridLists->setWordWrap(false);
    // Tab leaves the grid for the next control; the arrows move between rows.
    d->wwDBGridLists->setTabKeyNavigation(false);
    d->wwDBGridLists->setAccessibleName(tr(kBrowsePage));
    connect(d->wwDBGridLists, &QTableView::doubleClicked, this, &TFormLists::wwDBGridListsDblClick);
    auto *l = new QVBoxLayout(page);
    l->setContentsMargins(4, 4, 4, 4);
    l->addWidget(d->wwDBGridLists);
    return page;
}

QWidget *TFormLists::buildBottomBar()
{
    auto *bar = named(new QWidget(this), QStringLiteral("PanelBottom"));
    auto *l = new QHBoxLayout(bar);
    l->setContentsMargins(6, 2, 6, 4);

    d->listsCursor = new kv::QueryRowCursor(nullptr, this);
    auto *navigator = new kv::RecordNavigator(d->listsCursor,
                                              {kv::RecordNavigator::First, kv::RecordNavigator::Prior,
                                               kv::RecordNavigator::Next, kv::RecordNavigator::Last,
                                               kv::RecordNavigator::Insert, kv::RecordNavigator::Post,
                                               kv::RecordNavigator::Cancel},
                                              QStringLiteral("Nav"), bar);
    d->DBNavigator = named(navigator, QStringLiteral("DBNavigator"));
    QToolButton **targets[] = {&d->NavFirst, &d->NavPrior, &d->NavNext, &d->NavLast, &d->NavInsert, &d->NavPost, &d->NavCancel};
    for (int i = kv::RecordNavigator::First; i <= kv::RecordNavigator::Cancel; ++i) {
        *targets[i] = navigator->button(kv::RecordNavigator::Button(i));
        (*targets[i])->setMinimumSize(28, 26);
    }
    navigator->setRunner([this](kv::RecordNavigator::Button which, const std::function<void()> &step) {
        if (which == kv::RecordNavigator::Insert)
            ViewEditClick();
        navigate(which, step);
        if (which == kv::RecordNavigator::Insert)
            d->DBEditListName->setFocus();
    });
    l->addWidget(d->DBNavigator);
    l->addSpacing(12);

    auto button = [bar, l](QAction *action, const QString &name) {
        auto *b = named(new QPushButton(action->text(), bar), name);
        QObject::connect(b, &QPushButton::clicked, action, &QAction::trigger);
        QObject::connect(action, &QAction::changed, b, [b, action] { b->setEnabled(action->isEnabled()); });
        l->addWidget(b);
        return b;
    };
    d->ButtonDelete = button(d->ActionDeleteList, QStringLiteral("ButtonDelete"));
    d->ButtonEditMembers = button(d->ActionEditListMembers, QStringLiteral("ButtonEditMembers"));
    d->ButtonFulfill = button(d->ActionFulfill, QStringLiteral("ButtonFulfill"));
    d->ButtonCancelPending = button(d->ActionCancelPending, QStringLiteral("ButtonCancelPending"));
    l->addStretch(1);
    d->BitBtnClose = named(new QPushButton(kv::withMnemonic(tr("Close"), QStringLiteral("Cl&ose")), bar), QStringLiteral("BitBtnClose"));
    d->BitBtnClose->setAutoDefault(false);
    connect(d->BitBtnClose, &QPushButton::clicked, this, &QDialog::reject);
    l->addWidget(d->BitBtnClose);
    for (auto *b : bar->findChildren<QPushButton *>())
        b->setAutoDefault(false);
    return bar;
}

