#include "shell/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

#if defined(Q_OS_UNIX)
#include <dlfcn.h>
#endif

namespace kv {

std::unique_ptr<QTranslator> installTranslation(const QString &folder, const QLocale &locale)
{
    if (!QCoreApplication::instance())
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    const QDir dir(folder);
    for (const QString &place : {dir.path(), dir.filePath(QStringLiteral("translations"))}) {
        if (translator->load(locale, QStringLiteral("kestrovan"), QStringLiteral("_"), place)
            && QCoreApplication::installTranslator(translator.get()))
            return translator;
    }
    return nullptr;
}

QString moduleFolder()
{
#if defined(Q_OS_UNIX)
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&moduleFolder), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
#endif
    return QCoreApplication::applicationDirPath();
}

} // namespace kv
