#pragma once

#include "plugin_loader.h"

#include <QMainWindow>

class HostControl;
class QMenu;

// The stand-in host application's main window: a menu bar with the host's own
// "File" menu (with "Data Options…") and the "Plug-ins" menu the plug-in adds
// its entry to.
class HostWindow : public QMainWindow
{
    Q_OBJECT
public:
    static const QString kPluginsMenu;     // "Plug-ins"
    static const QString kDataOptions;     // "Data Options…"

    struct Options
    {
        QString pluginPath; // empty: the default place
        QString userName;   // empty: the login name
    };

    explicit HostWindow(const Options &options, QWidget *parent = nullptr);
    ~HostWindow() override;

    // Loads the plug-in and lets it add its menu entry. Empty text on success.
    QString loadPlugin();
    void unloadPlugin();

    QMenu *pluginsMenu() const { return m_pluginsMenu; }
    HostControl *hostControl() const { return m_control; }
    PluginLoader &loader() { return m_loader; }

    void DataOptionsClick();

private:
    Options m_options;
    HostControl *m_control;
    QMenu *m_pluginsMenu;
    PluginLoader m_loader;
};
