#include "host_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrovan-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in host application for the Kestrovan plug-in."));
    parser.addHelpOption();
    QCommandLineOption user(QStringLiteral("user"), QStringLiteral("The user name the host reports."), QStringLiteral("NAME"));
    QCommandLineOption plugin(QStringLiteral("plugin"), QStringLiteral("The plug-in module to load."), QStringLiteral("PATH"));
    parser.addOption(user);
    parser.addOption(plugin);
    parser.process(app);

    HostWindow window({parser.value(plugin), parser.value(user)});
    const QString error = window.loadPlugin();
    if (!error.isEmpty())
        QMessageBox::warning(&window, window.windowTitle(), error);
    window.show();
    const int rc = app.exec();
    // In order: the plug-in object and the module's finalisation go first,
    // while every window still exists.
    window.unloadPlugin();
    return rc;
}
