#pragma once

#include <kestrovan/plugin_interfaces.h>

#include <QLibrary>
#include <QPointer>
#include <QString>

class QMenu;
class QWidget;

// Loads the plug-in module, runs its initialisation, creates the object of
// the class its description names, and asks it for IPlugInModule.
class PluginLoader
{
public:
    PluginLoader() = default;
    ~PluginLoader();
    PluginLoader(const PluginLoader &) = delete;
    PluginLoader &operator=(const PluginLoader &) = delete;

    // The module beside the executable or in ../lib/.
    static QString defaultPath();

    // Empty text on success, else what went wrong.
    QString load(const QString &path, QWidget *owner);
    // Frees the object and runs the module's finalisation. The module itself
    // stays mapped until the process ends: objects the plug-in left with the
    // application (its data module) are freed when the application goes.
    void unload();

    bool isLoaded() const { return m_plugin != nullptr; }
    QString description() const { return m_description; }
    QObject *object() const { return m_object; }
    kestrovan::IPlugInModule *plugin() const { return m_plugin; }
    kestrovan::ShowDataOptionsProc showDataOptions() const { return m_showDataOptions; }

private:
    QLibrary m_library;
    kestrovan::FinalizeProc m_finalize = nullptr;
    kestrovan::ShowDataOptionsProc m_showDataOptions = nullptr;
    QString m_description;
    QPointer<QObject> m_object;
    kestrovan::IPlugInModule *m_plugin = nullptr;
};
