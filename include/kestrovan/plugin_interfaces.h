#pragma once

// The contract between the host application and the Kestrovan plug-in module.
// Both sides include this header and nothing else of each other.
//
// The interfaces are COM-style: abstract classes without a virtual
// destructor, so that the first slot of the table is QueryInterface, then
// AddRef and Release, then the operations in the order given here. A host
// written against the slot order alone can call them. Never add, remove or
// reorder a virtual function.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUuid>
#include <cstdint>
#include <utility>

class QMenu;
class QWidget;

namespace kestrovan {

using HResult = std::int32_t;
inline constexpr HResult S_Ok = 0;
inline constexpr HResult E_NoInterface = HResult(0x80004002u);
inline constexpr HResult E_Pointer = HResult(0x80004003u);

inline const QUuid IID_IUnknown{QStringLiteral("{00000000-0000-0000-C000-000000000046}")};
inline const QUuid IID_IPlugInModule{QStringLiteral("{9C4CD2EC-5B8B-4395-AB5F-3C1EF7B78818}")};
inline const QUuid IID_IHostInterface{QStringLiteral("{D0CC89C2-461D-49FE-B719-C343C1AC9430}")};

class IUnknown
{
public:
    virtual HResult QueryInterface(const QUuid &iid, void **out) = 0; // slot 0
    virtual std::uint32_t AddRef() = 0;                               // slot 1
    virtual std::uint32_t Release() = 0;                              // slot 2

protected:
    ~IUnknown() = default;
};

// What the plug-in object offers the host.
class IPlugInModule : public IUnknown
{
public:
    virtual void Init(QWidget *hostControl) = 0;                        // slot 3
    virtual void SetMenu(QMenu *menuItem) = 0;                          // slot 4
    virtual void PrepareMenuDate(const QDateTime &when) = 0;            // slot 5
    virtual bool GetIsModuleInstalled(const QString &moduleName) = 0;   // slot 6

protected:
    ~IPlugInModule() = default;
};

// What the host offers the plug-in through the control it passes to Init.
class IHostInterface : public IUnknown
{
public:
    virtual QString GetCurrentUserName() = 0; // slot 3

protected:
    ~IHostInterface() = default;
};

// A counted reference: AddRef when taken, Release when dropped.
template<class T>
class InterfaceRef
{
public:
    InterfaceRef() = default;
    explicit InterfaceRef(T *adopt) : m_p(adopt) {} // takes over a reference already counted
    InterfaceRef(const InterfaceRef &o) : m_p(o.m_p) { if (m_p) m_p->AddRef(); }
    InterfaceRef &operator=(const InterfaceRef &o)
    {
        InterfaceRef copy(o);
        std::swap(m_p, copy.m_p);
        return *this;
    }
    ~InterfaceRef() { reset(); }
    void reset()
    {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }
    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T *m_p = nullptr;
};

// Asks any interface for another; an empty reference when it is not offered.
template<class T>
InterfaceRef<T> queryInterface(IUnknown *from, const QUuid &iid)
{
    void *out = nullptr;
    if (!from || from->QueryInterface(iid, &out) != S_Ok || !out)
        return {};
    return InterfaceRef<T>(static_cast<T *>(out));
}

} // namespace kestrovan

// A widget or object that answers QueryInterface declares IUnknown among its
// Qt interfaces, so that either side can reach it with qobject_cast across the
// module boundary (the cast compares the identifier text, not type info).
Q_DECLARE_INTERFACE(kestrovan::IUnknown, "{00000000-0000-0000-C000-000000000046}")

namespace kestrovan {

inline IUnknown *unknownOf(QObject *object)
{
    return object ? qobject_cast<IUnknown *>(object) : nullptr;
}

// The C entry points the module exports. The host resolves them by name.
struct PackageInfoTable
{
    int version;              // of this table's layout: 1
    const char *description;  // the class the host creates: "TFormLists"
    int unitCount;
    const char *const *units; // the units initialised at load, in order
};

extern "C" {
using InitializeProc = void (*)();
using FinalizeProc = void (*)();
using GetPackageInfoTableProc = const PackageInfoTable *(*)();
// Creates an object of a class registered by name, owned by owner; null when
// no such class is registered. The host frees it before unloading.
using CreateRegisteredObjectProc = QObject *(*)(const char *className, QWidget *owner);
// Opens the connection settings dialog modally; false when the module has none.
using ShowDataOptionsProc = bool (*)(QWidget *parent);
// For every table component the window (or data module) owns: command "O"
// opens it, "R" refreshes it, "C" closes it; any other command does nothing.
using TablesProc = void (*)(const char *command, QWidget *window);
using DMTablesProc = void (*)(const char *command, QObject *dataModule);
}

inline constexpr const char *InitializeEntry = "Initialize";
inline constexpr const char *FinalizeEntry = "Finalize";
inline constexpr const char *GetPackageInfoTableEntry = "GetPackageInfoTable";
inline constexpr const char *CreateRegisteredObjectEntry = "CreateRegisteredObject";
inline constexpr const char *ShowDataOptionsEntry = "ShowDataOptions";
inline constexpr const char *TablesEntry = "Tables";
inline constexpr const char *DMTablesEntry = "DMTables";

} // namespace kestrovan
