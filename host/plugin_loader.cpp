#include "plugin_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

PluginLoader::~PluginLoader()
{
    unload();
}

QString PluginLoader::defaultPath()
{
#if defined(Q_OS_WIN)
    const QString file = QStringLiteral("kestrovan.dll");
#elif defined(Q_OS_MACOS)
    const QString file = QStringLiteral("libkestrovan.dylib");
#else
    const QString file = QStringLiteral("libkestrovan.so");
#endif
    const QDir dir(QCoreApplication::applicationDirPath());
    const QString beside = dir.filePath(file);
    if (QFileInfo::exists(beside))
        return beside;
#ifdef KESTROVAN_PLUGIN_RELDIR
    // Installed: bin/ and lib/kestrovan/ under one prefix, wherever it is.
    const QString installed = QDir::cleanPath(dir.filePath(QStringLiteral(KESTROVAN_PLUGIN_RELDIR "/") + file));
    if (QFileInfo::exists(installed))
        return installed;
#endif
    return QDir::cleanPath(dir.filePath(QStringLiteral("../lib/") + file));
}

QString PluginLoader::load(const QString &path, QWidget *owner)
{
    unload();
    m_library.setFileName(path);
    if (!m_library.load())
        return QStringLiteral("Cannot load the plug-in module %1: %2").arg(path, m_library.errorString());
    auto initialize = reinterpret_cast<kestrovan::InitializeProc>(m_library.resolve(kestrovan::InitializeEntry));
    m_finalize = reinterpret_cast<kestrovan::FinalizeProc>(m_library.resolve(kestrovan::FinalizeEntry));
    auto packageInfo = reinterpret_cast<kestrovan::GetPackageInfoTableProc>(m_library.resolve(kestrovan::GetPackageInfoTableEntry));
    auto create = reinterpret_cast<kestrovan::CreateRegisteredObjectProc>(m_library.resolve(kestrovan::CreateRegisteredObjectEntry));
    m_showDataOptions = reinterpret_cast<kestrovan::ShowDataOptionsProc>(m_library.resolve(kestrovan::ShowDataOptionsEntry));
    if (!initialize || !m_finalize || !packageInfo || !create)
        return QStringLiteral("%1 is not a plug-in module of this application.").arg(path);

    initialize();
    const kestrovan::PackageInfoTable *info = packageInfo();
    m_description = info && info->description ? QString::fromUtf8(info->description) : QString();
    m_object = create(m_description.toUtf8().constData(), owner);
    if (!m_object)
        return QStringLiteral("The plug-in module offers no class named \"%1\".").arg(m_description);
    void *out = nullptr;
    kestrovan::IUnknown *unknown = kestrovan::unknownOf(m_object);
    if (!unknown || unknown->QueryInterface(kestrovan::IID_IPlugInModule, &out) != kestrovan::S_Ok || !out) {
        delete m_object;
        return QStringLiteral("The plug-in object does not offer the plug-in interface.");
    }
    m_plugin = static_cast<kestrovan::IPlugInModule *>(out);
    return QString();
}

void PluginLoader::unload()
{
    if (m_plugin)
        m_plugin->Release();
    m_plugin = nullptr;
    delete m_object;
    m_object = nullptr;
    if (m_finalize)
        m_finalize();
    m_finalize = nullptr;
    m_showDataOptions = nullptr;
}
