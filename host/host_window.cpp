#include "host_window.h"

#include "host_control.h"

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>

const QString HostWindow::kPluginsMenu = QStringLiteral("Plug-ins");
const QString HostWindow::kDataOptions = QStringLiteral("Data Options…");

HostWindow::HostWindow(const Options &options, QWidget *parent)
    : QMainWindow(parent)
    , m_options(options)
{
    setObjectName(QStringLiteral("HostWindow"));
    setWindowTitle(QStringLiteral("Brenquistal"));
    resize(900, 600);

    const QString user = options.userName.isEmpty() ? HostControl::loginName() : options.userName;
    m_control = new HostControl(user, this);
    m_control->setAlignment(Qt::AlignCenter);
    m_control->setText(QStringLiteral("<h2>Brenquistal</h2><p>Meal delivery service</p><p>User: %1</p>"
                                      "<p>Choose <b>Plug-ins &rarr; Kestrovan</b> to work with lists.</p>")
                           .arg(user.toHtmlEscaped()));
    setCentralWidget(m_control);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("HostMenuFile"));
    QAction *dataOptions = file->addAction(kDataOptions);
    dataOptions->setObjectName(QStringLiteral("HostDataOptions"));
    connect(dataOptions, &QAction::triggered, this, &HostWindow::DataOptionsClick);
    file->addSeparator();
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("HostExit"));
    connect(exit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    m_pluginsMenu = menuBar()->addMenu(kPluginsMenu);
    m_pluginsMenu->setObjectName(QStringLiteral("HostPluginsMenu"));
}

HostWindow::~HostWindow()
{
    unloadPlugin();
}

QString HostWindow::loadPlugin()
{
    const QString path = m_options.pluginPath.isEmpty() ? PluginLoader::defaultPath() : m_options.pluginPath;
    const QString error = m_loader.load(path, this);
    if (!error.isEmpty())
        return error;
    m_loader.plugin()->Init(m_control);
    m_loader.plugin()->SetMenu(m_pluginsMenu);
    return QString();
}

void HostWindow::unloadPlugin()
{
    // The plug-in's entries belong to our menu but call into the object that
    // is about to go: they go first.
    if (m_loader.isLoaded())
        m_pluginsMenu->clear();
    m_loader.unload();
}

void HostWindow::DataOptionsClick()
{
    kestrovan::ShowDataOptionsProc show = m_loader.showDataOptions();
    if (!show || !show(this))
        QMessageBox::information(this, windowTitle(), QStringLiteral("The plug-in offers no data options."));
}
