// The module's exported entry points. Loading the module does nothing by
// itself; the host calls Initialize, which runs the units' initialisations
// (the only visible one registers the lists window's class) and installs the
// translation for the user's language when one ships beside the module, and
// Finalize, which runs their finalisations in reverse and removes it.

#include "lists/ui/form_lists.h"
#include "members/ui/form_list_members.h"
#include "shell/table_components.h"
#include "shell/module/class_registry.h"
#include "shell/translation.h"

#include <kestrovan/plugin_interfaces.h>

#if __has_include("data/ui/form_registry_editor.h")
#include "data/ui/form_registry_editor.h"
#define KV_HAVE_SETTINGS_DIALOG 1
#endif

#include <QTranslator>
#include <QWidget>
#include <iterator>
#include <memory>
#include <type_traits>

namespace {

const char *const kDescription = "TFormLists";
const char *const kUnits[] = {"FrmLists"};

struct Unit
{
    void (*initialization)();
    void (*finalization)();
};

void FrmListsInitialization()
{
    // The module is where the two windows meet: the lists window opens the
    // members window through the opener it is given here.
    kv::ClassRegistry::registerClass(QStringLiteral("TFormLists"), [](QWidget *owner) -> QObject * {
        auto *lists = new TFormLists(owner);
        lists->setMembersWindowOpener(TFormListMembers::opener());
        return lists;
    });
}

void FrmListsFinalization()
{
    kv::ClassRegistry::unregisterClass(QStringLiteral("TFormLists"));
}

const Unit kUnitTable[] = {{&FrmListsInitialization, &FrmListsFinalization}};

const kestrovan::PackageInfoTable kPackageInfo = {1, kDescription, int(std::size(kUnits)), kUnits};

bool g_initialized = false;
std::unique_ptr<QTranslator> g_translation;

} // namespace

extern "C" {

Q_DECL_EXPORT void Initialize()
{
    if (g_initialized)
        return;
    g_translation = kv::installTranslation(kv::moduleFolder());
    for (const Unit &u : kUnitTable)
        u.initialization();
    g_initialized = true;
}

Q_DECL_EXPORT void Finalize()
{
    if (!g_initialized)
        return;
    for (auto it = std::rbegin(kUnitTable); it != std::rend(kUnitTable); ++it)
        it->finalization();
    g_translation.reset();
    g_initialized = false;
}

Q_DECL_EXPORT const kestrovan::PackageInfoTable *GetPackageInfoTable()
{
    return &kPackageInfo;
}

Q_DECL_EXPORT QObject *CreateRegisteredObject(const char *className, QWidget *owner)
{
    return className ? kv::ClassRegistry::create(QString::fromUtf8(className), owner) : nullptr;
}

Q_DECL_EXPORT bool ShowDataOptions(QWidget *parent)
{
#ifdef KV_HAVE_SETTINGS_DIALOG
    TFormRegistryEditor dialog(parent);
    dialog.exec();
    return true;
#else
    Q_UNUSED(parent)
    return false;
#endif
}

Q_DECL_EXPORT void Tables(const char *command, QWidget *window)
{
    kv::applyTableCommand(command ? QString::fromUtf8(command) : QString(), window);
}

Q_DECL_EXPORT void DMTables(const char *command, QObject *dataModule)
{
    kv::applyTableCommand(command ? QString::fromUtf8(command) : QString(), dataModule);
}

} // extern "C"

// The exported entries keep the signatures the host resolves them by.
static_assert(std::is_same_v<decltype(&Initialize), kestrovan::InitializeProc>);
static_assert(std::is_same_v<decltype(&Finalize), kestrovan::FinalizeProc>);
static_assert(std::is_same_v<decltype(&Tables), kestrovan::TablesProc>);
static_assert(std::is_same_v<decltype(&DMTables), kestrovan::DMTablesProc>);
static_assert(std::is_same_v<decltype(&GetPackageInfoTable), kestrovan::GetPackageInfoTableProc>);
static_assert(std::is_same_v<decltype(&CreateRegisteredObject), kestrovan::CreateRegisteredObjectProc>);
static_assert(std::is_same_v<decltype(&ShowDataOptions), kestrovan::ShowDataOptionsProc>);
