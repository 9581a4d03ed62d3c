#pragma once

#include "shell/host_services.h"
#include "shell/ui/members_window_opener.h"
#include "shell/ui/run_action.h"

#include <kestrovan/plugin_interfaces.h>

#include <QDialog>
#include <functional>
#include <memory>

class QMenu;
class QueryTableModel;
class TDataModuleLists;

namespace kv {
class Prompts;
class Query;
} // namespace kv

// The plug-in object and the lists window in one: the host creates it, talks
// to it through IPlugInModule, and each choice of the menu entry shows it
// modally on the lists of the host database.
class TFormLists : public QDialog, public kestrovan::IPlugInModule
{
    Q_OBJECT
    Q_INTERFACES(kestrovan::IUnknown)
public:
    static const QString kCaption;            // "Lists Maintenance"
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static const QString kModuleName;         // "Kestrovan"
    static const QString kMenuCaption;        // "Kestrovan"
    static const QString kPlacementKey;       // "FormLists"
    static const QString kSaveBeforeClosing;  // "Save your changes before closing this window?"
    static const QString kSaveBeforeMembers;  // "Save your changes to the list before editing the members?"

    // Makes the data module on the first successful choice of the menu entry.
    using DataModuleFactory =
        std::function<std::unique_ptr<TDataModuleLists>(kv::Prompts &prompts, std::function<void()> shutdownRequest)>;

    // prompts: where questions and notices go (message boxes when null).
    explicit TFormLists(QWidget *parent = nullptr, kv::Prompts *prompts = nullptr);
    ~TFormLists() override;

    // IPlugInModule, in slot order.
    kestrovan::HResult QueryInterface(const QUuid &iid, void **out) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    void Init(QWidget *hostControl) override;
    void SetMenu(QMenu *menuItem) override;
    void PrepareMenuDate(const QDateTime &when) override;
    bool GetIsModuleInstalled(const QString &moduleName) override;

    // The menu entry's click.
    void FormListsShowModal();

    // Window placement, usable for any window of the plug-in.
    static void SetFormPos(QWidget *window, const QString &entry, const QString &file);
    static bool SaveFormPos(QWidget *window, const QString &entry, const QString &file);
    // "Brenqui.ini" in cAppDataFolder.
    QString settingsFilePath() const;

    void setDataModuleFactory(DataModuleFactory factory) { m_dataModuleFactory = std::move(factory); }
    // What ends the host application in order after a data-location error
    // (by default the application's quit request, queued).
    void setShutdownRequest(std::function<void()> request) { m_shutdownRequest = std::move(request); }
    // What "Edit Members" opens (the module sets the members window's opener).
    void setMembersWindowOpener(kv::MembersWindowOpener opener) { m_membersWindow = std::move(opener); }
    kv::Prompts &prompts() const { return *m_prompts; }
    kv::HostServices &hostServices() { return m_hostServices; }
    QWidget *hostControl() const;
    TDataModuleLists *dataModule() const { return m_dm; }
    // Binds the window to a data module (done by the menu entry before the
    // window is shown; tests call it to show the window without modality).
    void useDataModule(TDataModuleLists *dm) { attachDataModule(dm); }
    QueryTableModel *listsModel() const;

    // The plug-in's data folder with its trailing separator, or empty.
    QString cAppDataFolder;

    // Handlers
    void FormShow();
    // False when the window must stay open (posting the row failed).
    bool FormClose();
    void ActionFulfillExecute();
    void ActionEditListMembersExecute();
    void ActionDeleteListExecute();
    void ActionCancelPendingExecute();
    void About1Click();
    void ViewEditClick();
    void ViewBrowseClick();
    void wwDBGridListsDblClick(const QModelIndex &index);
    void RzDBRadioGroupServiceChange();
    void RzDBRadioGroupItemsChange();
    void wwDBLookupComboServiceChange();
    void wwDBLookupComboItemChange();
    void wwDBSpinEditQuantityChange();

    // The rows' state as the status bar names it.
    static QString stateText(int state);

public Q_SLOTS:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Every handler's boundary (kv::runAction) with this window's prompts.
    bool runAction(const QString &handler, const std::function<void()> &fn,
                   kv::ActionCursor cursor = kv::ActionCursor::Busy);
    // Building the window (form_lists_build.cpp).
    void buildUi();
    QWidget *buildEditPage();
    QWidget *buildBrowsePage();
    QWidget *buildBottomBar();
    void buildMenu();
    // The rows on show (form_lists_data.cpp).
    void attachDataModule(TDataModuleLists *dm);
    void connectRuleHandlers();
    void showRowState();
    void syncGridToQuery();
    void updateNavigator();
    // A navigator button's step, the pending edit dealt with first.
    void navigate(int button, const std::function<void()> &step);
    kv::Query *lists() const;
    // Resolves unsaved edits of the list row: Yes posts, No cancels. False:
    // the edit could not be written and stays; the caller does not go on.
    bool resolvePendingEdits(const QString &question);

    struct Private;
    std::unique_ptr<Private> d;
    kv::Prompts *m_prompts;
    kv::HostServices m_hostServices;
    DataModuleFactory m_dataModuleFactory;
    kv::MembersWindowOpener m_membersWindow;
    std::function<void()> m_shutdownRequest;
    TDataModuleLists *m_dm = nullptr;
};
