#include "members/ui/form_list_members.h"
#include "members/ui/form_list_members_p.h"

#include "members/ui/bar_progress.h"
#include "data/engine/unit_of_work.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/trace.h"
#include "members/member_load_save.h"
#include "members/members_window_state.h"
#include "members/ui/form_client_editor.h"
#include "members/ui/incremental_search.h"
#include "members/ui/members_grid.h"
#include "shell/ui/busy_cursor.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/record_navigator.h"
#include "shell/ui/run_action.h"
#include "shell/window_placement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTabBar>

TFormListMembers *FormListMembers = nullptr;

const QString TFormListMembers::kCaption = QStringLiteral(QT_TRANSLATE_NOOP("TFormListMembers", "List Members"));
const QString TFormListMembers::kPlacementKey = QStringLiteral("FormListMembers");
const QString TFormListMembers::kSaveBeforeClosing =
    QStringLiteral(QT_TRANSLATE_NOOP("TFormListMembers", "Save your changes before closing the window?"));
const QString TFormListMembers::kCloseAfterConflict =
    QStringLiteral(QT_TRANSLATE_NOOP("TFormListMembers",
                                     "Close the window without saving your changes?\n\n"
                                     "Yes closes it and discards them.\n"
                                     "No keeps the window open with your changes; saving them again writes them over the other user's values."));
const QString TFormListMembers::kCloseAfterFailure =
    QStringLiteral(QT_TRANSLATE_NOOP("TFormListMembers",
                                     "Close the window without saving your changes?\n\n"
                                     "Yes closes it and discards them.\n"
                                     "No keeps the window open with your changes, to save them again."));
const QString TFormListMembers::kEditsNotShown = QStringLiteral(
    QT_TRANSLATE_NOOP("TFormListMembers", "Some of your changes could not be shown again: the list could not be read."));
const QString TFormListMembers::kMembersPrefix = QStringLiteral(QT_TRANSLATE_NOOP("TFormListMembers", "Members: "));
const QString TFormListMembers::kHiddenCount = QStringLiteral(QT_TRANSLATE_NOOP("TFormListMembers", ", %1 hidden"));
const QString TFormListMembers::kFilterNone = QStringLiteral(QT_TRANSLATE_NOOP("TFormListMembers", "Filter: None"));
const QString TFormListMembers::kLayoutFileName = QStringLiteral("Brenqui.ini");

namespace {

const QString kLayoutGroup = QStringLiteral("FormListMembers.wwDBGridListMembers");
const QString kInitialFilter = QStringLiteral("RecVisible = True");
// RecVisible has no grid column; the menus speak of visible names.
const char *const kVisibleCaption = QT_TRANSLATE_NOOP("TFormListMembers", "Visible");

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
    {QT_TRANSLATE_NOOP("TFormListMembers", "Client ID"), "Client_ID", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "First Name"), "First_Name", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Last Name"), "Last_Name", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "City"), "City", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Invited"), "Invited", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Confirmed"), "Confirmed", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Quantity"), "Quantity", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Service"), "Service_Desc", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Status"), "Status", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Start Date"), "Start", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Stop Date"), "Stop", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Dependent"), "Dependent", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Household Name"), "Household_Name", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Delivery Type"), "Delivery_Type", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Default Route"), "Def_Rte", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Monday"), "Monday", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Tuesday"), "Tuesday", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Wednesday"), "Wednesday", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Thursday"), "Thursday", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Friday"), "Friday", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Saturday"), "Saturday", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Sunday"), "Sunday", true, true},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Date Added"), "Added", true, false},
    {QT_TRANSLATE_NOOP("TFormListMembers", "Date Added (recent first)"), "Added_Desc", false, false},
};

} // namespace

QStringList TFormListMembers::keyComboEntries()
{
    QStringList entries;
    for (const SortEntry &e : kSortEntries)
        entries << tr(e.caption);
    return entries;
}

TFormListMembers::TFormListMembers(TDataModuleLists &dataModule, kv::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<TFormListMembersPrivate>())
    , m_dm(dataModule)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("FormListMembers"));
    setWindowTitle(tr(qUtf8Printable(kCaption)));
    resize(800, 600);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    m_state = std::make_unique<kv::MembersWindowState>(m_dm, m_prompts);
    ClientDataSetListMembers = &m_state->rows();
    ClientDataSetListMembers->setFilter(kInitialFilter);
    ClientDataSetListMembers->setFiltered(true);
    m_loadSave = &m_state->loadSave();
    m_state->setReload([this] { RzTabControl1Change(); });
    QueryClientInfo = m_loadSave->QueryClientInfo;
    // Another user's change is reported with the grid's titles, not column names.
    QHash<int, QString> captions{{kv::MemberRowSet::RecVisible, tr(kVisibleCaption)}};
    for (const kv::GridColumn &c : kv::MembersGrid::designColumns())
        captions.insert(c.field, kv::MembersGrid::tr(qUtf8Printable(c.title)).remove(QLatin1Char('~')));
    m_loadSave->setColumnCaptions(captions);

    buildActions();
    buildControls();
    buildMenus();
    m_progress = std::make_unique<kv::BarProgress>(d->RzProgressBar1, this);

    FormCreate();
}

TFormListMembers::~TFormListMembers()
{
    if (FormListMembers == this)
        FormListMembers = nullptr;
    // The grid goes before the row set it shows.
    delete d->wwDBGridListMembers;
    d->wwDBGridListMembers = nullptr;
}

QString TFormListMembersPrivate::selectedTabName() const
{
    return tabListName(RzTabControl1 ? RzTabControl1->currentIndex() : -1);
}

QString TFormListMembersPrivate::tabCaption(const QString &listName)
{
    QString caption = listName;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString TFormListMembersPrivate::tabListName(int tab) const
{
    if (tab < 0 || tab >= RzTabControl1->count())
        return QString();
    return RzTabControl1->tabText(tab).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

int TFormListMembersPrivate::tabListId(int tab) const
{
    return tab >= 0 && tab < RzTabControl1->count() ? RzTabControl1->tabData(tab).toInt() : 0;
}

int TFormListMembersPrivate::tabOfList(int listId) const
{
    for (int t = 0; t < RzTabControl1->count(); ++t)
        if (tabListId(t) == listId)
            return t;
    return -1;
}

kv::Progress &TFormListMembers::progress()
{
    return *m_progress;
}

QList<kv::MemberRowSet::Bookmark> TFormListMembers::gridSelection() const
{
    return d->wwDBGridListMembers->selectedBookmarks();
}

void TFormListMembers::clearGridSelection()
{
    d->wwDBGridListMembers->clearGridSelection();
}

void TFormListMembers::commitGridEditor()
{
    d->wwDBGridListMembers->commitPendingEditor();
}

void TFormListMembers::showError(const QString &text)
{
    m_prompts.show(kv::Prompts::Kind::Error, text);
}

bool TFormListMembers::runAction(const QString &handler, const std::function<void()> &fn, kv::ActionCursor cursor,
                                 kv::Prompts::Kind shownAs)
{
    return kv::runAction(m_prompts, QStringLiteral("TFormListMembers.") + handler, fn, cursor, shownAs);
}

bool TFormListMembers::runMemberWrite(const std::function<void()> &write)
{
    commitGridEditor();
    return m_state->runWrite([&] {
        // Escape stops the operation's loops, and only while it runs.
        m_progress->arm();
        const auto disarm = qScopeGuard([this] { m_progress->disarm(); });
        write();
    });
}

void TFormListMembers::reloadDiscardingEdits()
{
    m_state->reloadDiscardingEdits();
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
    d->wwDBGridListMembers->restoreLayout(settings, kLayoutGroup);
}

void TFormListMembers::saveGridLayout()
{
    kv::LocalSettings::updateKeys(layoutFilePath(), [this](QSettings &settings) { d->wwDBGridListMembers->saveLayout(settings, kLayoutGroup); });
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
        const QSignalBlocker block(d->RzTabControl1);
        while (d->RzTabControl1->count() > 0)
            d->RzTabControl1->removeTab(0);
        m_shownTab = -1;
        kv::Query *lookup = m_dm.QueryListLookup;
        lookup->close();
        lookup->open();
        // The lists window's current list, by its id: of two lists of one
        // name, the one the user chose.
        const bool hasCurrent = m_dm.QueryLists && m_dm.QueryLists->isOpen() && m_dm.QueryLists->recNo() >= 0
            && m_dm.QueryLists->state() != kv::DataState::Insert;
        const int current = hasCurrent ? int(m_dm.QueryLists->asInteger(QStringLiteral("Record_ID"))) : 0;
        int position = -1;
        lookup->first();
        for (int i = 0; !lookup->eof(); ++i, lookup->next()) {
            const int id = int(lookup->asInteger(QStringLiteral("Record_ID")));
            d->RzTabControl1->addTab(TFormListMembersPrivate::tabCaption(lookup->asString(QStringLiteral("List_Name"))));
            d->RzTabControl1->setTabData(i, id);
            if (hasCurrent && id == current)
                position = i;
        }
        lookup->close();
        if (position >= 0)
            d->RzTabControl1->setCurrentIndex(position);
    }
    RzTabControl1Change();
    d->wwIncrementalSearch1->setFocus();
}

void TFormListMembers::RzTabControl1Change()
{
    if (d->RzTabControl1->count() == 0)
        return;
    const kv::CursorScope busy;
    kv::MemberRowSet &rows = *ClientDataSetListMembers;
    d->wwDBGridListMembers->commitPendingEditor();
    kv::MemberRowSet::SuspendDisplay paused(rows);
    clearGridSelection();
    const int tab = d->RzTabControl1->currentIndex();
    // The window shows what the load left on every path; its error goes on to
    // the handler's boundary afterwards.
    kv::FirstFailure failure;
    try {
        m_state->load(d->tabListId(tab), d->tabListName(tab));
    } catch (...) {
        failure.record();
    }
    paused.resume();
    showListOf(tab, m_state->loadMoved());
    {
        const QSignalBlocker block(d->RzKeyCombo);
        d->RzKeyCombo->setCurrentIndex(TFormListMembersPrivate::kLastNameEntry);
    }
    wwDBGridListMembersUpdateFooter();
    failure.rethrow();
}

void TFormListMembers::showListOf(int tab, bool moved)
{
    // The list on display, its tab, the status pane and nCurrentListID move
    // together: once the rows come from the tab's list (the load got that far),
    // all of them follow it; otherwise the old list's rows are still on screen
    // and the tab goes back to name them.
    if (moved) {
        m_shownTab = tab;
        nCurrentListID = m_state->listId();
        d->RzStatusPaneListName->setText(m_state->listName());
        d->RzStatusPaneMemberCount->setText(memberCountText(m_state->memberCount(), m_state->hiddenCount()));
        return;
    }
    if (m_shownTab >= 0 && m_shownTab < d->RzTabControl1->count() && m_shownTab != tab) {
        const QSignalBlocker block(d->RzTabControl1);
        d->RzTabControl1->setCurrentIndex(m_shownTab);
    }
}

QString TFormListMembers::memberCountText(int members, int hidden, const QLocale &locale)
{
    // The footer counts the shown rows only; the pane says how many of the
    // list's members no filter shows, so the two can be told apart.
    QString text = tr(qUtf8Printable(kMembersPrefix)) + locale.toString(members);
    if (hidden > 0)
        text += tr(qUtf8Printable(kHiddenCount)).arg(locale.toString(hidden));
    return text;
}

void TFormListMembers::wwDBGridListMembersUpdateFooter()
{
    const QVariant sum = ClientDataSetListMembers->sumQuantity();
    const QString sumText = sum.isValid() ? sum.toString() : QString();
    const QString countText = QString::number(ClientDataSetListMembers->countClients());
    d->wwDBGridListMembers->setFooterText(kv::MemberRowSet::Quantity, sumText.isEmpty() ? QStringLiteral("0") : sumText);
    d->wwDBGridListMembers->setFooterText(kv::MemberRowSet::Client_ID, countText.isEmpty() ? QStringLiteral("0") : countText);
}

void TFormListMembers::Close1Click()
{
    d->BitBtnClose->click();
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
        d->wwDBGridListMembers->commitPendingEditor();
        try {
            if (rows.state() == kv::DataState::Edit) {
                if (m_prompts.confirm(tr(qUtf8Printable(kSaveBeforeClosing))))
                    rows.post();
                else
                    rows.cancel();
            }
            if (rows.isOpen())
                m_loadSave->saveChanges(rows);
            // Edits a failed read could not show again are not saved unseen.
            if (m_loadSave->hasKeptEdits())
                throw kv::Error(tr(qUtf8Printable(kEditsNotShown)));
        } catch (const kv::ApplicationEnding &) {
            throw;
        } catch (const kv::Error &e) {
            // Decides whether the window closes: whatever refused the save, the
            // edits stay unless the user lets them go; closing never loses them.
            const auto *refused = dynamic_cast<const kv::RolledBack *>(&e);
            const bool conflict = refused && refused->conflict();
            const QString question = tr(qUtf8Printable(conflict ? kCloseAfterConflict : kCloseAfterFailure));
            if (!m_prompts.warnDestroying(e.text() + QStringLiteral("\n\n") + question)) {
                if (conflict)
                    rows.adoptStored(*refused->conflict());
                stay = true;
                // Kept edits come back with a read that succeeds now.
                if (m_loadSave->hasKeptEdits())
                    RzTabControl1Change();
                else
                    m_loadSave->openClientInfo(rows);
                return;
            }
            if (rows.state() == kv::DataState::Edit)
                rows.cancel();
            m_loadSave->dropKeptEdits();
        }
        rows.close();
    });
    return !stay;
}

// ---------------------------------------------------------------------------
// Sorting, paging, search

QString TFormListMembers::groupColumn() const
{
    const int f = d->wwDBGridListMembers->groupField();
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
            d->wwDBGridListMembers->setGroupField(e.groupField());
            const QSignalBlocker block(d->RzKeyCombo);
            d->RzKeyCombo->setCurrentIndex(i);
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
        d->wwDBGridListMembers->viewport()->update();
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

void TFormListMembers::wwDBNavigator1PostClick()
{
    const kv::CursorScope busy;
    const auto offer = qScopeGuard([this] { d->wwDBNavigator1->refresh(); });
    m_state->saveNow();
}

void TFormListMembers::ActionSearchExecute()
{
    d->wwIncrementalSearch1->setFocus(Qt::ShortcutFocusReason);
    d->wwIncrementalSearch1->selectAll();
}

// ---------------------------------------------------------------------------
// Client editor

void TFormListMembers::ActionShowClientEditorExecute()
{
    runAction(
        QStringLiteral("ActionShowClientEditorExecute"),
        [this] {
            kv::MemberRowSet &rows = *ClientDataSetListMembers;
            d->wwDBGridListMembers->commitPendingEditor();
            if (!rows.isOpen() || rows.isEmpty()) {
                m_prompts.inform(TFormClientEditor::tr(qUtf8Printable(TFormClientEditor::kNoMemberMessage)));
                return;
            }
            m_loadSave->openClientInfo(rows);
            if (QueryClientInfo->isEmpty()) {
                m_prompts.inform(TFormClientEditor::tr(qUtf8Printable(TFormClientEditor::kNoMemberMessage)));
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
