#include "lists/ui/form_lists_p.h"

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/trace.h"
#include "lists/cancel_pending.h"
#include "lists/delete_list.h"
#include "lists/ui/fulfilment_flow.h"
#include "shell/ui/busy_cursor.h"
#include "shell/ui/data_binding.h"
#include "shell/ui/form_about_kestrovan.h"
#include "shell/ui/form_message_box.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/qt_prompts.h"
#include "shell/window_placement.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QModelIndex>
#include <QScopeGuard>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>

using kv::DataState;
using kv::TraceScope;

// The window's texts are translated where shown (translated()); these are the English sources.
const QString TFormLists::kCaption = QString::fromUtf8(QT_TRANSLATE_NOOP("TFormLists", "Lists Maintenance"));
const QString TFormLists::kModuleName = QStringLiteral("Kestrovan");
const QString TFormLists::kMenuCaption = QString::fromUtf8(QT_TRANSLATE_NOOP("TFormLists", "Kestrovan"));
const QString TFormLists::kPlacementKey = QStringLiteral("FormLists");
const QString TFormLists::kSaveBeforeClosing = QString::fromUtf8(QT_TRANSLATE_NOOP("TFormLists", "Save your changes before closing this window?"));
const QString TFormLists::kSaveBeforeMembers =
    QString::fromUtf8(QT_TRANSLATE_NOOP("TFormLists", "Save your changes to the list before editing the members?"));

namespace {

kv::Prompts &defaultPrompts()
{
    static kv::QtPrompts prompts;
    return prompts;
}

} // namespace

TFormLists::TFormLists(QWidget *parent, kv::Prompts *prompts)
    : QDialog(parent)
    , d(std::make_unique<Private>())
    , m_prompts(prompts ? prompts : &defaultPrompts())
{
    TraceScope trace(QStringLiteral("TFormLists.FormCreate"));
    setObjectName(QStringLiteral("FormLists"));
    setWindowTitle(translated(kCaption));
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
    if (d->clock)
        d->clock->stop();
}

QWidget *TFormLists::hostControl() const
{
    return d->hostControl;
}

QueryTableModel *TFormLists::listsModel() const
{
    return d->listsModel;
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
    d->hostControl = hostControl;
    m_hostServices.attach(kestrovan::unknownOf(hostControl));
}

void TFormLists::SetMenu(QMenu *menuItem)
{
    TraceScope trace(QStringLiteral("TFormLists.SetMenu"));
    if (!menuItem)
        return;
    auto *entry = new QAction(translated(kMenuCaption), menuItem);
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
            // What the showing reads again travels with the standing queries:
            // one round trip to a server far away for the whole opening.
            dm->DataModuleCreate({dm->QueryItems, dm->QueryServices, dm->QueryLists});
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
    d->PageControl->setCurrentIndex(0);
    const auto readsAhead = d->state->sendShowingReadsAhead();
    // The lookups and the lists open on their own: one failing leaves the other shown.
    runAction(QStringLiteral("FormShow"), [this] {
        // Reopening the lookups shows values; it is no change of the user's.
        kv::DataBinding::ShowingScope showing(*d->binding);
        m_dm->QueryItems->close();
        m_dm->QueryItems->open();
        m_dm->QueryServices->close();
        m_dm->QueryServices->open();
    });
    runAction(QStringLiteral("FormShow.QueryLists"), [this] { d->state->show(); });
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
                    kv::DataBinding::ShowingScope showing(*d->binding);
                    m_dm->QueryItems->close();
                    m_dm->QueryServices->close();
                }
                // A row that stays unsaved keeps the window open, with its lookups.
                auto reopenLookups = qScopeGuard([this] {
                    try {
                        kv::DataBinding::ShowingScope showing(*d->binding);
                        m_dm->QueryItems->open();
                        m_dm->QueryServices->open();
                    } catch (...) {
                        // The error that kept the window open is the one shown.
                    }
                });
                if (!resolvePendingEdits(translated(kSaveBeforeClosing)))
                    return;
                reopenLookups.dismiss();
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
    d->PageControl->setCurrentWidget(d->TabSheetEdit);
}

void TFormLists::ViewBrowseClick()
{
    d->PageControl->setCurrentWidget(d->TabSheetBrowse);
}

void TFormLists::wwDBGridListsDblClick(const QModelIndex &index)
{
    runAction(
        QStringLiteral("wwDBGridListsDblClick"),
        [&] {
            if (index.isValid() && lists() && lists()->isOpen() && index.row() != lists()->recNo()
                && !d->state->move([&] { lists()->setRecNo(index.row()); }))
                return;
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

// ---------------------------------------------------------------- list operations

void TFormLists::ActionDeleteListExecute()
{
    if (!m_dm)
        return;
    runAction(QStringLiteral("ActionDeleteListExecute"), [this] {
        kv::DeleteList op(*m_dm, *m_prompts, m_hostServices.userNameSource());
        op.setLeaveRow([this] { return d->state->leaveRow(); });
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
            if (!m_membersWindow || !resolvePendingEdits(translated(kSaveBeforeMembers)))
                return;
            m_membersWindow.showModal(*m_dm, *m_prompts, this);
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
            const std::optional<int> shown = m_membersWindow.shownListId ? m_membersWindow.shownListId() : std::nullopt;
            const int listId = shown ? *shown : int(lists()->fieldValue(QStringLiteral("Record_ID")).toLongLong());
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

